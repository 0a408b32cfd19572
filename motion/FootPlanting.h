#pragma once

#include <vector>

#include "base/Outcome.h"
#include "motion/EditedFrame.h"
#include "motion/FigureFrame.h"
#include "motion/FootContacts.h"
#include "motion/LegSolve.h"
#include "motion/UpAxis.h"

class BvhMotion;

// Keeps planted feet planted while a clip is carried along an edited path.
//
// Carrying moves each frame's carried joint and everything below it
// rigidly: M_f = translate(edited position) * Rup(heading) *
// translate(-captured position), about the carried joint. During a contact
// the foot should instead move once, with the contact's middle frame m: in
// frame f its foot joint is put where M_m puts it as captured in f (so the
// capture's own small wander is kept), by a two-bone solve of thigh, knee
// and ankle (motion/LegSolve). The foot keeps its captured orientation
// turned with the path; where the path turns under a planted foot, the
// foot pivots on its foot joint by half that turn and the hip twists by the
// other half. A contact over which the path turns the figure by more than
// 720 degrees a second (between two of the contacts' samples: a jerk no
// step can follow) is let go: that foot is carried as the path carries it.
//
// The correction fades in before each contact and out after it, over half
// the time the foot is up on that side (at least 0.1 s, at most 0.25 s), so
// that what the contact turned is unwound over the step, not in a jerk.
// Where a foot cannot be reached, the carried joint's height is lowered
// just enough, smoothly over time (the lowering the contacts' samples need
// is spread over 0.2 s either side, and runs straight between samples), by
// at most 4.8% of the hip height, and the legs reach down to their feet from
// there; a foot still out of reach falls short. Where nothing moved
// (M_f = M_m), nothing is edited: corrections below a millionth of the hip
// height or a millionth of a degree are left out, so an unedited path gives
// no edits at all. Up to eight legs are kept planted.
class FootPlanting {
 public:
  // For motion (which must outlive this), its contacts (findFootContacts
  // with the same carried joint and up axis; they need not outlive this),
  // the joint the path carries (a joint index of motion) and placement:
  // where the path puts each frame's carried joint, in the file's axes (as
  // the writer receives it). The placement is asked for each contact's
  // middle frame and, once, for every sample near a contact, to work out the
  // lowering from where the contacts found the legs: one pass over the
  // samples, reading only the contacts' middle frame lines. A leg that has
  // contacts but cannot hold the solve (thigh, knee or ankle without three
  // rotation channels about three axes) is left as read and noted once,
  // naming its foot and joints. A carried joint without both ground
  // position channels is not carried, so nothing is planted.
  FootPlanting(const BvhMotion& motion, const FootContacts& contacts, int carried, UpAxis up,
               const FramePlacementFunction& placement, Notes& notes);

  // Adds frame f's edits to out (EditedFrame::set, so they replace earlier
  // edits of the same words): the rotation words of the legs being kept on
  // their feet and the carried joint's height word where it is lowered.
  // values are the frame's words as read (readFrameValues, at least
  // wordsRead() of them); placement is where the path puts the frame's
  // carried joint (null: the frame is not carried, which is then taken as
  // not moved). Words the line lacks are never edited. Const and safe to
  // call from several threads at once; costs a pose of the legs and a solve
  // per leg for frames near a contact, nothing for the others.
  void addEdits(int f, const std::vector<double>& values, const FramePlacement* placement,
                EditedFrame& out) const;

  // False when no frame can ever be edited (no contacts, no leg that can
  // hold the solve, or nothing carried).
  bool plants() const { return !legs_.empty(); }

  // How many leading words of a frame line addEdits reads: its values must
  // hold at least these (readFrameValues with that limit).
  size_t wordsRead() const { return wordsRead_; }

 private:
  // A rigid carry of the clip's frame: p -> edited + turn * (p - captured).
  struct Carry {
    Point3 captured;
    Point3 edited;
    double headingDegrees = 0.0;
    Matrix3 turn;
    Point3 apply(const Point3& p) const;
  };
  // A contact with the carry of its middle frame.
  struct Plant {
    int first = 0;
    int last = 0;
    // Frames the correction takes to fade in before first and out after last.
    int fadeIn = 1;
    int fadeOut = 1;
    // False once the path jerks the figure round during the contact.
    bool held = true;
    Carry carry;
  };
  // A leg that holds the solve, with its contacts (indexes into plants_,
  // in frame order).
  struct Leg {
    FootLeg joints;
    LegChannels channels;
    std::vector<int> plants;
    // Its index among the contacts' legs (and places), and its full length.
    size_t place = 0;
    double length = 0.0;
  };
  // Where the ankle is to go, in the frame as captured, and the turn it
  // comes with; moves is false when that is no correction at all.
  struct AnkleGoal {
    Point3 at;
    double turnDegrees = 0.0;
    // How much of the contacts' carry the frame takes (their shares summed).
    double hold = 0.0;
    bool moves = false;
  };
  // How much of one contact's carry a frame takes.
  struct Weight {
    int plant;
    double share;
  };

  // The legs with contacts that can hold the solve, their contacts and
  // fades, the joints their poses need; notes the legs that cannot.
  void takeLegs(const FootContacts& contacts, Notes& notes);
  // Each contact's carry: where the path puts its middle frame.
  void carryPlants(const FramePlacementFunction& placement);
  Carry carryOf(const CarriedPlace& captured, const FramePlacement* placement) const;
  AnkleGoal ankleGoal(const Weight* weights, int count, const Carry& carry, double lower,
                      const Point3& ankle, const Point3& ball) const;
  int weightsAt(const Leg& leg, int f, Weight out[2]) const;
  // Where the foot joint stands, from the poses of the joints above it.
  Point3 footPoint(const FootLeg& joints, const std::vector<double>& values,
                   const std::vector<JointPose>& poses) const;
  bool goalAt(const Leg& leg, const Weight* weights, int count, const Carry& carry, double lower,
              const std::vector<double>& values, const std::vector<JointPose>& poses, LegPose& pose,
              LegGoal& goal) const;
  // The one pass over the frames near contacts: lets go of contacts the
  // path jerks through, and works out the lowering.
  void surveyFrames(const FootContacts& contacts, const FramePlacementFunction& placement);
  void letGoOfJerks(int from, int to, double turnRate);
  // The lowering of frame f: lowering_ between the samples around it.
  double loweringAt(int f) const;
  // How far each leg needs the carried joint lowered in frame f (a sample),
  // from where the legs stood (places[leg.place]): needs[leg].
  void neededLowering(const Carry& carry, int f, const LegPlace* places, double* needs) const;

  const BvhMotion& motion_;
  UpAxis up_;
  int carried_;
  int xWord_ = -1;
  int zWord_ = -1;
  int heightWord_ = -1;
  double hipHeight_ = 0.0;
  std::vector<Plant> plants_;
  std::vector<Leg> legs_;
  // Every joint a leg's pose needs, in increasing order.
  std::vector<int> joints_;
  size_t wordsRead_ = 0;
  // By sample (every loweringStep_-th frame); empty when no frame is
  // lowered.
  std::vector<double> lowering_;
  int loweringStep_ = 1;
};
