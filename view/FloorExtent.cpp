#include "view/FloorExtent.h"

#include <algorithm>
#include <cmath>

#include "view/SceneExtent.h"

namespace {

constexpr double smallestHalf = 5.0;
constexpr double halfPerFigure = 0.6;
// Beyond what the scene reaches (which holds the figure itself).
constexpr double marginPerFigure = 0.25;

}  // namespace

FloorExtent floorUnder(const SceneExtent& scene) {
  const double figure = scene.figureSize();
  const double half = std::max(smallestHalf, halfPerFigure * figure);
  FloorExtent floor;
  floor.minX = floor.minZ = floor.originX = floor.originZ = -half;
  floor.maxX = floor.maxZ = half;
  floor.period = figure > 0.0 ? 2.0 * halfPerFigure * figure : 2.0 * smallestHalf;
  WorldBox reach = scene.reach();
  reach.grow(marginPerFigure * figure);
  if (!reach.empty()) {
    floor.minX = std::min(floor.minX, reach.low.x);
    floor.maxX = std::max(floor.maxX, reach.high.x);
    floor.minZ = std::min(floor.minZ, reach.low.z);
    floor.maxZ = std::max(floor.maxZ, reach.high.z);
  }
  return floor;
}
