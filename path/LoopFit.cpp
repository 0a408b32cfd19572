#include "path/LoopFit.h"

#include <cmath>
#include <vector>

#include "motion/BvhMotion.h"
#include "motion/FrameWords.h"

namespace {

constexpr double degreesPerRadian = 180.0 / 3.14159265358979323846;

bool covers(const LoopFit& fit, int i, int N) { return N > 0 && i >= 0 && i < fit.frames; }

// The fitted curve's direction at frame i, or none (0, 0) when it is too
// short to mean anything.
void fitDirection(const LoopFit& fit, int i, double& x, double& z) {
  Point3 f;
  fit.fitted.forwardAt(PathCurve::framePathParameter(i, fit.frames), f);
  const bool hasDirection = std::hypot(f.x, f.z) >= fit.noDirection;
  x = hasDirection ? f.x : 0.0;
  z = hasDirection ? f.z : 0.0;
}

}  // namespace

Point3 readTrackPosition(const char* line, const TrackJoint& track) {
  if (line == nullptr) return Point3{};
  // Only the first words are read: the rest of a long line (every other
  // joint) is never looked at.
  constexpr size_t kMostWords = 64;
  const int wanted = track.wordsRead();
  if (wanted <= 0) return Point3{};
  double small[kMostWords];
  std::vector<double> large;
  double* values = small;
  if (static_cast<size_t>(wanted) > kMostWords) {
    large.resize(static_cast<size_t>(wanted));
    values = large.data();
  }
  const size_t count = readFrameValues(line, values, static_cast<size_t>(wanted));
  const auto at = [&](int word) {
    return word >= 0 && static_cast<size_t>(word) < count ? values[word] : 0.0;
  };
  return {at(track.xWord), at(track.upWord), at(track.zWord)};
}

bool loopGroundPosition(const LoopFit& fit, double trackX, double trackZ, int i, int N, double& x,
                        double& z) {
  if (!covers(fit, i, N)) return false;
  const Point3 fitted = fit.fitted.positionAt(PathCurve::framePathParameter(i, fit.frames));
  const Point3 c = fit.path.positionAt(PathCurve::framePathParameter(i, N));
  // A frame left out of the fit keeps its non-finite offset: the writer then
  // writes that frame's position as it was read.
  x = c.x + (trackX - fitted.x);
  z = c.z + (trackZ - fitted.z);
  return true;
}

bool loopGroundPosition(const LoopFit& fit, const BvhMotion& motion, int i, int N, double& x,
                        double& z) {
  // A clip with fewer stored lines than its count reads the missing frames
  // as the origin, as the fit did.
  const char* line =
      i >= 0 && static_cast<size_t>(i) < motion.frameLines.size() ? motion.frameLine(i) : nullptr;
  const Point3 track = readTrackPosition(line, fit.track);
  return loopGroundPosition(fit, track.x, track.z, i, N, x, z);
}

double loopHeadingDegrees(const LoopFit& fit, int i, int N) {
  if (!covers(fit, i, N)) return 0.0;
  Point3 f;
  fit.path.forwardAt(PathCurve::framePathParameter(i, N), f);
  double gx = 0.0;
  double gz = 0.0;
  fitDirection(fit, i, gx, gz);
  // Signed angle from the fit-time direction to the present one.
  const double cross = f.x * gz - f.z * gx;
  const double dot = f.x * gx + f.z * gz;
  // A zero vector on either side means no turn; atan2 of signed zeros could
  // otherwise answer a half turn (atan2(+0, -0) is pi).
  if (cross == 0.0 && dot == 0.0) return 0.0;
  return std::atan2(cross, dot) * degreesPerRadian;
}

bool framePlacement(const LoopFit& fit, double trackX, double trackZ, int f, int frameCount,
                    FramePlacement& placement) {
  double x = 0.0;
  double z = 0.0;
  if (!loopGroundPosition(fit, trackX, trackZ, f, frameCount, x, z)) return false;
  placement.x = x;
  placement.z = z;
  placement.headingDegrees = loopHeadingDegrees(fit, f, frameCount);
  return true;
}

bool framePlacement(const LoopFit& fit, const BvhMotion& motion, int f, int frameCount,
                    FramePlacement& placement) {
  const char* line =
      f >= 0 && static_cast<size_t>(f) < motion.frameLines.size() ? motion.frameLine(f) : nullptr;
  const Point3 track = readTrackPosition(line, fit.track);
  return framePlacement(fit, track.x, track.z, f, frameCount, placement);
}
