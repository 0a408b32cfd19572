#pragma once

#include <functional>

#include "base/Point3.h"
#include "motion/FrameEditor.h"
#include "motion/UpAxis.h"

class Skeleton;

// The frame a clip's figure, its path and the follow camera share: clip units
// scaled by figureScale, standing on the floor at world height figureFloorY.
constexpr double figureScale = 0.05;
constexpr double figureFloorY = -2.0;

// World position of a point given in the figure's frame (clip units).
inline Point3 figureToWorld(const Point3& p) {
  return {p.x * figureScale, figureFloorY + p.y * figureScale, p.z * figureScale};
}

// The same for a clip with the given up axis: a Z-up figure is turned by -90
// degrees about x (its z up, its y away from the start-up camera), so it
// stands on the floor as a Y-up one does. Also the turn drawSkeleton and the
// path drawing apply.
inline Point3 figureToWorld(const Point3& p, UpAxis up) {
  return up == UpAxis::z ? figureToWorld({p.x, p.z, -p.y}) : figureToWorld(p);
}

// Where one frame's carried joint stands when the clip is carried along its
// path: its two ground position values (x and z; x and y for a Z-up clip),
// and the turn about the vertical axis through it, in degrees.
struct FramePlacement {
  double x = 0.0;
  double z = 0.0;
  double headingDegrees = 0.0;
};

// Where frame f's carried joint stands when the clip is carried along a
// path; false leaves the frame where the clip puts it.
using FramePlacementFunction = std::function<bool(int f, FramePlacement& placement)>;

// The box around the joints in the rest pose (offsets only, the root's
// included), in clip units.
struct RestPoseBox {
  Point3 low;
  Point3 high;
  // Largest extent along any axis: the skeleton's standing height for most
  // clips; 0 when all joints sit in one point.
  double size() const;
  Point3 centre() const;
};

// One pass over the skeleton; all zero without joints.
RestPoseBox restPoseBox(const Skeleton& skeleton);

// Sum of the fixed offsets of joint (an index of skeleton) and every joint
// above it: where the joint's channels start from when the joints above it
// do not move.
Point3 offsetFromRoot(const Skeleton& skeleton, int joint);

class BvhMotion;

// Where joint's (an index of the clip's skeleton) origin is drawn in frame f,
// in the figure's frame: offsetFromRoot plus its own position channels, as
// edits gives them when given (else as read). Meant for the carried joint,
// above which nothing moves (the root has nothing above it). Offsets only
// when the clip has no frame f.
Point3 carriedJointPosition(const BvhMotion& motion, int joint, int f, FrameEditor* edits);
