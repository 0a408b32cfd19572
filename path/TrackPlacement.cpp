#include "path/TrackPlacement.h"

#include <cmath>

#include "path/TrackFit.h"

namespace {

constexpr double degreesPerRadian = 180.0 / 3.14159265358979323846;

}  // namespace

bool trackPlacement(const TrackFit& fit, int f, FramePlacement& placement) {
  if (f < 0 || static_cast<size_t>(f) >= fit.frames.size()) return false;
  const TrackFrame& frame = fit.frames[static_cast<size_t>(f)];
  if (!frame.onPath) return false;
  const TrackCurve::Station station = fit.path.stationAt(frame.distance);
  // Without a direction (a single point, a path of no length) the frame
  // keeps its own and is not turned.
  const double dirX = station.hasDirection ? station.dirX : frame.dirX;
  const double dirZ = station.hasDirection ? station.dirZ : frame.dirZ;
  placement.x = station.at.x + frame.along * dirX + frame.side * dirZ;
  placement.z = station.at.z + frame.along * dirZ - frame.side * dirX;
  // Signed turn from the fit-time direction to the present one, as the loop
  // path measures it.
  const double cross = dirX * frame.dirZ - dirZ * frame.dirX;
  const double dot = dirX * frame.dirX + dirZ * frame.dirZ;
  placement.headingDegrees =
      cross == 0.0 && dot >= 0.0 ? 0.0 : std::atan2(cross, dot) * degreesPerRadian;
  return true;
}
