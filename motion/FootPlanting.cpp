#include "motion/FootPlanting.h"

#include <algorithm>
#include <cmath>

#include "motion/BvhMotion.h"
#include "motion/FrameWords.h"
#include "motion/VectorMath.h"

namespace {

// The correction fades in before a contact and out after it over half the
// time the foot is up, within these bounds.
constexpr double shortestFade = 0.1;
constexpr double longestFade = 0.25;
// The lowering one frame needs is spread over this time on either side,
// and never goes beyond this share of the hip height: a foot that would need
// more falls short of its place instead.
constexpr double lowerSeconds = 0.2;
constexpr double deepestShare = 0.048;
// Corrections smaller than these change nothing one could see or write.
constexpr double leastShare = 1e-6;  // of the hip height
constexpr double leastDegrees = 1e-6;
// A planted foot pivots on its foot joint by this share of the path's turn
// under it, as a person turning in mid-stride does; the hip twists by the
// rest.
constexpr double pivotShare = 0.5;
// A path that turns the figure faster than this (degrees a second) between
// two samples over a contact jerks it round: that foot is let go rather
// than have its leg wrung.
constexpr double jerkTurn = 720.0;

constexpr double pi = 3.14159265358979323846;

// 0 at 0, 1 at 1, flat at both ends.
double smoothStep(double x) {
  x = std::clamp(x, 0.0, 1.0);
  return x * x * (3.0 - 2.0 * x);
}

double wrapDegrees(double degrees) { return std::remainder(degrees, 360.0); }

size_t frameCountOf(const BvhMotion& motion) {
  return motion.frameCount > 0
             ? std::min(static_cast<size_t>(motion.frameCount), motion.frameLines.size())
             : 0;
}

double boneLength(const Skeleton& skeleton, int joint) { return lengthOf(skeleton[joint].offset); }

Point3 upVector(UpAxis up) { return up == UpAxis::z ? Point3{0, 0, 1} : Point3{0, 1, 0}; }

// The smallest lowering d >= 0 that brings the thigh joint, lowered by d
// along up, within reach of goal: |goal - (thigh - d up)| <= reach. Where no
// lowering reaches, the one that comes nearest.
double loweringToReach(const Point3& fromThigh, const Point3& up, double reach) {
  const double along = dotProduct(fromThigh, up);
  const double excess = dotProduct(fromThigh, fromThigh) - reach * reach;
  if (excess <= 0.0 || along >= 0.0) return 0.0;
  const double discriminant = along * along - excess;
  return discriminant < 0.0 ? -along : -along - std::sqrt(discriminant);
}

std::vector<double> runningMax(const std::vector<double>& values, int half) {
  const int n = static_cast<int>(values.size());
  std::vector<double> out(values.size(), 0.0);
  for (int f = 0; f < n; ++f) {
    const double v = values[static_cast<size_t>(f)];
    if (v <= 0.0) continue;
    for (int g = std::max(0, f - half); g <= std::min(n - 1, f + half); ++g) {
      out[static_cast<size_t>(g)] = std::max(out[static_cast<size_t>(g)], v);
    }
  }
  return out;
}

// values averaged with raised-cosine weights over `half` frames either side
// (as far as there are frames): never below the smallest value in reach.
std::vector<double> smoothed(const std::vector<double>& values, int half) {
  const int n = static_cast<int>(values.size());
  std::vector<double> weights;
  for (int k = -half; k <= half; ++k)
    weights.push_back(0.5 * (1.0 + std::cos(pi * k / (half + 1))));
  std::vector<double> out(values.size(), 0.0);
  for (int f = 0; f < n; ++f) {
    double sum = 0.0;
    double total = 0.0;
    for (int g = std::max(0, f - half); g <= std::min(n - 1, f + half); ++g) {
      const double w = weights[static_cast<size_t>(g - f + half)];
      sum += w * values[static_cast<size_t>(g)];
      total += w;
    }
    out[static_cast<size_t>(f)] = sum / total;
  }
  return out;
}

}  // namespace

Point3 FootPlanting::Carry::apply(const Point3& p) const {
  return edited + rotatePoint(turn, p - captured);
}

FootPlanting::FootPlanting(const BvhMotion& motion, const FootContacts& contacts, int carried,
                           UpAxis up, const FramePlacementFunction& placement, Notes& notes)
    : motion_(motion), up_(up), carried_(carried) {
  const Skeleton& skeleton = motion.skeleton;
  if (!skeleton.contains(carried) || !(contacts.hipHeight > 0.0)) return;
  const JointLayout& words = skeleton.layout()[static_cast<size_t>(carried)];
  xWord_ = words.wordOf(ChannelKind::xPosition);
  zWord_ = words.wordOf(secondGroundKind(up));
  heightWord_ = words.wordOf(upPositionKind(up));
  if (xWord_ < 0 || zWord_ < 0) return;
  hipHeight_ = contacts.hipHeight;
  takeLegs(contacts, notes);
  if (legs_.empty()) return;
  carryPlants(placement);
  surveyFrames(contacts, placement);
}

void FootPlanting::takeLegs(const FootContacts& contacts, Notes& notes) {
  const Skeleton& skeleton = motion_.skeleton;
  const double frameTime = motion_.frameTime > 0.0 ? motion_.frameTime : 1.0 / 30.0;
  const int shortest = std::max(1, static_cast<int>(std::lround(shortestFade / frameTime)));
  const int longest = std::max(1, static_cast<int>(std::lround(longestFade / frameTime)));
  std::vector<int> wanted{carried_};
  for (size_t k = 0; k < contacts.legs.size(); ++k) {
    const FootLeg& joints = contacts.legs[k];
    Leg leg{joints,
            LegChannels{},
            {},
            k,
            boneLength(skeleton, joints.knee) + boneLength(skeleton, joints.ankle)};
    const auto own = [k](const FootContact& contact) { return contact.leg == static_cast<int>(k); };
    if (std::none_of(contacts.contacts.begin(), contacts.contacts.end(), own)) continue;
    if (!findLegChannels(skeleton, joints.thigh, joints.knee, joints.ankle, leg.channels)) {
      notes.addf(
          "The leg of %s cannot keep its foot planted: %s, %s and %s need three rotation "
          "channels each; it is written as read\n",
          skeleton[joints.foot].name, skeleton[joints.thigh].name, skeleton[joints.knee].name,
          skeleton[joints.ankle].name);
      continue;
    }
    for (const FootContact& contact : contacts.contacts) {
      if (!own(contact)) continue;
      Plant plant{contact.first, contact.last, longest, longest, true, Carry{}};
      if (!leg.plants.empty()) {
        // The foot's time up is shared by the fade out and the next fade in.
        Plant& before = plants_.back();
        const int fade = std::clamp((plant.first - before.last) / 2, shortest, longest);
        before.fadeOut = fade;
        plant.fadeIn = fade;
      }
      leg.plants.push_back(static_cast<int>(plants_.size()));
      plants_.push_back(plant);
    }
    legs_.push_back(leg);
    // The foot joint's own turn moves nothing the solve looks at.
    wanted.insert(wanted.end(),
                  {joints.thigh, joints.knee, joints.ankle,
                   joints.foot == joints.ankle ? joints.ankle : skeleton[joints.foot].parent});
  }
  joints_ = jointsReaching(skeleton, wanted);
  for (int j : joints_) {
    const BvhJoint& joint = skeleton[j];
    if (joint.channelOffset >= 0) {
      wordsRead_ =
          std::max(wordsRead_, static_cast<size_t>(joint.channelOffset + joint.channelCount));
    }
  }
}

void FootPlanting::carryPlants(const FramePlacementFunction& placement) {
  const Skeleton& skeleton = motion_.skeleton;
  const PosedFigure figure(skeleton);
  const std::vector<int> carriedChain = jointsReaching(skeleton, {carried_});
  std::vector<double> values;
  std::vector<JointPose> poses(static_cast<size_t>(skeleton.size()));
  for (Plant& plant : plants_) {
    const int middle = plant.first + (plant.last - plant.first) / 2;
    readFrameValues(motion_.frameLine(middle), values, wordsRead_);
    figure.poseJoints(values, carriedChain, poses);
    FramePlacement placed;
    const bool isPlaced = placement && placement(middle, placed);
    const CarriedPlace captured{poses[static_cast<size_t>(carried_)].t, valueAt(values, xWord_),
                                valueAt(values, zWord_)};
    plant.carry = carryOf(captured, isPlaced ? &placed : nullptr);
  }
}

FootPlanting::Carry FootPlanting::carryOf(const CarriedPlace& captured,
                                          const FramePlacement* placement) const {
  Carry carry;
  carry.captured = captured.at;
  carry.edited = carry.captured;
  if (placement == nullptr) return carry;
  // The joints above the carried one stand still, so its ground words move
  // it by as much in the clip's frame.
  carry.edited.x += placement->x - captured.x;
  (up_ == UpAxis::z ? carry.edited.y : carry.edited.z) += placement->z - captured.z;
  carry.headingDegrees = placement->headingDegrees;
  carry.turn = axisRotation(upAxisIndex(up_), carry.headingDegrees);
  return carry;
}

int FootPlanting::weightsAt(const Leg& leg, int f, Weight out[2]) const {
  const auto ended = [this, f](int plant) {
    return plants_[plant].last + plants_[plant].fadeOut < f;
  };
  auto at = std::partition_point(leg.plants.begin(), leg.plants.end(), ended);
  int count = 0;
  double total = 0.0;
  for (; at != leg.plants.end() && count < 2; ++at) {
    const Plant& plant = plants_[static_cast<size_t>(*at)];
    if (plant.first - plant.fadeIn > f) break;
    if (!plant.held) continue;
    double share = 1.0;
    if (f < plant.first) {
      share = smoothStep(static_cast<double>(f - (plant.first - plant.fadeIn)) / plant.fadeIn);
    }
    if (f > plant.last) {
      share = smoothStep(static_cast<double>(plant.last + plant.fadeOut - f) / plant.fadeOut);
    }
    if (share <= 0.0) continue;
    out[count++] = {*at, share};
    total += share;
  }
  // Two contacts close together share the frames between them.
  if (total > 1.0) {
    for (int k = 0; k < count; ++k) out[k].share /= total;
  }
  return count;
}

FootPlanting::AnkleGoal FootPlanting::ankleGoal(const Weight* weights, int count,
                                                const Carry& carry, double lower,
                                                const Point3& ankle, const Point3& ball) const {
  // Where the carries put the foot joint, blended by their shares, in the
  // edited frame, and how far the foot turns against this frame's carry.
  const Point3 carried = carry.apply(ball);
  Point3 planted = carried;
  AnkleGoal goal;
  double total = 0.0;
  for (int k = 0; k < count; ++k) {
    const Carry& plant = plants_[static_cast<size_t>(weights[k].plant)].carry;
    const double share = weights[k].share;
    planted = planted + share * (plant.apply(ball) - carried);
    goal.turnDegrees += share * wrapDegrees(plant.headingDegrees - carry.headingDegrees);
    total += share;
  }
  goal.turnDegrees *= 1.0 - pivotShare;
  goal.hold = total;
  const Point3 at =
      planted + rotatePoint(axisRotation(upAxisIndex(up_), carry.headingDegrees + goal.turnDegrees),
                            ankle - ball);
  // The same goal in the frame as captured: the carry of this frame undone,
  // and as much of its lowering as the foot is planted.
  const Point3 raised = at + (total * lower) * upVector(up_) - carry.edited;
  goal.at = carry.captured + rotatePoint(transposed(carry.turn), raised);
  goal.moves = lengthOf(goal.at - ankle) >= leastShare * hipHeight_ ||
               std::fabs(goal.turnDegrees) >= leastDegrees;
  return goal;
}

Point3 FootPlanting::footPoint(const FootLeg& joints, const std::vector<double>& values,
                               const std::vector<JointPose>& poses) const {
  if (joints.foot == joints.ankle) return poses[static_cast<size_t>(joints.ankle)].t;
  const Skeleton& skeleton = motion_.skeleton;
  const JointPose& above = poses[static_cast<size_t>(skeleton[joints.foot].parent)];
  const Point3 own = skeleton.layout()[static_cast<size_t>(joints.foot)].position(values);
  return above.t + rotatePoint(above.r, skeleton[joints.foot].offset + own);
}

bool FootPlanting::goalAt(const Leg& leg, const Weight* weights, int count, const Carry& carry,
                          double lower, const std::vector<double>& values,
                          const std::vector<JointPose>& poses, LegPose& pose, LegGoal& goal) const {
  const FootLeg& joints = leg.joints;
  const JointPose& ankle = poses[static_cast<size_t>(joints.ankle)];
  const AnkleGoal aim =
      ankleGoal(weights, count, carry, lower, ankle.t, footPoint(joints, values, poses));
  if (!aim.moves) return false;
  goal.ankle = aim.at;
  goal.turn = axisRotation(upAxisIndex(up_), aim.turnDegrees);
  goal.ankleRotation = goal.turn * ankle.r;
  goal.hold = aim.hold;
  const Skeleton& skeleton = motion_.skeleton;
  pose.thighParent = poses[static_cast<size_t>(skeleton[joints.thigh].parent)].r;
  pose.thigh = poses[static_cast<size_t>(joints.thigh)];
  pose.knee = poses[static_cast<size_t>(joints.knee)];
  pose.ankle = ankle;
  pose.hinge = rotatePoint(pose.thigh.r, joints.kneeAxis);
  return true;
}

void FootPlanting::neededLowering(const Carry& carry, int f, const LegPlace* places,
                                  double* needs) const {
  Weight weights[2];
  for (size_t k = 0; k < legs_.size(); ++k) {
    needs[k] = 0.0;
    const Leg& leg = legs_[k];
    const int count = weightsAt(leg, f, weights);
    const LegPlace& place = places[leg.place];
    const Point3 ankle = place.ankle.point();
    const AnkleGoal aim = ankleGoal(weights, count, carry, 0.0, ankle, place.foot.point());
    if (count == 0 || !aim.moves) continue;
    const Point3 thigh = place.thigh.point();
    const double reach = legReach(lengthOf(ankle - thigh), leg.length);
    needs[k] = loweringToReach(aim.at - thigh, upVector(up_), reach);
  }
}

void FootPlanting::letGoOfJerks(int from, int to, double turnRate) {
  if (turnRate <= jerkTurn) return;
  for (Plant& plant : plants_) {
    if (from <= plant.last + plant.fadeOut && to >= plant.first - plant.fadeIn) plant.held = false;
  }
}

void FootPlanting::surveyFrames(const FootContacts& contacts,
                                const FramePlacementFunction& placement) {
  const size_t frames = frameCountOf(motion_);
  const size_t step = static_cast<size_t>(std::max(1, contacts.step));
  const size_t samples = std::min(contacts.carried.size(), (frames + step - 1) / step);
  const size_t legCount = legs_.size();
  const size_t placeCount = contacts.legs.size();
  const double sampleTime = (motion_.frameTime > 0.0 ? motion_.frameTime : 1.0 / 30.0) * step;
  // needs[s * legCount + k]: the lowering leg k needs in sample s.
  std::vector<double> needs(samples * legCount, 0.0);
  Weight weights[2];
  bool lastSurveyed = false;
  double lastHeading = 0.0;
  for (size_t s = 0; s < samples; ++s) {
    const int frame = static_cast<int>(s * step);
    bool near = false;
    for (const Leg& leg : legs_) near = near || weightsAt(leg, frame, weights) > 0;
    if (!near) {
      lastSurveyed = false;
      continue;
    }
    FramePlacement placed;
    const bool isPlaced = placement && placement(frame, placed);
    const Carry carry = carryOf(contacts.carried[s], isPlaced ? &placed : nullptr);
    if (lastSurveyed) {
      const double turn = std::fabs(wrapDegrees(carry.headingDegrees - lastHeading));
      letGoOfJerks(frame - static_cast<int>(step), frame, turn / sampleTime);
    }
    lastSurveyed = true;
    lastHeading = carry.headingDegrees;
    neededLowering(carry, frame, &contacts.places[s * placeCount], &needs[s * legCount]);
  }
  std::vector<double> needed(samples, 0.0);
  double most = 0.0;
  for (size_t s = 0; s < samples; ++s) {
    for (size_t k = 0; k < legCount; ++k) {
      // A foot let go after its need was found needs nothing.
      if (weightsAt(legs_[k], static_cast<int>(s * step), weights) > 0) {
        needed[s] = std::max(needed[s], needs[s * legCount + k]);
      }
    }
    most = std::max(most, needed[s]);
  }
  if (most < leastShare * hipHeight_ || heightWord_ < 0) return;
  const int half = std::max(1, static_cast<int>(std::lround(lowerSeconds / sampleTime)));
  // The largest need nearby, then smoothed: never below what a sample needs.
  lowering_ = smoothed(runningMax(needed, half), half);
  for (double& lowering : lowering_) {
    lowering = std::min(lowering, deepestShare * hipHeight_);
    if (lowering < leastShare * hipHeight_) lowering = 0.0;
  }
  loweringStep_ = static_cast<int>(step);
}

double FootPlanting::loweringAt(int f) const {
  if (lowering_.empty() || f < 0) return 0.0;
  const size_t s = static_cast<size_t>(f / loweringStep_);
  if (s + 1 >= lowering_.size()) return s < lowering_.size() ? lowering_[s] : lowering_.back();
  const double t = static_cast<double>(f % loweringStep_) / loweringStep_;
  return lowering_[s] + t * (lowering_[s + 1] - lowering_[s]);
}

void FootPlanting::addEdits(int f, const std::vector<double>& values,
                            const FramePlacement* placement, EditedFrame& out) const {
  if (legs_.empty()) return;
  const double lower = loweringAt(f);
  Weight weights[8][2];
  int counts[8] = {0};
  bool near = false;
  const size_t legCount = std::min<size_t>(legs_.size(), 8);
  for (size_t k = 0; k < legCount; ++k) {
    counts[k] = weightsAt(legs_[k], f, weights[k]);
    near = near || counts[k] > 0;
  }
  if (!near && lower == 0.0) return;

  thread_local std::vector<JointPose> poses;
  poses.resize(static_cast<size_t>(motion_.skeleton.size()));
  PosedFigure(motion_.skeleton).poseJoints(values, joints_, poses);
  const CarriedPlace captured{poses[static_cast<size_t>(carried_)].t, valueAt(values, xWord_),
                              valueAt(values, zWord_)};
  const Carry carry = carryOf(captured, placement);
  const auto put = [&values, &out](long word, double value) {
    if (word >= 0 && static_cast<size_t>(word) < values.size()) out.set(word, value);
  };
  for (size_t k = 0; k < legCount; ++k) {
    LegPose pose;
    LegGoal goal;
    if (counts[k] == 0) continue;
    if (!goalAt(legs_[k], weights[k], counts[k], carry, lower, values, poses, pose, goal)) {
      continue;
    }
    Matrix3 local[3];
    solveLeg(pose, goal, local);
    double angles[3][3];
    legAngles(legs_[k].channels, local, values, angles);
    for (int n = 0; n < 3; ++n) {
      for (int c = 0; c < 3; ++c) put(legs_[k].channels.word[n][c], angles[n][c]);
    }
  }
  if (lower > 0.0) put(heightWord_, valueAt(values, heightWord_) - lower);
}
