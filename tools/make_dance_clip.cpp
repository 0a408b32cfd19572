// make_dance_clip: writes the editor's default clip, a humanoid dancing along a
// curved ground track, as a BVH file.
//
// Usage: make_dance_clip [fileName]   (default "dance01.bvh")
//
// Units are centimetres on a slightly small body (head top at about 155), so
// that at the editor's drawing scale the whole figure and its track stay in
// view over the floor. Every motion curve is a smooth periodic function of
// time, and all numbers are written with fixed decimals, so the output is the
// same on every run.

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kFrameCount = 360;
constexpr double kFramesPerSecond = 30.0;
constexpr double kDegrees = 180.0 / kPi;

// One node of the hierarchy in file order; depth gives the nesting, so the
// writer needs no recursion.
struct JointSpec {
  const char* name;  // nullptr for an End Site
  int depth;
  double x, y, z;
};

// Joint indices in file order (End Sites excluded): the channel layout of a
// frame line follows this order.
enum Joint {
  kHips,
  kSpine,
  kSpine1,
  kNeck,
  kHead,
  kLeftShoulder,
  kLeftArm,
  kLeftForeArm,
  kLeftHand,
  kRightShoulder,
  kRightArm,
  kRightForeArm,
  kRightHand,
  kLeftUpLeg,
  kLeftLeg,
  kLeftFoot,
  kLeftToeBase,
  kRightUpLeg,
  kRightLeg,
  kRightFoot,
  kRightToeBase,
  kJointCount
};

// Offsets lie in the x-y plane only: the editor draws a bone with a z part
// mirrored, so feet point forward through a constant ankle pitch instead.
const JointSpec kHierarchy[] = {
    {"Hips", 0, 0.0, 0.0, 0.0},           {"Spine", 1, 0.0, 8.0, 0.0},
    {"Spine1", 2, 0.0, 12.0, 0.0},        {"Neck", 3, 0.0, 24.0, 0.0},
    {"Head", 4, 0.0, 9.0, 0.0},           {nullptr, 5, 0.0, 18.0, 0.0},
    {"LeftShoulder", 3, 4.0, 20.0, 0.0},  {"LeftArm", 4, 14.0, 0.0, 0.0},
    {"LeftForeArm", 5, 28.0, 0.0, 0.0},   {"LeftHand", 6, 25.0, 0.0, 0.0},
    {nullptr, 7, 15.0, 0.0, 0.0},         {"RightShoulder", 3, -4.0, 20.0, 0.0},
    {"RightArm", 4, -14.0, 0.0, 0.0},     {"RightForeArm", 5, -28.0, 0.0, 0.0},
    {"RightHand", 6, -25.0, 0.0, 0.0},    {nullptr, 7, -15.0, 0.0, 0.0},
    {"LeftUpLeg", 1, 9.0, -4.0, 0.0},     {"LeftLeg", 2, 0.0, -38.0, 0.0},
    {"LeftFoot", 3, 0.0, -37.0, 0.0},     {"LeftToeBase", 4, 0.0, -12.0, 0.0},
    {nullptr, 5, 0.0, -5.0, 0.0},         {"RightUpLeg", 1, -9.0, -4.0, 0.0},
    {"RightLeg", 2, 0.0, -38.0, 0.0},     {"RightFoot", 3, 0.0, -37.0, 0.0},
    {"RightToeBase", 4, 0.0, -12.0, 0.0}, {nullptr, 5, 0.0, -5.0, 0.0},
};

constexpr double kThigh = 38.0;
constexpr double kShin = 37.0;
constexpr double kHipDrop = 4.0;
constexpr double kAnkleHeight = 6.0;
// Pitch that turns the foot from hanging down to pointing forward, toes just
// above the ground.
constexpr double kFootPitch = -70.0;

// Ground track: an arc of radius kTrackRadius swept from -100 to +100 degrees
// about (0, kTrackCenterZ), so the root walks away from the viewer, across
// and back, staying on the editor's floor (200 units square at this scale).
constexpr double kTrackRadius = 90.0;
constexpr double kTrackCenterZ = 20.0;
constexpr double kTrackStart = -100.0 / kDegrees;
constexpr double kTrackEnd = 100.0 / kDegrees;
// How far an ankle swings either side of the hips: the clip lasts twelve
// strides, and in each half stride the planted foot passes back by the
// distance the hips travel, 2 * kStride.
constexpr double kStride = kTrackRadius * (kTrackEnd - kTrackStart) / 48.0;
constexpr double kHipWidth = 9.0;

struct Rotation {
  double z = 0.0;
  double x = 0.0;
  double y = 0.0;
};

struct Pose {
  double rootX = 0.0, rootY = 0.0, rootZ = 0.0;
  Rotation joints[kJointCount];
};

// Euler angles, in degrees, of the orientation Ry(heading) Rz(sway) Rx(lean):
// the lean and sway are about the body's own axes, but the channels apply
// Zrotation, then Xrotation, then Yrotation (M = Rz Rx Ry), so the angles are
// read off the composed matrix.
Rotation bodyRotation(double heading, double sway, double lean) {
  auto multiply = [](const double a[3][3], const double b[3][3], double out[3][3]) {
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c)
        out[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
  };
  const double ch = std::cos(heading), sh = std::sin(heading);
  const double cs = std::cos(sway), ss = std::sin(sway);
  const double cl = std::cos(lean), sl = std::sin(lean);
  const double ry[3][3] = {{ch, 0, sh}, {0, 1, 0}, {-sh, 0, ch}};
  const double rz[3][3] = {{cs, -ss, 0}, {ss, cs, 0}, {0, 0, 1}};
  const double rx[3][3] = {{1, 0, 0}, {0, cl, -sl}, {0, sl, cl}};
  double yz[3][3];
  double m[3][3];
  multiply(ry, rz, yz);
  multiply(yz, rx, m);
  Rotation r;
  r.x = std::asin(std::fmax(-1.0, std::fmin(1.0, m[2][1]))) * kDegrees;
  r.z = std::atan2(-m[0][1], m[1][1]) * kDegrees;
  r.y = std::atan2(-m[2][0], m[2][2]) * kDegrees;
  return r;
}

// In degrees: the leg first tilts sideways (about the forward axis), then the
// two-bone chain swings forward from hanging straight and bends the knee.
struct LegAngles {
  double tilt;
  double thigh;
  double knee;
};

// Places the ankle `side`, `down` and `forward` from the hip joint, the reach
// clamped just short of a straight leg.
LegAngles solveLeg(double side, double down, double forward) {
  LegAngles angles;
  angles.tilt = std::atan2(side, down) * kDegrees;
  const double drop = std::sqrt(side * side + down * down);
  double reach = std::sqrt(forward * forward + drop * drop);
  reach = std::fmin(reach, kThigh + kShin - 0.01);
  const double kneeInner =
      std::acos((kThigh * kThigh + kShin * kShin - reach * reach) / (2.0 * kThigh * kShin));
  const double toTarget = std::atan2(forward, drop);
  const double thighToLine =
      std::acos((kThigh * kThigh + reach * reach - kShin * kShin) / (2.0 * kThigh * reach));
  angles.thigh = (toTarget + thighToLine) * kDegrees;
  angles.knee = (kPi - kneeInner) * kDegrees;
  return angles;
}

// Ankle travel relative to the hips over one stride: three terms of a triangle
// wave, so the planted foot slides back at a nearly constant speed that matches
// the walk and stays put on the ground, while the whole curve stays smooth.
double strideOffset(double phase) {
  return kStride * (8.0 / (kPi * kPi)) *
         (std::sin(phase) - std::sin(3.0 * phase) / 9.0 + std::sin(5.0 * phase) / 25.0);
}

Pose poseAt(double t, double duration) {
  const double step = 2.0 * kPi * t;  // one stride (left and right step) per second
  const double beat = 2.0 * step;     // two beats per second
  Pose pose;

  const double angle = kTrackStart + (kTrackEnd - kTrackStart) * (t / duration);
  const double swayShift = 3.0 * std::sin(step);
  // The sway shifts the hips along the track's normal (sin, -cos).
  pose.rootX = kTrackRadius * std::sin(angle) + swayShift * std::sin(angle);
  pose.rootZ = kTrackCenterZ - kTrackRadius * std::cos(angle) - swayShift * std::cos(angle);
  pose.rootY = 82.5 + 1.5 * std::cos(beat);

  // Facing the direction of travel; the tangent of the arc is (cos, sin) in (x, z).
  const double heading = std::atan2(std::cos(angle), std::sin(angle));
  const double sway = 5.0 * std::sin(step);
  const double lean = 4.0 + 2.0 * std::sin(beat);
  pose.joints[kHips] = bodyRotation(heading, sway / kDegrees, lean / kDegrees);

  // Torso twists against the hips and brings the chest back upright.
  pose.joints[kSpine] = {-0.5 * sway, 2.0 * std::sin(beat), 18.0 * std::sin(step + kPi)};
  pose.joints[kSpine1] = {-0.4 * sway, -3.0 - 2.0 * std::sin(beat), 8.0 * std::sin(step + kPi)};
  pose.joints[kNeck] = {0.0, 8.0 * std::sin(beat + 0.6), -10.0 * std::sin(step + kPi)};
  pose.joints[kHead] = {4.0 * std::sin(0.5 * step), 4.0 * std::sin(beat + 1.0),
                        15.0 * std::sin(0.5 * step)};

  // Arms: raised and lowered in turn, swung forward and back against the legs,
  // elbows pumping on the beat.
  const double shrug = 5.0 * std::sin(beat);
  pose.joints[kLeftShoulder] = {shrug, 0.0, 0.0};
  pose.joints[kRightShoulder] = {-shrug, 0.0, 0.0};
  const double raiseLeft = 35.0 * std::sin(step);
  const double raiseRight = 35.0 * std::sin(step + kPi);
  const double swingLeft = 25.0 * std::sin(step + 0.5 * kPi);
  const double swingRight = 25.0 * std::sin(step + 1.5 * kPi);
  pose.joints[kLeftArm] = {-55.0 + raiseLeft, 20.0 * std::sin(step), -swingLeft};
  pose.joints[kRightArm] = {55.0 - raiseRight, 20.0 * std::sin(step + kPi), swingRight};
  const double elbow = 40.0 + 30.0 * (0.5 + 0.5 * std::sin(beat));
  pose.joints[kLeftForeArm] = {0.0, 0.0, -elbow};
  pose.joints[kRightForeArm] = {0.0, 0.0, elbow};
  pose.joints[kLeftHand] = {20.0 * std::sin(beat), 0.0, -10.0 * std::sin(step)};
  pose.joints[kRightHand] = {-20.0 * std::sin(beat), 0.0, 10.0 * std::sin(step)};

  // Legs: each foot swings forward lifted while the other slides back planted;
  // the hips' sway and lean are undone so the feet stay under the body and
  // flat on the ground.
  const double cs = std::cos(sway / kDegrees), ss = std::sin(sway / kDegrees);
  const double cl = std::cos(lean / kDegrees), sl = std::sin(lean / kDegrees);
  const Joint upLegs[2] = {kLeftUpLeg, kRightUpLeg};
  for (int side = 0; side < 2; ++side) {
    const double across = side == 0 ? kHipWidth : -kHipWidth;
    // Hip joint in the body's untilted frame: the offset turned by lean, then sway.
    const double hipX = across * cs + kHipDrop * cl * ss;
    const double hipY = pose.rootY + across * ss - kHipDrop * cl * cs;
    const double hipZ = -kHipDrop * sl;
    const double phase = step + side * kPi;
    const double swing = std::fmax(0.0, std::cos(phase));
    const double lift = 7.0 * swing * swing;
    // The hips shift by swayShift along the body's own x axis; the feet do not.
    const LegAngles leg = solveLeg(across - swayShift - hipX, hipY - (kAnkleHeight + lift),
                                   strideOffset(phase) - hipZ);
    // A positive Xrotation turns a hanging limb backwards, so forward swing is
    // negative.
    const double thighX = -leg.thigh - lean;
    const double toeRaise = 15.0 * swing * std::sin(phase + 0.5 * kPi);
    // UpLeg, Leg, Foot and ToeBase follow each other in the joint order.
    const int j = upLegs[side];
    pose.joints[j] = {leg.tilt - sway, thighX, 0.0};
    pose.joints[j + 1] = {0.0, leg.knee, 0.0};
    pose.joints[j + 2] = {0.0, kFootPitch - thighX - leg.knee - lean + toeRaise, 0.0};
    pose.joints[j + 3] = {0.0, 10.0 * swing, 0.0};
  }
  return pose;
}

// Fixed four decimals, with a rounded-away negative zero written as 0.0000.
std::string number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.4f", value);
  if (std::string(text) == "-0.0000") return "0.0000";
  return text;
}

void writeHierarchy(std::FILE* file) {
  std::fprintf(file, "HIERARCHY\n");
  const int count = static_cast<int>(sizeof kHierarchy / sizeof kHierarchy[0]);
  for (int i = 0; i < count; ++i) {
    const JointSpec& node = kHierarchy[i];
    const std::string indent(static_cast<size_t>(node.depth), '\t');
    const std::string inner(static_cast<size_t>(node.depth + 1), '\t');
    if (node.name == nullptr)
      std::fprintf(file, "%sEnd Site\n", indent.c_str());
    else
      std::fprintf(file, "%s%s %s\n", indent.c_str(), node.depth == 0 ? "ROOT" : "JOINT",
                   node.name);
    std::fprintf(file, "%s{\n%sOFFSET %.2f %.2f %.2f\n", indent.c_str(), inner.c_str(), node.x,
                 node.y, node.z);
    if (node.name != nullptr) {
      if (node.depth == 0)
        std::fprintf(file,
                     "%sCHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation "
                     "Yrotation\n",
                     inner.c_str());
      else
        std::fprintf(file, "%sCHANNELS 3 Zrotation Xrotation Yrotation\n", inner.c_str());
    }
    // Close every block the next node does not nest inside.
    const int nextDepth = i + 1 < count ? kHierarchy[i + 1].depth : 0;
    for (int depth = node.depth; depth >= nextDepth; --depth)
      std::fprintf(file, "%s}\n", std::string(static_cast<size_t>(depth), '\t').c_str());
  }
}

void writeMotion(std::FILE* file) {
  std::fprintf(file, "MOTION\nFrames: %d\nFrame Time: 0.033333\n", kFrameCount);
  const double duration = kFrameCount / kFramesPerSecond;
  double previousHeading = 0.0;
  for (int frame = 0; frame < kFrameCount; ++frame) {
    Pose pose = poseAt(frame / kFramesPerSecond, duration);
    // The heading crosses +-180 degrees on the arc; keep it continuous so
    // the clip never spins a full turn between two frames.
    double& heading = pose.joints[kHips].y;
    if (frame > 0) {
      while (heading - previousHeading > 180.0) heading -= 360.0;
      while (heading - previousHeading < -180.0) heading += 360.0;
    }
    previousHeading = heading;

    std::string line = number(pose.rootX) + " " + number(pose.rootY) + " " + number(pose.rootZ);
    for (const Rotation& r : pose.joints)
      line += " " + number(r.z) + " " + number(r.x) + " " + number(r.y);
    std::fprintf(file, "%s\n", line.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* fileName = argc > 1 ? argv[1] : "dance01.bvh";
  std::FILE* file = std::fopen(fileName, "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "make_dance_clip: cannot open %s for writing\n", fileName);
    return 1;
  }
  writeHierarchy(file);
  writeMotion(file);
  const bool failed = std::ferror(file) != 0;
  if (std::fclose(file) != 0 || failed) {
    std::fprintf(stderr, "make_dance_clip: writing %s failed\n", fileName);
    return 1;
  }
  return 0;
}
