#pragma once

class BvhJoint;
class BvhMotion;

// Joints are named by their index among the clip's joints in file order
// (pre-order: the root 0, then each joint before its children), so a record
// never holds an address into a clip.

// The index of joint in the clip; -1 for null or a joint of another clip.
// Costs a walk over the joints up to it.
int jointIndex(const BvhMotion& motion, const BvhJoint* joint);

// The joint at index; null when the clip has no such joint.
const BvhJoint* jointAt(const BvhMotion& motion, int index);
