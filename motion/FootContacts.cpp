#include "motion/FootContacts.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "motion/BvhMotion.h"
#include "motion/FrameWords.h"
#include "motion/LegSolve.h"
#include "motion/PosedFigure.h"
#include "motion/VectorMath.h"

namespace {

// Frames sampled to tell the feet from the other end joints.
constexpr int sampledFrames = 64;
// End joints this share of the figure's height above the lowest one are
// no feet (hands, the head).
constexpr double footBand = 0.1;
// A leg bone is at least this share of the longest bone between the carried
// joint and the foot (thighs and shins are near it; hip, foot and toe bones
// are much shorter).
constexpr double longBone = 0.5;
// The legs are looked at about this often (every frame of a clip at this
// rate or slower): feet come down for a tenth of a second and more.
constexpr double sampleSeconds = 1.0 / 30.0;
// A foot is down while it is this near its lowest height and this slow on
// the ground, in hip heights (per second), measured over a thirtieth of a
// second either side, for a few frames at least.
constexpr double contactBand = 0.05;
constexpr double contactSpeed = 0.25;
constexpr double speedSeconds = 2.0 / 30.0;
constexpr double shortestContact = 0.05;
constexpr int fewestFrames = 3;
// A foot that stays low but moves for no longer than this (a pivot, a
// twitch of the capture) stays down.
constexpr double longestPause = 0.03;
// The foot's lowest height: a low share of its heights, so a glitch below
// the floor does not lift every contact out of reach.
constexpr double lowShare = 0.05;
// Clips this long have their legs posed on two threads.
constexpr size_t twoThreadFrames = 20000;

double heightOf(const Point3& p, UpAxis up) { return up == UpAxis::z ? p.z : p.y; }

double groundDistance(const Point3& a, const Point3& b, UpAxis up) {
  return up == UpAxis::z ? std::hypot(a.x - b.x, a.y - b.y) : std::hypot(a.x - b.x, a.z - b.z);
}

// The value at share q (0..1) of the sorted values; 0 for none.
double quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0.0;
  const size_t k = std::min(values.size() - 1, static_cast<size_t>(q * values.size()));
  std::nth_element(values.begin(), values.begin() + static_cast<long>(k), values.end());
  return values[k];
}

size_t frameCountOf(const BvhMotion& motion) {
  return motion.frameCount > 0
             ? std::min(static_cast<size_t>(motion.frameCount), motion.frameLines.size())
             : 0;
}

// Every joint's height in a few frames spread over the clip: heights[s][j].
std::vector<std::vector<double>> sampledHeights(const BvhMotion& motion, UpAxis up) {
  const size_t frames = frameCountOf(motion);
  const size_t count = std::min(frames, static_cast<size_t>(sampledFrames));
  const PosedFigure figure(motion.skeleton);
  std::vector<std::vector<double>> heights;
  std::vector<JointPose> poses;
  for (size_t s = 0; s < count; ++s) {
    figure.pose(motion.frameLine(static_cast<int>(s * frames / count)), poses);
    std::vector<double> row;
    for (const JointPose& pose : poses) row.push_back(heightOf(pose.t, up));
    heights.push_back(row);
  }
  return heights;
}

bool isEnd(const Skeleton& skeleton, int j) {
  if (skeleton[j].isEndSite) return true;
  return j + 1 >= skeleton.size() || skeleton[j + 1].parent != j;
}

double boneLength(const Skeleton& skeleton, int j) {
  const Point3& o = skeleton[j].offset;
  return std::sqrt(o.x * o.x + o.y * o.y + o.z * o.z);
}

// The leg above end: the lowest joint at or above its parent whose bone and
// whose parent's bone are both long, that parent and its parent, all below
// carried; false when there is none.
bool legAbove(const Skeleton& skeleton, int end, int carried, FootLeg& leg) {
  double longest = 0.0;
  for (int j = end; j >= 0 && j != carried; j = skeleton[j].parent) {
    longest = std::max(longest, boneLength(skeleton, j));
  }
  const double shortest = longBone * longest;
  if (!(shortest > 0.0)) return false;
  leg.end = end;
  leg.foot = skeleton[end].parent;
  for (int ankle = leg.foot; ankle >= 0 && ankle != carried; ankle = skeleton[ankle].parent) {
    const int knee = skeleton[ankle].parent;
    if (knee < 0 || knee == carried || skeleton[knee].parent < 0 ||
        skeleton[knee].parent == carried) {
      return false;
    }
    if (boneLength(skeleton, ankle) >= shortest && boneLength(skeleton, knee) >= shortest) {
      leg.ankle = ankle;
      leg.knee = knee;
      leg.thigh = skeleton[knee].parent;
      return true;
    }
  }
  return false;
}

// The feet: of the end joints that stay lowest, the lowest one on each leg.
std::vector<FootLeg> findLegs(const Skeleton& skeleton, int carried,
                              const std::vector<std::vector<double>>& heights) {
  std::vector<double> extents;
  for (const std::vector<double>& row : heights) {
    const auto range = std::minmax_element(row.begin(), row.end());
    extents.push_back(*range.second - *range.first);
  }
  const double figureHeight = quantile(extents, 0.5);
  std::vector<double> typical(static_cast<size_t>(skeleton.size()), 0.0);
  double lowest = HUGE_VAL;
  for (int j = 0; j < skeleton.size(); ++j) {
    if (!isEnd(skeleton, j) || skeleton[j].parent < 0) continue;
    std::vector<double> own;
    for (const std::vector<double>& row : heights) own.push_back(row[static_cast<size_t>(j)]);
    typical[static_cast<size_t>(j)] = quantile(own, 0.5);
    lowest = std::min(lowest, typical[static_cast<size_t>(j)]);
  }
  std::vector<FootLeg> legs;
  if (!(figureHeight > 0.0)) return legs;
  for (int j = 0; j < skeleton.size(); ++j) {
    if (!isEnd(skeleton, j) || skeleton[j].parent < 0) continue;
    FootLeg leg;
    if (typical[static_cast<size_t>(j)] > lowest + footBand * figureHeight ||
        !legAbove(skeleton, j, carried, leg)) {
      continue;
    }
    auto same = std::find_if(legs.begin(), legs.end(),
                             [&leg](const FootLeg& other) { return other.ankle == leg.ankle; });
    if (same == legs.end()) {
      legs.push_back(leg);
    } else if (typical[static_cast<size_t>(j)] < typical[static_cast<size_t>(same->end)]) {
      *same = leg;
    }
  }
  std::sort(legs.begin(), legs.end(),
            [](const FootLeg& a, const FootLeg& b) { return a.foot < b.foot; });
  return legs;
}

// The words a frame line must be read to for the joints' channels.
size_t wordsOf(const Skeleton& skeleton, const std::vector<int>& joints) {
  size_t most = 0;
  for (int j : joints) {
    const BvhJoint& joint = skeleton[j];
    if (joint.channelOffset >= 0) {
      most = std::max(most, static_cast<size_t>(joint.channelOffset + joint.channelCount));
    }
  }
  return most;
}

// Poses the legs of samples [from, to) into found's places and carried
// positions; returns each leg's knee bends summed over those samples.
std::vector<Point3> poseLegs(const BvhMotion& motion, int carried, UpAxis up, size_t from,
                             size_t to, FootContacts& found) {
  const Skeleton& skeleton = motion.skeleton;
  std::vector<int> wanted{carried};
  for (const FootLeg& leg : found.legs) wanted.push_back(leg.foot);
  const std::vector<int> joints = jointsReaching(skeleton, wanted);
  const size_t limit = wordsOf(skeleton, joints);
  const PosedFigure figure(skeleton);
  const size_t legCount = found.legs.size();
  const JointLayout& words = skeleton.layout()[static_cast<size_t>(carried)];
  const int xWord = words.wordOf(ChannelKind::xPosition);
  const int zWord = words.wordOf(secondGroundKind(up));
  std::vector<Point3> bends(legCount);
  std::vector<double> values;
  std::vector<JointPose> poses(static_cast<size_t>(skeleton.size()));
  for (size_t f = from; f < to; ++f) {
    readFrameValues(motion.frameLine(static_cast<int>(f) * found.step), values, limit);
    figure.poseJoints(values, joints, poses);
    found.carried[f] = {poses[static_cast<size_t>(carried)].t, valueAt(values, xWord),
                        valueAt(values, zWord)};
    for (size_t k = 0; k < legCount; ++k) {
      const FootLeg& leg = found.legs[k];
      const JointPose& thigh = poses[static_cast<size_t>(leg.thigh)];
      const JointPose& ankle = poses[static_cast<size_t>(leg.ankle)];
      LegPlace& place = found.places[f * legCount + k];
      place.thigh = StoredPoint(thigh.t);
      place.ankle = StoredPoint(ankle.t);
      place.foot = StoredPoint(poses[static_cast<size_t>(leg.foot)].t);
      bends[k] = bends[k] + kneeBend(thigh, poses[static_cast<size_t>(leg.knee)], ankle);
    }
  }
  return bends;
}

// Poses the legs of every sample, on two threads for a long clip, and sets
// each leg's knee axis.
void poseAllLegs(const BvhMotion& motion, int carried, UpAxis up, FootContacts& found) {
  const size_t step = static_cast<size_t>(found.step);
  const size_t frames = (frameCountOf(motion) + step - 1) / step;
  found.places.assign(frames * found.legs.size(), LegPlace{});
  found.carried.assign(frames, CarriedPlace{});
  const size_t half = frames * step >= twoThreadFrames ? frames / 2 : frames;
  std::vector<Point3> later(found.legs.size());
  std::thread second;
  if (half < frames) {
    second = std::thread([&] { later = poseLegs(motion, carried, up, half, frames, found); });
  }
  const std::vector<Point3> earlier = poseLegs(motion, carried, up, 0, half, found);
  if (second.joinable()) second.join();
  for (size_t k = 0; k < found.legs.size(); ++k) {
    found.legs[k].kneeAxis = unitOf(earlier[k] + later[k]);
  }
}

// Whether one foot is down in each of evenly spaced samples: low, and slow
// on the ground except for pauses too short to count.
std::vector<char> downFrames(const std::vector<Point3>& foot, double hipHeight, double frameTime,
                             UpAxis up) {
  const int frames = static_cast<int>(foot.size());
  std::vector<double> heights;
  for (const Point3& p : foot) heights.push_back(heightOf(p, up));
  const double floor = quantile(heights, lowShare);
  const int reach = std::max(1, static_cast<int>(std::lround(speedSeconds / 2.0 / frameTime)));
  std::vector<char> low(static_cast<size_t>(frames));
  std::vector<char> down(static_cast<size_t>(frames));
  for (int f = 0; f < frames; ++f) {
    low[static_cast<size_t>(f)] =
        heights[static_cast<size_t>(f)] <= floor + contactBand * hipHeight;
    const int a = std::max(0, f - reach);
    const int b = std::min(frames - 1, f + reach);
    const double speed =
        a == b ? 0.0
               : groundDistance(foot[static_cast<size_t>(a)], foot[static_cast<size_t>(b)], up) /
                     ((b - a) * frameTime);
    down[static_cast<size_t>(f)] = low[static_cast<size_t>(f)] && speed <= contactSpeed * hipHeight;
  }
  const int pause = static_cast<int>(std::lround(longestPause / frameTime));
  for (int f = 1; f < frames; ++f) {
    if (down[static_cast<size_t>(f)] || !down[static_cast<size_t>(f - 1)]) continue;
    int g = f;
    while (g < frames && !down[static_cast<size_t>(g)] && low[static_cast<size_t>(g)]) ++g;
    if (g < frames && down[static_cast<size_t>(g)] && g - f <= pause) {
      std::fill(down.begin() + f, down.begin() + g, 1);
    }
    f = g;
  }
  return down;
}

// The runs of samples in which one foot is down, as contacts in frames:
// sample s is frame s * step, and a run to the last sample lasts to the
// clip's last frame.
void findRuns(const std::vector<Point3>& foot, int leg, double hipHeight, double sampleTime,
              int step, int frames, UpAxis up, std::vector<FootContact>& contacts) {
  const std::vector<char> down = downFrames(foot, hipHeight, sampleTime, up);
  const int samples = static_cast<int>(foot.size());
  const double frameTime = sampleTime / step;
  const int shortest =
      std::max(fewestFrames, static_cast<int>(std::ceil(shortestContact / frameTime)));
  int start = -1;
  for (int s = 0; s <= samples; ++s) {
    const bool isDown = s < samples && down[static_cast<size_t>(s)];
    if (isDown && start < 0) start = s;
    if (isDown || start < 0) continue;
    FootContact contact;
    contact.leg = leg;
    contact.first = start * step;
    contact.last = s == samples ? frames - 1 : (s - 1) * step;
    if (contact.last - contact.first + 1 >= shortest) contacts.push_back(contact);
    start = -1;
  }
}

// Each contact's position, exactly: its middle frame posed again.
void placeContacts(const BvhMotion& motion, FootContacts& found) {
  const PosedFigure figure(motion.skeleton);
  std::vector<JointPose> poses;
  for (FootContact& contact : found.contacts) {
    figure.pose(motion.frameLine(contact.middle()), poses);
    contact.position =
        poses[static_cast<size_t>(found.legs[static_cast<size_t>(contact.leg)].foot)].t;
  }
}

}  // namespace

FootContacts findFootContacts(const BvhMotion& motion, UpAxis up, int carried) {
  FootContacts found;
  const Skeleton& skeleton = motion.skeleton;
  if (skeleton.empty() || frameCountOf(motion) == 0) return found;
  if (!skeleton.contains(carried)) carried = 0;
  found.legs = findLegs(skeleton, carried, sampledHeights(motion, up));
  if (found.legs.empty()) return found;

  const double frameTime = motion.frameTime > 0.0 ? motion.frameTime : 1.0 / 30.0;
  found.step = std::max(1, static_cast<int>(std::lround(sampleSeconds / frameTime)));
  poseAllLegs(motion, carried, up, found);
  const size_t legCount = found.legs.size();
  const size_t frames = found.carried.size();
  std::vector<double> hipAbove(frames);
  for (size_t f = 0; f < frames; ++f) {
    double lowest = HUGE_VAL;
    for (size_t k = 0; k < legCount; ++k) {
      lowest = std::min(lowest, heightOf(found.places[f * legCount + k].foot.point(), up));
    }
    hipAbove[f] = heightOf(found.carried[f].at, up) - lowest;
  }
  found.hipHeight = quantile(hipAbove, 0.5);
  if (!(found.hipHeight > 0.0)) return found;
  std::vector<Point3> foot(frames);
  for (size_t k = 0; k < legCount; ++k) {
    for (size_t f = 0; f < frames; ++f) foot[f] = found.places[f * legCount + k].foot.point();
    findRuns(foot, static_cast<int>(k), found.hipHeight, frameTime * found.step, found.step,
             static_cast<int>(frameCountOf(motion)), up, found.contacts);
  }
  placeContacts(motion, found);
  std::stable_sort(found.contacts.begin(), found.contacts.end(),
                   [](const FootContact& a, const FootContact& b) { return a.first < b.first; });
  return found;
}
