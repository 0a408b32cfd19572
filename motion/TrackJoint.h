#pragma once

class BvhJoint;
class BvhMotion;

// The joint whose ground track a clip's path follows, with the frame-line word
// index of its Xposition and Zposition values (-1 where it has no such channel
// within its channel count).
struct TrackJoint {
  const BvhJoint* joint = nullptr;
  int xWord = -1;
  int zWord = -1;
};

// Picks the joint that walks: the root when its Xposition or Zposition value
// changes between frames; otherwise the first joint in file order with both an
// Xposition and a Zposition channel whose values change between frames;
// otherwise the root again (null for a clip without hierarchy). Many exports put
// a still "root" node above the moving hips. Values are compared as numbers,
// non-finite values left out. Costs at most one pass over the frames per
// candidate joint, stopping at the first change.
TrackJoint findTrackJoint(const BvhMotion& motion);

// The numeric value of word `word` of a frame line (atof semantics: 0.0 when
// the word does not start with a number); false when the line has no such word.
bool frameWordValue(const char* line, int word, double& value);
