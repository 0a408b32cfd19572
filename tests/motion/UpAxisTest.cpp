#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "motion/BvhMotion.h"
#include "motion/FrameWords.h"
#include "motion/RotationMatrix.h"
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
// about x, the spine bent by spineX about x, and by swing more on every odd
// frame; every other angle 0.
std::string frames(int count, double x, double y, double z, double dx, double dy, double dz,
                   double rootX, double spineX, double swing = 0.0) {
  std::string text;
  for (int k = 0; k < count; ++k) {
    text += std::to_string(x + k * dx) + " " + std::to_string(y + k * dy) + " " +
            std::to_string(z + k * dz) + " " + std::to_string(rootX) + " 0 0 " +
            std::to_string(spineX + (k % 2) * swing) + " 0 0";
    for (int j = 0; j < 6; ++j) text += " 0 0 0";
    text += "\n";
  }
  return text;
}

// The CMU walk lying on its back for the whole clip: its root held where the
// first frame has it and turned by 90 degrees about x (y becomes z). Its
// root channels are Xposition Yposition Zposition Zrotation Yrotation
// Xrotation.
std::string lyingWalk() {
  const std::string original =
      testsupport::readFile(std::string(MPE_CLIP_DATA_DIR) + "/cmu-01_01.bvh");
  const size_t header = original.find('\n', original.find("Frame Time:")) + 1;
  BvhMotion walk;
  Notes notes;
  EXPECT_TRUE(walk.read((std::string(MPE_CLIP_DATA_DIR) + "/cmu-01_01.bvh").c_str(), notes));
  std::string text = original.substr(0, header);
  const AxisOrder zyx{{2, 1, 0}};
  std::vector<double> first;
  readFrameValues(walk.frameLine(0), first);
  std::vector<double> values;
  char number[64];
  for (int f = 0; f < walk.frameCount; ++f) {
    readFrameValues(walk.frameLine(f), values);
    const double angles[3] = {values[3], values[4], values[5]};
    anglesFromRotation(axisRotation(0, 90.0) * rotationFromAngles(zyx, angles), zyx, angles,
                       &values[3]);
    for (int k = 0; k < 3; ++k) values[static_cast<size_t>(k)] = first[static_cast<size_t>(k)];
    for (const double value : values) {
      std::snprintf(number, sizeof number, "%.6g ", value);
      text += number;
    }
    text += "\n";
  }
  return text;
}

TEST(UpAxisTest, DecidesFromThePosedFigureAndTheRestPose) {
  const std::string clips = MPE_CLIP_DATA_DIR;
  using E = UpEvidence;
  const struct {
    const char* name;
    std::string file;  // a clip of the repository, or crafted text
    bool crafted;
    UpAxis expected;
    UpEvidence evidence;
  } cases[] = {
      {"CMU walk", clips + "/cmu-01_01.bvh", false, UpAxis::y, E::kPosedFigure},
      {"fairmotion pfnn", clips + "/fairmotion-pfnn.bvh", false, UpAxis::y, E::kPosedFigure},
      {"MakeHuman zombie walk", clips + "/makehuman-zombieWalk1.bvh", false, UpAxis::z,
       E::kPosedFigure},
      {"MakeHuman face pose units", clips + "/makehuman-face-poseunits.bvh", false, UpAxis::z,
       E::kPosedFigure},
      {"Y-up figure standing", figure(false, frames(3, 0, 0, 0, 0, 0, 0, 0, 0), 3), true, UpAxis::y,
       E::kPosedFigure},
      {"Y-up figure walking along z", figure(false, frames(30, 0, 0, 0, 0, 0, 10, 0, 0), 30), true,
       UpAxis::y, E::kPosedFigure},
      {"Y-up figure bowing", figure(false, frames(10, 0, 0, 0, 1, 0, 0, 0, 90), 10), true,
       UpAxis::y, E::kPosedFigure},
      {"Y-up figure crawling along z", figure(false, frames(30, 0, -80, 0, 0, 0, 20, 90, 0), 30),
       true, UpAxis::y, E::kPosedFigure},
      {"Z-up figure walking along y", figure(true, frames(30, 0, 0, 0, 0, 10, 0, 0, 0), 30), true,
       UpAxis::z, E::kPosedFigure},
      {"Y-up skeleton turned to Z-up by its root",
       figure(false, frames(30, 0, 0, 90, 0, 10, 0, 90, 0), 30), true, UpAxis::z, E::kTravel},
      {"Y-up skeleton turned to Z-up by its root, bending in place on its feet",
       figure(false, frames(30, 0, 0, 90, 0, 0, 0, 90, 0, 30), 30), true, UpAxis::z, E::kFooting},
      {"Z-up figure without frames", figure(true, "", 0), true, UpAxis::z, E::kPosedFigure},
      {"CMU walk lying on its back, held in place", lyingWalk(), true, UpAxis::y, E::kRestPose},
      {"a pose lying on its back", figure(false, frames(2, 0, 10, 0, 0, 0, 0, 90, 0), 2), true,
       UpAxis::y, E::kRestPose},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string file = c.crafted ? dir.write("clip.bvh", c.file) : c.file;
    BvhMotion motion;
    Notes readNotes;
    ASSERT_TRUE(motion.read(file.c_str(), readNotes).ok());
    const UpAxisDecision decision = judgeUpAxis(motion);
    EXPECT_EQ(decision.axis, c.expected);
    EXPECT_EQ(decision.evidence, c.evidence);
    // The console says what decided wherever the answer is not a plain Y.
    Notes notes;
    EXPECT_EQ(decideUpAxis(motion, notes), c.expected);
    const bool plainY = c.expected == UpAxis::y && c.evidence == E::kPosedFigure;
    EXPECT_EQ(notes.text().rfind(std::string("Up axis ") + upAxisName(c.expected) + ": ", 0),
              plainY ? std::string::npos : 0u)
        << notes.text();
  }
  Notes notes;
  BvhMotion pose;
  TempDir dir;
  ASSERT_TRUE(pose.read(dir.write("pose.bvh", cases[13].file).c_str(), notes));
  notes.clear();
  decideUpAxis(pose, notes);
  EXPECT_EQ(notes.text(),
            "Up axis Y: its rest pose stands along y; the frames stand it along z but neither "
            "carry it along the ground nor put its feet on a floor\n");
}

}  // namespace
