#pragma once

#include "view/OrbitCamera.h"
#include "view/Playback.h"
#include "view/SceneExtent.h"

// What the view shows of a session besides the session itself: the playback,
// the camera and the display switches. Headless; the editor's actions change
// it and the view draws it (through a const reference).
struct ViewState {
  Playback playback;
  OrbitCamera camera;
  // Whether the path is shown and carries the figure ("Uses Path").
  bool usesPath = false;
  // The figure as captured drawn beside the edited one (G), the carried
  // joint's trails over the whole clip (M), the spread strobe (S), the key
  // list over the view (F1, ?).
  bool ghost = false;
  bool trail = false;
  bool spreadStrobe = false;
  bool keyList = false;
  // The foot contacts marked on the floor where each foot is planted (K).
  bool contacts = false;
  // Where the scene reaches, brought up to date by the actions.
  SceneExtent scene;
  // The view's size in pixels.
  int width = 900;
  int height = 600;
  // Counts the clips loaded, so the view knows when to forget what it kept
  // of the last one.
  int clipsLoaded = 0;

  // Width over height; 1 for a view of no height.
  double aspect() const { return height > 0 ? static_cast<double>(width) / height : 1.0; }
};
