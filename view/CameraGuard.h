#pragma once

#include "base/Point3.h"
#include "view/FloorExtent.h"
#include "view/OrbitCamera.h"

// Whether a camera stands where one can work: above the floor, outside the
// figure (a ball of half figureSize about figureMiddle), and near enough
// that its far plane still reaches the floor.
bool cameraStandsSound(const OrbitCamera& camera, const FloorExtent& floor,
                       const Point3& figureMiddle, double figureSize);
