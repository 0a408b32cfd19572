#include "path/LoopFit.h"

#include <cmath>

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

Point3 readTrackPosition(const char* line, const TrackWords& words) {
  double coordinate[3] = {0.0, 0.0, 0.0};
  if (line == nullptr) return Point3{};
  // Words are read where they stand, as atof reads them, so no copy of the
  // line is made; the rest of a long line (every other joint) is never looked at.
  FrameWords frameWords(line);
  const char* first = nullptr;
  const char* last = nullptr;
  for (int word = 0; word <= words.last && frameWords.next(first, last); ++word) {
    for (int axis = 0; axis < 3; ++axis) {
      if (words.index[axis] == word) coordinate[axis] = wordValue(first, last);
    }
  }
  return Point3{coordinate[0], coordinate[1], coordinate[2]};
}

bool loopGroundPosition(const LoopFit& fit, const BvhMotion& motion, int i, int N, double& x,
                        double& z) {
  if (!covers(fit, i, N)) return false;
  // A clip with fewer stored lines than its count reads the missing frames
  // as the origin, as the fit did.
  const char* line =
      static_cast<size_t>(i) < motion.frameLines.size() ? motion.frameLine(i) : nullptr;
  const Point3 track = readTrackPosition(line, fit.words);
  const Point3 fitted = fit.fitted.positionAt(PathCurve::framePathParameter(i, fit.frames));
  const Point3 c = fit.path.positionAt(PathCurve::framePathParameter(i, N));
  // A frame left out of the fit keeps its non-finite offset: the writer then
  // writes that frame's position as it was read.
  x = c.x + (track.x - fitted.x);
  z = c.z + (track.z - fitted.z);
  return true;
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

bool framePlacement(const LoopFit& fit, const BvhMotion& motion, int f, int frameCount,
                    FramePlacement& placement) {
  double x = 0.0;
  double z = 0.0;
  if (!loopGroundPosition(fit, motion, f, frameCount, x, z)) return false;
  placement.x = x;
  placement.z = z;
  placement.headingDegrees = loopHeadingDegrees(fit, f, frameCount);
  return true;
}
