#pragma once

#include <string>

#include "motion/UpAxis.h"

struct BvhJoint;
class BvhMotion;

// The joint whose ground track a clip's path follows, by its index in the
// clip's skeleton (-1: none), with the frame-line word index of its position
// values in the ground frame (-1 where it has no such channel within its
// channel count): xWord its Xposition, zWord its second ground axis
// (Zposition with Y up, Yposition with Z up), upWord its height (Yposition,
// Zposition with Z up). The one place the carried joint's words are found.
struct TrackJoint {
  int joint = -1;
  int xWord = -1;
  int zWord = -1;
  int upWord = -1;
  // The word after the last of the three: how many a frame must be read for.
  int wordsRead() const;
};

// Picks the joint that walks: the root when one of its ground position values
// changes between frames; otherwise the first joint in file order with both an
// Xposition and a Zposition channel whose values change between frames;
// otherwise the root again (-1 for a clip without hierarchy). Many exports put
// a still "root" node above the moving hips. Values are compared as numbers,
// non-finite values left out. Costs at most one pass over the frames per
// candidate joint, stopping at the first change.
TrackJoint findTrackJoint(const BvhMotion& motion, UpAxis up = UpAxis::y);

// The words of joint (jointOfClip: the root when it is no joint of the clip)
// as a track joint with up.
TrackJoint channelsOf(const BvhMotion& motion, int joint, UpAxis up = UpAxis::y);

// True when the track joint has both ground position channels: without them
// the path has nothing to carry.
inline bool canCarry(const TrackJoint& track) { return track.xWord >= 0 && track.zWord >= 0; }

// "This clip has no ground position channels: the path cannot move it".
extern const char* const kNoGroundChannels;

// "Path follows joint <name>: the root does not move", for the console and the
// window when the track joint is not the root.
std::string trackJointNotice(const BvhJoint& joint);

// candidate when it is a joint index of the clip, else the root (0; -1 for a
// clip without joints).
int jointOfClip(const BvhMotion& motion, int candidate);
