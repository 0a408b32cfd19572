#pragma once

// A small clip for the view's tests, headless and windowed alike.

#include <cstdio>
#include <string>

namespace editortest {

// A two-joint clip (Hips with six channels, Chest with three, an End Site).
// Frame i puts the root at (i * stepX, 0, i * stepZ); the rotations are 0.
inline std::string walkClip(int frames, double stepX = 10.0, double stepZ = 5.0,
                            double frameTime = 0.1) {
  std::string text =
      "HIERARCHY\n"
      "ROOT Hips\n"
      "{\n"
      "\tOFFSET 0 0 0\n"
      "\tCHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"
      "\tJOINT Chest\n"
      "\t{\n"
      "\t\tOFFSET 0 10 0\n"
      "\t\tCHANNELS 3 Zrotation Xrotation Yrotation\n"
      "\t\tEnd Site\n"
      "\t\t{\n"
      "\t\t\tOFFSET 0 10 0\n"
      "\t\t}\n"
      "\t}\n"
      "}\n"
      "MOTION\n";
  char line[256];
  std::snprintf(line, sizeof line, "Frames: %d\nFrame Time: %g\n", frames, frameTime);
  text += line;
  for (int i = 0; i < frames; ++i) {
    std::snprintf(line, sizeof line, "%g 0 %g 0 0 0 0 0 0\n", i * stepX, i * stepZ);
    text += line;
  }
  return text;
}

}  // namespace editortest
