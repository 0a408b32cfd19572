#pragma once

#include "view/Quaternion.h"

// Turns right-button drags, given in the view's unit square (-1..1, y up),
// into a camera rotation. Each new drag is composed on the left, so drags turn
// the scene about screen-fixed axes.
class ArcBall {
 public:
  struct SpherePoint {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
  };

  ArcBall() = default;

  // Folds the previous drag into rotation and starts a new one at (x, y).
  void beginDrag(float x, float y);
  // Sets dragRotation to the turn from the drag's start point to (x, y).
  void dragTo(float x, float y);
  // Lifts a unit-square point onto the unit sphere; outside the circle: the rim.
  static SpherePoint mapToSphere(float x, float y);
  // The matrix for glMultMatrixf: rotates by dragRotation times rotation.
  void matrix(float m[16]) const;

  Quaternion rotation;
  Quaternion dragRotation;
  float startX = 0.0f;
  float startY = 0.0f;
};
