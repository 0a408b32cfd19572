// A leg whose knee has a single rotation channel cannot hold the solve: the
// console says so once, naming the leg, and its words are written as the
// path alone writes them, while the other leg is still kept on its feet.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "motion/BvhMotion.h"
#include "motion/FootContacts.h"
#include "path/ClipPath.h"
#include "path/PathKinds.h"
#include "path/PathWriter.h"

namespace {

// The frame lines of a clip file, each split into words.
std::vector<std::vector<std::string>> frameWordsOf(const std::string& text) {
  std::istringstream in(text.substr(text.find('\n', text.find("Frame Time")) + 1));
  std::vector<std::vector<std::string>> frames;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    frames.emplace_back();
    for (std::string w; words >> w;) frames.back().push_back(w);
  }
  return frames;
}

// The Xia walk with its left knee (words 12 to 14) reduced to Xrotation.
std::string withStiffLeftKnee(const std::string& text) {
  std::istringstream in(text);
  std::ostringstream out;
  bool knee = false;
  bool frames = false;
  for (std::string line; std::getline(in, line);) {
    if (frames) {
      std::istringstream words(line);
      int k = 0;
      for (std::string w; words >> w; ++k) {
        if (k != 12 && k != 13) out << w << " ";
      }
      out << "\n";
      continue;
    }
    knee = knee || line.find("JOINT LeftLeg") != std::string::npos;
    if (knee && line.find("CHANNELS") != std::string::npos) {
      line = "CHANNELS 1 Xrotation";
      knee = false;
    }
    frames = line.rfind("Frame Time", 0) == 0;
    out << line << "\n";
  }
  return out.str();
}

TEST(FootPlantingTest, ALegThatCannotHoldTheSolveIsWrittenAsThePathWritesIt) {
  testsupport::TempDir dir;
  const std::string clip =
      dir.write("stiff.bvh",
                withStiffLeftKnee(testsupport::readFile(MPE_CLIP_DATA_DIR "/xia-neutral-01.bvh")));
  BvhMotion motion;
  Notes notes;
  ASSERT_TRUE(motion.read(clip.c_str(), notes));
  const UpAxis up = decideUpAxis(motion);
  const TrackJoint track = findTrackJoint(motion, up);
  const FootContacts feet = findFootContacts(motion, up, jointOfClip(motion, track.joint));
  ASSERT_EQ(feet.legs.size(), 2u);
  ASSERT_GE(feet.contacts.size(), 4u);

  std::unique_ptr<ClipPath> path = makePath(pathKindOf("track"));
  ASSERT_TRUE(path->fit(PathClip{motion, up, track}, 3, notes));
  const Point3 middle = path->point(1);
  path->setPoint(1, {middle.x, middle.y, middle.z + 4.0});
  const std::string without = dir.path() + "/without.bvh";
  const std::string with = dir.path() + "/with.bvh";
  ASSERT_TRUE(writePath(without.c_str(), motion, *path, up, notes));
  Notes planted;
  ASSERT_TRUE(writePath(with.c_str(), motion, *path, up, planted, ExistingTarget::kReplace, &feet));
  const std::string said =
      "The leg of LeftToeBase cannot keep its foot planted: LeftUpLeg, LeftLeg and LeftFoot need "
      "three rotation channels each; it is written as read\n";
  const std::string& text = planted.text();
  ASSERT_NE(text.find(said), std::string::npos) << text;
  EXPECT_EQ(text.find(said), text.rfind(said));
  EXPECT_EQ(text.find("RightToeBase"), std::string::npos);

  // The left leg's words (LeftUpLeg 9-11, LeftLeg 12, LeftFoot 13-15) as
  // the path alone writes them; the right leg's (RightUpLeg, RightLeg and
  // RightFoot, 22-30) moved.
  const auto a = frameWordsOf(testsupport::readFile(without));
  const auto b = frameWordsOf(testsupport::readFile(with));
  ASSERT_EQ(a.size(), b.size());
  int rightMoved = 0;
  for (size_t f = 0; f < a.size(); ++f) {
    for (size_t k = 9; k <= 15; ++k) EXPECT_EQ(a[f][k], b[f][k]) << f << " " << k;
    bool moved = false;
    for (size_t k = 22; k <= 30; ++k) moved = moved || a[f][k] != b[f][k];
    rightMoved += moved ? 1 : 0;
  }
  EXPECT_GT(rightMoved, 100);
}

}  // namespace
