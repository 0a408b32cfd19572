#pragma once

#include <vector>

#include "base/Point3.h"
#include "motion/UpAxis.h"

class BvhMotion;

// One of the figure's feet and the leg that carries it, as skeleton
// indexes: the lowest end joint (an End Site, or a joint without children),
// the foot joint above it, and the two-bone chain thigh -> knee -> ankle
// that reaches it (the ankle is the foot joint or one of its ancestors).
struct FootLeg {
  int end = -1;
  int foot = -1;
  int ankle = -1;
  int knee = -1;
  int thigh = -1;
  // The axis the knee bends about, in the thigh's own frame (unit; zero
  // when the knee never bends): kneeBend summed over the clip's frames.
  Point3 kneeAxis;
};

// A run of frames in which a foot stays on the ground: frames first to last
// (inclusive), and where the foot joint stood at the middle one in the
// file's axes.
struct FootContact {
  // Index into FootContacts::legs.
  int leg = 0;
  int first = 0;
  int last = 0;
  Point3 position;
  int middle() const { return first + (last - first) / 2; }
};

// A point kept in single precision: plenty for working out how far to
// lower the figure, at half the memory of a long clip's worth of Point3.
struct StoredPoint {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  StoredPoint() = default;
  explicit StoredPoint(const Point3& p)
      : x(static_cast<float>(p.x)), y(static_cast<float>(p.y)), z(static_cast<float>(p.z)) {}
  Point3 point() const { return {x, y, z}; }
};

// Where one leg stood in one frame, in the file's axes.
struct LegPlace {
  StoredPoint thigh;
  StoredPoint ankle;
  StoredPoint foot;
};

// Where the carried joint stood in one frame, in the file's axes, and the
// values of its two ground position words (0 where it has no such word).
struct CarriedPlace {
  Point3 at;
  double x = 0.0;
  double z = 0.0;
};

// A clip's feet and their contacts with the ground.
struct FootContacts {
  // In the order of their foot joints in the file.
  std::vector<FootLeg> legs;
  // By first frame, then by leg.
  std::vector<FootContact> contacts;
  // The length everything is measured in: how high the carried joint
  // stands above the feet (its median over the clip); 0 without feet.
  double hipHeight = 0.0;
  // Where the legs and the carried joint stood in every step-th frame (the
  // samples), kept from the one pass that found the contacts so that
  // planting need not pose them again: leg k in sample s (frame s * step) at
  // places[s * legs.size() + k], the carried joint at carried[s]; empty
  // without feet.
  int step = 1;
  std::vector<LegPlace> places;
  std::vector<CarriedPlace> carried;
};

// Finds the feet and their contacts from the clip itself. The feet are the
// end joints that stay lowest over the clip, one for each leg: a chain of
// two long bones (each at least half the longest between the carried joint
// and the foot) above it. The legs are looked at 30 times a second (every
// frame of a slower clip): a contact is a run of such samples, at least
// 0.05 s and 3 frames long, in which the foot joint stays near its lowest
// height (within 5% of the hip height) and nearly still on the ground
// (under 25% of the hip height a second, measured over a thirtieth of a
// second either side), a single sample's pause while the foot stays low
// left in; its first and last frames are the first and last samples found
// down (the clip's last frame for a run to the end). Thresholds follow the
// figure's size and the clip's rate, so any unit, either up axis and a
// still root behave alike. carried is the joint the path carries (the hip height is
// measured from it; the root when it is no joint of the clip). A clip
// without frames or feet gets none. Costs one pose of the legs per sample,
// reading no further into a frame line than the legs' words, shared between
// two threads on a long clip, and about 120 bytes a sample for the places.
FootContacts findFootContacts(const BvhMotion& motion, UpAxis up, int carried);
