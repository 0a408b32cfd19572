#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "motion/BvhMotion.h"
#include "motion/UpAxis.h"

namespace {

using testsupport::TempDir;

// A small figure 180 units tall: hips, spine and head above, two legs below,
// arms sideways along x. Offsets stand along y, or along z (turned by +90
// degrees about x: y becomes z).
std::string figure(bool zOffsets, const std::string& frames, int count) {
  const auto offset = [zOffsets](double x, double y) {
    return "OFFSET " + std::to_string(x) +
           (zOffsets ? " 0 " + std::to_string(y) : " " + std::to_string(y) + " 0") + "\n";
  };
  const auto chain = [&offset](const std::string& name, double x, double y, double endX,
                               double endY) {
    return "JOINT " + name + "\n{\n" + offset(x, y) +
           "CHANNELS 3 Xrotation Yrotation Zrotation\nEnd Site\n{\n" + offset(endX, endY) +
           "}\n}\n";
  };
  return "HIERARCHY\nROOT Hips\n{\n" + offset(0, 90) +
         "CHANNELS 6 Xposition Yposition Zposition Xrotation Yrotation Zrotation\n"
         "JOINT Spine\n{\n" +
         offset(0, 20) + "CHANNELS 3 Xrotation Yrotation Zrotation\n" +
         chain("Head", 0, 50, 0, 20) + chain("LeftArm", 15, 40, 60, 0) +
         chain("RightArm", -15, 40, -60, 0) + "}\n" + chain("LeftLeg", 10, 0, 0, -90) +
         chain("RightLeg", -10, 0, 0, -90) + "}\nMOTION\nFrames: " + std::to_string(count) +
         "\nFrame Time: 0.1\n" + frames;
}

// count frames: the hips at (x, y, z) + k * (dx, dy, dz), turned by rootX
// about x, the spine bent by spineX about x; every other angle 0.
std::string frames(int count, double x, double y, double z, double dx, double dy, double dz,
                   double rootX, double spineX) {
  std::string text;
  for (int k = 0; k < count; ++k) {
    text += std::to_string(x + k * dx) + " " + std::to_string(y + k * dy) + " " +
            std::to_string(z + k * dz) + " " + std::to_string(rootX) + " 0 0 " +
            std::to_string(spineX) + " 0 0";
    for (int j = 0; j < 6; ++j) text += " 0 0 0";
    text += "\n";
  }
  return text;
}

TEST(UpAxisTest, DecidesFromThePosedFigure) {
  const std::string clips = MPE_CLIP_DATA_DIR;
  const struct {
    const char* name;
    std::string file;  // a clip of the repository, or crafted text
    bool crafted;
    UpAxis expected;
  } cases[] = {
      {"CMU walk", clips + "/cmu-01_01.bvh", false, UpAxis::y},
      {"fairmotion pfnn", clips + "/fairmotion-pfnn.bvh", false, UpAxis::y},
      {"MakeHuman zombie walk", clips + "/makehuman-zombieWalk1.bvh", false, UpAxis::z},
      {"MakeHuman face pose units", clips + "/makehuman-face-poseunits.bvh", false, UpAxis::z},
      {"Y-up figure standing", figure(false, frames(3, 0, 0, 0, 0, 0, 0, 0, 0), 3), true,
       UpAxis::y},
      {"Y-up figure walking along z", figure(false, frames(30, 0, 0, 0, 0, 0, 10, 0, 0), 30), true,
       UpAxis::y},
      {"Y-up figure bowing", figure(false, frames(10, 0, 0, 0, 1, 0, 0, 0, 90), 10), true,
       UpAxis::y},
      {"Y-up figure crawling along z", figure(false, frames(30, 0, -80, 0, 0, 0, 20, 90, 0), 30),
       true, UpAxis::y},
      {"Z-up figure walking along y", figure(true, frames(30, 0, 0, 0, 0, 10, 0, 0, 0), 30), true,
       UpAxis::z},
      {"Y-up skeleton turned to Z-up by its root",
       figure(false, frames(30, 0, 0, 90, 0, 10, 0, 90, 0), 30), true, UpAxis::z},
      {"Z-up figure without frames", figure(true, "", 0), true, UpAxis::z},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string file = c.crafted ? dir.write("clip.bvh", c.file) : c.file;
    BvhMotion motion;
    bool read = false;
    Notes readNotes;
    read = motion.read(file.c_str(), readNotes).ok();
    ASSERT_TRUE(read);
    EXPECT_EQ(decideUpAxis(motion), c.expected);
  }
}

}  // namespace
