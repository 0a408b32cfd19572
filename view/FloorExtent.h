#pragma once

class SceneExtent;

// The floor under a scene, in world units at the floor's height: a rectangle
// and its checker, which repeats every `period` counted from (originX,
// originZ).
struct FloorExtent {
  double minX = 0.0;
  double maxX = 0.0;
  double minZ = 0.0;
  double maxZ = 0.0;
  double originX = 0.0;
  double originZ = 0.0;
  double period = 10.0;
};

// The floor under scene: the square about the origin the floor always had
// (half its edge 5, or 0.6 figure sizes for a larger figure) grown to cover
// the scene's reach with a quarter of the figure's size to spare, so it lies
// under the figure at every frame, both paths and their points. The checker repeats every 1.2
// figure sizes (10 without a figure), from that square's corner: its squares
// keep their size against the figure, and a clip inside the square of a
// figure the size of the default clip's sees the floor it always saw.
FloorExtent floorUnder(const SceneExtent& scene);
