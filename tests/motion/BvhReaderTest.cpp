#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "motion/BvhMotion.h"
#include "motion/FrameWords.h"

namespace {

using testsupport::TempDir;
using testsupport::withoutColors;

struct ReadResult {
  bool ok = false;
  // The console notes of the read.
  std::string output;
  // A failure's message and line.
  std::string error;
  int line = 0;
};

ReadResult readFile(BvhMotion& motion, const std::string& path) {
  ReadResult result;
  Notes notes;
  const Status read = motion.read(path.c_str(), notes);
  result.ok = read.ok();
  result.output = notes.text();
  if (!read) {
    result.error = read.failure().message;
    result.line = read.failure().line;
  }
  return result;
}

ReadResult readText(BvhMotion& motion, const std::string& contents) {
  TempDir dir;
  return readFile(motion, dir.write("clip.bvh", contents));
}

// Every node in file order (pre-order).
std::vector<const BvhJoint*> nodesOf(const BvhMotion& motion) {
  std::vector<const BvhJoint*> nodes;
  for (const BvhJoint& joint : motion.skeleton.joints()) nodes.push_back(&joint);
  return nodes;
}

const BvhJoint* rootOf(const BvhMotion& motion) {
  return motion.skeleton.empty() ? nullptr : &motion.skeleton.root();
}

const BvhJoint* parentOf(const BvhMotion& motion, const BvhJoint* joint) {
  return joint->parent >= 0 ? &motion.skeleton[joint->parent] : nullptr;
}

std::vector<const BvhJoint*> childrenOf(const BvhMotion& motion, const BvhJoint* joint) {
  std::vector<const BvhJoint*> children;
  const int index = static_cast<int>(joint - motion.skeleton.joints().data());
  for (int child : motion.skeleton.children(index)) children.push_back(&motion.skeleton[child]);
  return children;
}

const BvhJoint* find(const BvhMotion& motion, const std::string& name) {
  for (const BvhJoint* joint : nodesOf(motion)) {
    if (joint->name != nullptr && name == joint->name) return joint;
  }
  return nullptr;
}

template <typename List>
std::vector<std::string> namesOf(const List& words) {
  return std::vector<std::string>(words.begin(), words.end());
}

bool pointsIntoText(const BvhMotion& motion, const char* p) {
  return p >= motion.text.get() && p < motion.text.get() + motion.textSize;
}

// Pieces of small files for the message table and the structure tests.
const std::string kRoot =
    "HIERARCHY\nROOT Hips\n{\n OFFSET 1 2 3\n CHANNELS 3 Xposition Yposition Zposition\n";
const std::string kJoint = " JOINT Knee\n {\n  OFFSET 0 -1 0\n  CHANNELS 1 Xrotation\n";
const std::string kEndSite = "  End Site\n  {\n   OFFSET 0 -2 0\n  }\n }\n";
const std::string kMotion = "MOTION\nFrames: 2\nFrame Time: 0.5\n1 2 3 4\n5 6 7 8\n";
const std::string kGood = kRoot + kJoint + kEndSite + "}\n" + kMotion;

// ---------------------------------------------------------------------------
// A well-formed clip

TEST(BvhReaderTest, SetsEveryFieldOfASmallClip) {
  BvhMotion motion;
  const ReadResult result = readText(motion, kGood);
  ASSERT_TRUE(result.ok) << result.output;
  int colors = 0;
  EXPECT_EQ(withoutColors(result.output, &colors), "NumFrames 2\tFrameTime 0.500000\n");
  EXPECT_EQ(colors, 2);

  EXPECT_EQ(motion.frameCount, 2);
  EXPECT_EQ(motion.frameTime, 0.5);
  EXPECT_EQ(motion.channelTotal, 4);
  ASSERT_EQ(motion.frameLines.size(), 2u);
  EXPECT_STREQ(motion.frameLine(0), "1 2 3 4");
  EXPECT_STREQ(motion.frameLine(1), "5 6 7 8");

  const BvhJoint& root = *rootOf(motion);
  EXPECT_STREQ(root.name, "Hips");
  EXPECT_EQ(root.offset.x, 1.0);
  EXPECT_EQ(root.offset.y, 2.0);
  EXPECT_EQ(root.offset.z, 3.0);
  EXPECT_EQ(root.channelCount, 3);
  EXPECT_EQ(namesOf(root.channelNames),
            (std::vector<std::string>{"Xposition", "Yposition", "Zposition"}));
  EXPECT_EQ(parentOf(motion, &root), nullptr);
  EXPECT_FALSE(root.isEndSite);
  EXPECT_EQ(root.channelOffset, 0);
  EXPECT_EQ(root.color.r, 1.0);
  EXPECT_EQ(root.color.g, 1.0);
  EXPECT_EQ(root.color.b, 1.0);
  ASSERT_EQ(childrenOf(motion, &root).size(), 1u);

  const BvhJoint& knee = *childrenOf(motion, &root)[0];
  EXPECT_STREQ(knee.name, "Knee");
  EXPECT_EQ(knee.offset.y, -1.0);
  EXPECT_EQ(parentOf(motion, &knee), &root);
  EXPECT_EQ(knee.channelOffset, 3);
  ASSERT_EQ(childrenOf(motion, &knee).size(), 1u);

  const BvhJoint& site = *childrenOf(motion, &knee)[0];
  EXPECT_STREQ(site.name, "END");
  EXPECT_TRUE(site.isEndSite);
  EXPECT_EQ(site.channelCount, 0);
  EXPECT_EQ(site.channelOffset, -1);
  EXPECT_EQ(site.offset.y, -2.0);
  EXPECT_EQ(parentOf(motion, &site), &knee);
  EXPECT_TRUE(childrenOf(motion, &site).empty());
}

TEST(BvhReaderTest, NamesAndFrameLinesPointIntoTheOneText) {
  BvhMotion motion;
  ASSERT_TRUE(readText(motion, kGood).ok);
  EXPECT_EQ(motion.textSize, kGood.size());
  EXPECT_TRUE(pointsIntoText(motion, rootOf(motion)->name));
  EXPECT_TRUE(pointsIntoText(motion, childrenOf(motion, rootOf(motion))[0]->name));
  for (const char* channel : rootOf(motion)->channelNames) {
    EXPECT_TRUE(pointsIntoText(motion, channel));
  }
  for (const char* line : motion.frameLines) EXPECT_TRUE(pointsIntoText(motion, line));
}

TEST(BvhReaderTest, ChannelOffsetsFollowFileOrder) {
  BvhMotion motion;
  ASSERT_TRUE(readText(motion,
                       "HIERARCHY ROOT Hips { OFFSET 0 0 0\n"
                       "CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"
                       "JOINT Chest { OFFSET 0 1 0 CHANNELS 3 Zrotation Xrotation Yrotation\n"
                       "  JOINT Head { OFFSET 0 1 0 CHANNELS 2 Zrotation Xrotation\n"
                       "    End Site { OFFSET 0 1 0 } }\n"
                       "}\n"
                       "JOINT Leg { OFFSET 1 0 0 CHANNELS 3 Zrotation Xrotation Yrotation\n"
                       "  End Site { OFFSET 0 -1 0 } }\n"
                       "}\nMOTION\nFrames: 1\nFrame Time: 0.1\n"
                       "0 1 2 3 4 5 6 7 8 9 10 11 12 13\n")
                  .ok);
  EXPECT_EQ(rootOf(motion)->channelOffset, 0);
  EXPECT_EQ(find(motion, "Chest")->channelOffset, 6);
  EXPECT_EQ(find(motion, "Head")->channelOffset, 9);
  EXPECT_EQ(find(motion, "Leg")->channelOffset, 11);
  EXPECT_EQ(parentOf(motion, find(motion, "Leg")), rootOf(motion));
  EXPECT_EQ(motion.channelTotal, 14);
  for (const BvhJoint* joint : nodesOf(motion)) {
    if (joint->isEndSite) {
      EXPECT_EQ(joint->channelOffset, -1);
    }
  }
  // Word channelOffset + k of a frame line is channel k of the joint.
  std::string copy;
  std::vector<const char*> words;
  splitFrameLine(motion.frameLine(0), copy, words);
  ASSERT_EQ(static_cast<int>(words.size()), motion.channelTotal);
  EXPECT_STREQ(words[find(motion, "Leg")->channelOffset + 2], "13");
}

TEST(BvhReaderTest, SixPlusThreeChannelsGiveOffsetsZeroSixAndMinusOne) {
  BvhMotion motion;
  ASSERT_TRUE(readText(motion,
                       "HIERARCHY\nROOT Hips\n{\nOFFSET 0 0 0\n"
                       "CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"
                       "JOINT Spine\n{\nOFFSET 0 1 0\nCHANNELS 3 Zrotation Xrotation Yrotation\n"
                       "End Site\n{\nOFFSET 0 1 0\n}\n}\n}\n"
                       "MOTION\nFrames: 1\nFrame Time: 0.1\n0 0 0 0 0 0 0 0 0\n")
                  .ok);
  EXPECT_EQ(rootOf(motion)->channelOffset, 0);
  EXPECT_EQ(childrenOf(motion, rootOf(motion))[0]->channelOffset, 6);
  EXPECT_EQ(childrenOf(motion, childrenOf(motion, rootOf(motion))[0])[0]->channelOffset, -1);
  EXPECT_EQ(motion.channelTotal, 9);
}

// ---------------------------------------------------------------------------
// Layouts

TEST(BvhReaderTest, CrLfFileReadsLikeLineFeedFile) {
  std::string crlf;
  for (char c : kGood) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  BvhMotion plain;
  BvhMotion windows;
  const ReadResult plainResult = readText(plain, kGood);
  const ReadResult windowsResult = readText(windows, crlf);
  ASSERT_TRUE(windowsResult.ok) << windowsResult.output;
  EXPECT_EQ(windowsResult.output, plainResult.output);
  EXPECT_EQ(windows.dump(), plain.dump());
  EXPECT_EQ(windows.frameCount, 2);
  // The carriage return stays on the frame line; splitting drops it.
  EXPECT_STREQ(windows.frameLine(0), "1 2 3 4\r");
  EXPECT_STREQ(windows.frameLine(1), "5 6 7 8\r");
  std::string copy;
  std::vector<const char*> words;
  splitFrameLine(windows.frameLine(1), copy, words);
  EXPECT_EQ(namesOf(words), (std::vector<std::string>{"5", "6", "7", "8"}));
}

TEST(BvhReaderTest, KeywordsOnUnusualLinesAreAccepted) {
  BvhMotion motion;
  const ReadResult result =
      readText(motion,
               "HIERARCHY ROOT\nHips {\nOFFSET\n1\n2\n3 CHANNELS\n1\nXposition\n"
               "JOINT A { OFFSET 0 0 0 CHANNELS 1 Xrotation JOINT B { OFFSET 0 0 0 "
               "CHANNELS 1 Yrotation End Site { OFFSET 0 0 0 } } } }\n"
               "MOTION Frames:\t\t2 Frame\nTime:   0.25\n7 8 9\n\n\n10 11 12\n");
  ASSERT_TRUE(result.ok) << result.output;
  EXPECT_EQ(rootOf(motion)->offset.z, 3.0);
  EXPECT_STREQ(parentOf(motion, find(motion, "B"))->name, "A");
  EXPECT_EQ(find(motion, "B")->channelOffset, 2);
  EXPECT_EQ(motion.frameTime, 0.25);
  // Empty lines between frames are skipped.
  EXPECT_STREQ(motion.frameLine(1), "10 11 12");
}

TEST(BvhReaderTest, ALineOfBlanksIsAFrameLine) {
  BvhMotion motion;
  ASSERT_TRUE(readText(motion, kRoot + kJoint + kEndSite +
                                   "}\nMOTION\nFrames: 2\nFrame Time: 1\n"
                                   "\n   \n1 2 3 4\n")
                  .ok);
  EXPECT_STREQ(motion.frameLine(0), "   ");
  EXPECT_STREQ(motion.frameLine(1), "1 2 3 4");
}

TEST(BvhReaderTest, FrameLineZeroIsAlwaysTheLineAfterTheFrameTime) {
  const std::string head = kRoot + kJoint + kEndSite + "}\nMOTION\nFrames: 2\nFrame Time: 0.5";
  const struct {
    const char* name;
    std::string afterTime;
  } rows[] = {
      {"line feed", "\n"},
      {"carriage return and line feed", "\r\n"},
      {"blank and line feed", " \n"},
      {"tab and line feed", "\t\n"},
      {"two blanks", "  \n"},
      {"blank and carriage return", " \r\n"},
      {"trailing junk", " 99 junk\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    BvhMotion motion;
    const ReadResult result = readText(motion, head + row.afterTime + "1 2 3 4\n5 6 7 8\n9\n");
    ASSERT_TRUE(result.ok) << result.output;
    EXPECT_EQ(motion.frameTime, 0.5);
    ASSERT_EQ(motion.frameCount, 2);
    EXPECT_STREQ(motion.frameLine(0), "1 2 3 4");
    EXPECT_STREQ(motion.frameLine(1), "5 6 7 8");
  }
}

TEST(BvhReaderTest, TextAfterTheLastNeededFrameIsIgnored) {
  BvhMotion motion;
  ASSERT_TRUE(readText(motion, kGood + "9 9 9 9\nnot a frame at all {{{\n").ok);
  EXPECT_EQ(motion.frameCount, 2);
  EXPECT_EQ(motion.frameLines.size(), 2u);
}

TEST(BvhReaderTest, LastFrameLineWithoutLineFeedIsTaken) {
  BvhMotion motion;
  std::string file = kGood;
  file.pop_back();
  ASSERT_TRUE(readText(motion, file).ok);
  EXPECT_STREQ(motion.frameLine(1), "5 6 7 8");
}

// ---------------------------------------------------------------------------
// Words the reader stores as it finds them

TEST(BvhReaderTest, CapitalEndBecomesChannelNames) {
  BvhMotion motion;
  const ReadResult result = readText(motion, kRoot + kJoint +
                                                 "  END Site\n  {\n   OFFSET 0 -2 0\n  }\n }\n"
                                                 " JOINT Hand { OFFSET 0 0 0 CHANNELS 0\n"
                                                 "  End Site { OFFSET 0 0 0 } }\n}\n" +
                                                 "MOTION\nFrames: 1\nFrame Time: 0.5\n1 2 3 4\n");
  ASSERT_TRUE(result.ok) << result.output;
  const BvhJoint* knee = find(motion, "Knee");
  EXPECT_EQ(namesOf(knee->channelNames),
            (std::vector<std::string>{"Xrotation", "END", "Site", "{", "OFFSET", "0", "-2", "0",
                                      "}", "}"}));
  EXPECT_EQ(knee->channelCount, 1);
  EXPECT_TRUE(childrenOf(motion, knee).size() == 1 && !childrenOf(motion, knee)[0]->isEndSite);
  // Hand became a child of Knee, which was never closed.
  EXPECT_EQ(parentOf(motion, find(motion, "Hand")), knee);
}

TEST(BvhReaderTest, ChannelCountIsNotCheckedAgainstTheNames) {
  BvhMotion motion;
  ASSERT_TRUE(readText(motion,
                       "HIERARCHY ROOT R { OFFSET 0 0 0 CHANNELS 2 Xposition\n"
                       "JOINT A { OFFSET 0 0 0 CHANNELS 3 Xrotation Yrotation Zrotation Wrotation\n"
                       "End Site { OFFSET 0 0 0 } } }\n"
                       "MOTION Frames: 1 Frame Time: 1\n1 2 3 4 5\n")
                  .ok);
  EXPECT_EQ(rootOf(motion)->channelNames.size(), 1u);
  const BvhJoint* a = find(motion, "A");
  EXPECT_EQ(a->channelNames.size(), 4u);
  EXPECT_EQ(a->channelOffset, 2);
  EXPECT_EQ(motion.channelTotal, 5);
}

TEST(BvhReaderTest, NumbersReadAsAtofAndAtoiWould) {
  BvhMotion motion;
  const ReadResult result =
      readText(motion,
               "HIERARCHY ROOT R { OFFSET 1.5abc -2e1 x CHANNELS 2xyz A B\n"
               "JOINT J { OFFSET 5.1072e-06 .25 -.5 CHANNELS junk End Site { OFFSET 0 0 0 } } }\n"
               "MOTION Frames: 3frames Frame Time: .0083333\n1\n2\n3\n");
  ASSERT_TRUE(result.ok) << result.output;
  EXPECT_EQ(rootOf(motion)->offset.x, 1.5);
  EXPECT_EQ(rootOf(motion)->offset.y, -20.0);
  EXPECT_EQ(rootOf(motion)->offset.z, 0.0);
  EXPECT_EQ(rootOf(motion)->channelCount, 2);
  const BvhJoint* j = find(motion, "J");
  EXPECT_DOUBLE_EQ(j->offset.x, 5.1072e-06);
  EXPECT_EQ(j->offset.y, 0.25);
  EXPECT_EQ(j->offset.z, -0.5);
  EXPECT_EQ(j->channelCount, 0);
  EXPECT_EQ(motion.frameCount, 3);
  EXPECT_DOUBLE_EQ(motion.frameTime, 0.0083333);
}

TEST(BvhReaderTest, SurplusClosingBracesAreHarmlessAndMissingOnesNest) {
  BvhMotion surplus;
  ASSERT_TRUE(readText(surplus, kRoot + kJoint + kEndSite + "}\n}\n}\n" + kMotion).ok);
  EXPECT_EQ(childrenOf(surplus, rootOf(surplus)).size(), 1u);

  BvhMotion missing;
  ASSERT_TRUE(readText(missing,
                       "HIERARCHY ROOT R { OFFSET 0 0 0 CHANNELS 0\n"
                       "JOINT A { OFFSET 0 0 0 CHANNELS 0\n"
                       "JOINT B { OFFSET 0 0 0 CHANNELS 0 End Site { OFFSET 0 0 0 } }\n"
                       "JOINT C { OFFSET 0 0 0 CHANNELS 0 End Site { OFFSET 0 0 0 } }\n"
                       "MOTION Frames: 0 Frame Time: 1\n")
                  .ok);
  EXPECT_STREQ(parentOf(missing, find(missing, "C"))->name, "A");
  // An End Site closes its joint, so it is its last child.
  EXPECT_TRUE(childrenOf(missing, find(missing, "B")).back()->isEndSite);
}

TEST(BvhReaderTest, LoneClosingBraceAtTheRootKeepsAttachingToTheRoot) {
  BvhMotion motion;
  ASSERT_TRUE(readText(motion,
                       "HIERARCHY ROOT R { OFFSET 0 0 0 CHANNELS 0\n"
                       "JOINT A { OFFSET 0 0 0 CHANNELS 0 End Site { OFFSET 0 0 0 } }\n"
                       "} } JOINT B { OFFSET 0 0 0 CHANNELS 0 End Site { OFFSET 0 0 0 } }\n"
                       "MOTION Frames: 0 Frame Time: 1\n")
                  .ok);
  EXPECT_EQ(parentOf(motion, find(motion, "B")), rootOf(motion));
}

// ---------------------------------------------------------------------------
// Colours

TEST(BvhReaderTest, ColoursAreInUnitRangeMatchTheMessagesAndRepeatOnEveryRead) {
  const std::string file = kRoot + kJoint + " JOINT Foot { OFFSET 0 0 0 CHANNELS 0\n" + kEndSite +
                           kEndSite + "}\n" + kMotion;
  BvhMotion first;
  const ReadResult firstResult = readText(first, file);
  ASSERT_TRUE(firstResult.ok) << firstResult.output;
  std::srand(1234);
  for (int i = 0; i < 17; ++i) std::rand();
  BvhMotion second;
  const ReadResult secondResult = readText(second, file);
  EXPECT_EQ(secondResult.output, firstResult.output);

  const std::vector<const BvhJoint*> a = nodesOf(first);
  const std::vector<const BvhJoint*> b = nodesOf(second);
  ASSERT_EQ(a.size(), 5u);
  ASSERT_EQ(b.size(), a.size());
  std::string printed;
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i]->color.r, b[i]->color.r);
    EXPECT_EQ(a[i]->color.g, b[i]->color.g);
    EXPECT_EQ(a[i]->color.b, b[i]->color.b);
    if (i == 0) continue;
    for (double c : {a[i]->color.r, a[i]->color.g, a[i]->color.b}) {
      EXPECT_GE(c, 0.0);
      EXPECT_LT(c, 1.0);
    }
    char message[128];
    std::snprintf(message, sizeof message, "Nodes color: %f %f %f", a[i]->color.r, a[i]->color.g,
                  a[i]->color.b);
    printed += message;
  }
  // Colours are drawn in file order: Knee, Foot, Foot's End Site, Knee's End Site.
  const BvhJoint* knee = find(first, "Knee");
  const BvhJoint* foot = find(first, "Foot");
  char expected[512];
  auto format = [](char* out, const BvhJoint* j) {
    return std::sprintf(out, "Nodes color: %f %f %f", j->color.r, j->color.g, j->color.b);
  };
  int n = format(expected, knee);
  n += format(expected + n, foot);
  n += format(expected + n, childrenOf(first, foot)[0]);
  format(expected + n, childrenOf(first, knee).back());
  EXPECT_EQ(firstResult.output, std::string(expected) + "NumFrames 2\tFrameTime 0.500000\n");
  EXPECT_NE(knee->color.r, foot->color.r);
}

// ---------------------------------------------------------------------------
// Messages: every check's exact output, colour messages counted separately.

struct MessageRow {
  const char* name;
  std::string input;
  std::string expected;
  int colors;
};

TEST(BvhReaderTest, EveryBadInputGivesItsExactMessageAndFails) {
  const std::string joint = kRoot + kJoint;
  const std::string closed = joint + kEndSite + "}\n";
  const MessageRow rows[] = {
      {"3 empty file", "", " HIERARCHY not found\n", 0},
      {"3 only separators", " \r\n\t \n", " HIERARCHY not found\n", 0},
      {"3 other first word", "Hierarchy ROOT Hips", "Hierarchy HIERARCHY not found\n", 0},
      {"4 no ROOT", "HIERARCHY\nJOINT Hips\n", "ROOT not found\n", 0},
      {"4 text ends", "HIERARCHY\n", "ROOT not found\n", 0},
      {"5 no brace", "HIERARCHY ROOT Hips OFFSET 0 0 0", "Bad File1 OFFSET\n", 0},
      {"5 ends after name", "HIERARCHY ROOT Hips\n", "Bad File1 \n", 0},
      {"5 ends after ROOT", "HIERARCHY ROOT", "Bad File1 \n", 0},
      {"6 no OFFSET", "HIERARCHY ROOT Hips { CHANNELS 3", "Bad File2\n", 0},
      {"6 lower case", "HIERARCHY ROOT Hips { offset 0 0 0", "Bad File2\n", 0},
      {"7 no CHANNELS", "HIERARCHY ROOT Hips { OFFSET 1 2 3 JOINT", "Bad File3\n", 0},
      {"7 offset short", "HIERARCHY ROOT Hips { OFFSET 1 2 CHANNELS 3 X Y Z", "Bad File3\n", 0},
      {"7 text ends", "HIERARCHY ROOT Hips { OFFSET 1 2 3", "Bad File3\n", 0},
      {"8 no brace", kRoot + "JOINT Knee OFFSET 0 0 0", "Bad File4\n", 0},
      {"8 text ends", kRoot + "JOINT", "Bad File4\n", 0},
      {"9 no OFFSET", kRoot + "JOINT Knee { CHANNELS 1 Xrotation", "Bad File5\n", 0},
      {"10 no CHANNELS", kRoot + "JOINT Knee { OFFSET 0 0 0 End Site", "Bad File6\n", 0},
      {"11 not Site", kRoot + "End Sight { OFFSET 0 0 0 } }", "Bad File7\n", 0},
      {"11 text ends", joint + "End", "Bad File7\n", 1},
      {"12 no brace", joint + "End Site OFFSET 0 0 0 } }", "Bad File8\n", 1},
      {"13 no OFFSET", joint + "End Site { 0 0 0 } }", "Bad File9\n", 1},
      {"14 first brace", joint + "End Site { OFFSET 0 0 0 JOINT", "Bad File10\n", 1},
      {"14 second brace", joint + "End Site { OFFSET 0 0 0 } JOINT", "Bad File10\n", 1},
      {"14 text ends", joint + "End Site { OFFSET 0 0 0 }", "Bad File10\n", 1},
      {"15 unknown word", joint + "End Site { OFFSET 0 0 0 } } Hand", "Bad File100\n", 2},
      {"15 lower case motion", closed + "motion Frames: 1", "Bad File100\n", 2},
      {"16 no Frames:", closed + "MOTION\nFrames 2\nFrame Time: 1\n", "Bad File11\n", 2},
      {"16 hierarchy ends", joint + kEndSite, "Bad File11\n", 2},
      {"16 nothing after MOTION", closed + "MOTION\n", "Bad File11\n", 2},
      {"16 leaf without End Site", joint + "}\n}\n" + kMotion, "Bad File11\n", 1},
      {"17 no Frame", closed + "MOTION\nFrames: 2\nTime: 0.5\n", "Bad File12\n", 2},
      {"17 text ends", closed + "MOTION\nFrames: 2\n", "Bad File12\n", 2},
      {"18 no Time:", closed + "MOTION\nFrames: 2\nFrame Time 0.5\n", "Bad File13\n Time", 2},
      {"18 text ends", closed + "MOTION\nFrames: 2\nFrame\n", "Bad File13\n ", 2},
      {"root closed, then JOINT", kRoot + kEndSite + kJoint + kEndSite + "}\n" + kMotion,
       "Bad File: JOINT after an End Site closed the root\n", 1},
      {"root closed, then End Site", kRoot + kEndSite + kEndSite + kMotion,
       "Bad File: End after an End Site closed the root\n", 1},
  };
  for (const MessageRow& row : rows) {
    SCOPED_TRACE(row.name);
    BvhMotion motion;
    const ReadResult result = readText(motion, row.input);
    EXPECT_FALSE(result.ok);
    int colors = -1;
    EXPECT_EQ(withoutColors(result.output, &colors), row.expected);
    EXPECT_EQ(colors, row.colors);
    EXPECT_TRUE(motion.frameLines.empty());
    EXPECT_EQ(motion.frameCount, 0);
  }
}

TEST(BvhReaderTest, AFailureNamesTheLineOfTheFault) {
  const std::string closed = kRoot + kJoint + kEndSite + "}\n";
  const struct {
    const char* name;
    std::string input;
    int line;
  } rows[] = {
      {"first word", "\n\n Wrong\n", 3},
      {"root brace", "HIERARCHY\nROOT Hips\nOFFSET 0 0 0\n", 3},
      {"CR-only line ends", "HIERARCHY\rROOT Hips\rOFFSET 0 0 0\r", 3},
      {"CRLF line ends", "HIERARCHY\r\nROOT Hips\r\nOFFSET 0 0 0\r\n", 3},
      {"joint brace", kRoot + "JOINT Knee\nOFFSET 0 0 0\n", 7},
      {"End Site offset", kRoot + kJoint + "End Site { 0 0 0 } }\n", 10},
      {"motion header", closed + "MOTION\nFrames: 2\nTime: 0.5\n", 18},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    BvhMotion motion;
    const ReadResult result = readText(motion, row.input);
    ASSERT_FALSE(result.ok);
    EXPECT_EQ(result.line, row.line) << result.error;
  }
  BvhMotion missing;
  TempDir dir;
  EXPECT_EQ(readFile(missing, dir.path() + "/absent.bvh").line, 0);
}

TEST(BvhReaderTest, MissingFileGivesMessageOne) {
  TempDir dir;
  const std::string path = dir.path() + "/absent.bvh";
  BvhMotion motion;
  const ReadResult result = readFile(motion, path);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.output, "File " + path + " pointer is NULL\n");
  EXPECT_EQ(rootOf(motion), nullptr);
}

TEST(BvhReaderTest, DirectoryIsRefusedWithAClearMessage) {
  TempDir dir;
  BvhMotion motion;
  const ReadResult result = readFile(motion, dir.path());
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.output, "File " + dir.path() + " is a directory\n");
}

TEST(BvhReaderTest, PipeIsRefusedWithoutWaiting) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const std::string path = "/proc/self/fd/" + std::to_string(fds[0]);
  BvhMotion motion;
  const ReadResult result = readFile(motion, path);
  close(fds[0]);
  close(fds[1]);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.output, "File " + path + " is not a regular file\n");
}

TEST(BvhReaderTest, TextThatCannotBeHeldGivesMessageTwo) {
  TempDir dir;
  const std::string path = dir.write("huge.bvh", "HIERARCHY");
  MPE_SKIP_UNDER_ADDRESS_SANITIZER();
  // A sparse file far larger than any memory: its size is known, its bytes never exist.
  if (truncate(path.c_str(), static_cast<off_t>(1) << 43) != 0) {
    GTEST_SKIP() << "file system cannot hold a sparse file of 8 TiB";
  }
  BvhMotion motion;
  const ReadResult result = readFile(motion, path);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.output, "Buffer Null\n");
}

TEST(BvhReaderTest, FailedReadKeepsNodesCompletedSoFar) {
  BvhMotion joint;
  readText(joint, kRoot + kJoint + " JOINT Foot { OFFSET");
  ASSERT_NE(rootOf(joint), nullptr);
  EXPECT_STREQ(rootOf(joint)->name, "Hips");
  ASSERT_EQ(childrenOf(joint, rootOf(joint)).size(), 1u);
  // Foot failed, so it is not attached.
  EXPECT_TRUE(childrenOf(joint, childrenOf(joint, rootOf(joint))[0]).empty());

  // An End Site is attached once its offset is read, before its braces are checked.
  BvhMotion site;
  readText(site, kRoot + kJoint + "End Site { OFFSET 0 7 0 JOINT");
  const BvhJoint* knee = find(site, "Knee");
  ASSERT_EQ(childrenOf(site, knee).size(), 1u);
  EXPECT_EQ(childrenOf(site, knee)[0]->offset.y, 7.0);

  // The channel total is set when the motion header is reached, the frame count never
  // without its lines.
  BvhMotion header;
  readText(header, kRoot + kJoint + kEndSite + "}\nMOTION Frames: 5 Frame\n");
  EXPECT_EQ(header.channelTotal, 4);
  EXPECT_EQ(header.frameCount, 0);
  EXPECT_TRUE(header.frameLines.empty());
}

TEST(BvhReaderTest, RootWithoutANameStillDumpsSafely) {
  BvhMotion motion;
  readText(motion, "HIERARCHY ROOT");
  ASSERT_NE(rootOf(motion), nullptr);
  EXPECT_NE(motion.dump().find("Name , Offset XYZ"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Frame counts that do not match the lines

TEST(BvhReaderTest, FewerLinesThanFramesLowersTheCountWithAWarning) {
  BvhMotion motion;
  const ReadResult result =
      readText(motion, kRoot + kJoint + kEndSite + "}\n" +
                           "MOTION\nFrames: 5\nFrame Time: 0.5\n1 2 3 4\n\n5 6 7 8\n\n");
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(withoutColors(result.output),
            "NumFrames 5\tFrameTime 0.500000\n"
            "Warning: only 2 of 5 frame lines found, reading 2 frames\n");
  EXPECT_EQ(motion.frameCount, 2);
  EXPECT_EQ(motion.frameLines.size(), 2u);
  EXPECT_STREQ(motion.frameLine(1), "5 6 7 8");
}

TEST(BvhReaderTest, NoFrameLinesAtAll) {
  BvhMotion motion;
  const ReadResult result = readText(
      motion, kRoot + kJoint + kEndSite + "}\nMOTION\nFrames: 1000000000\nFrame Time: 0.5");
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(motion.frameCount, 0);
  EXPECT_TRUE(motion.frameLines.empty());
  EXPECT_NE(result.output.find("Warning: only 0 of 1000000000 frame lines found"),
            std::string::npos);
}

TEST(BvhReaderTest, NegativeFrameCountMeansNoFrames) {
  BvhMotion motion;
  const ReadResult result = readText(
      motion, kRoot + kJoint + kEndSite + "}\nMOTION\nFrames: -3\nFrame Time: 0.5\n1 2 3 4\n");
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(withoutColors(result.output), "NumFrames 0\tFrameTime 0.500000\n");
  EXPECT_EQ(motion.frameCount, 0);
  EXPECT_TRUE(motion.frameLines.empty());
}

// ---------------------------------------------------------------------------
// Bytes that are not text

// A NUL byte would end the text early and pass a clip cut short for a whole
// one: wherever it stands, the clip is refused and the line named.
TEST(BvhReaderTest, NulByteIsRefusedNamingItsLine) {
  const std::string nul(1, '\0');
  const std::string head =
      kRoot + kJoint + kEndSite + "}\n" + "MOTION\nFrames: 3\nFrame Time: 0.5\n";
  const struct {
    const char* name;
    std::string input;
    int line;
  } rows[] = {
      {"in the hierarchy", "HIERARCHY ROOT Hips" + nul + "{ OFFSET", 1},
      {"first byte", nul + kGood, 1},
      {"ending a first word that is not HIERARCHY", "\n\nHIER" + nul + "ARCHY", 3},
      {"in a frame line", head + "1 2 3 4\n5 6" + nul + " 7 8\n9 9 9 9\n", 20},
      {"after the frames needed", head + "1 2 3 4\n5 6 7 8\n9 9 9 9\n\n" + nul, 23},
      {"CRLF line ends", "HIERARCHY\r\nROOT Hips\r\n{" + nul + "\r\n", 3},
      {"CR-only line ends", "HIERARCHY\rROOT Hips\r{" + nul + "\r", 3},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    BvhMotion motion;
    const ReadResult result = readText(motion, row.input);
    EXPECT_FALSE(result.ok);
    const std::string message =
        "Bad File: line " + std::to_string(row.line) + " holds a NUL byte, which no clip text has";
    EXPECT_EQ(result.output, message + "\n");
    EXPECT_EQ(result.error, message);
    EXPECT_EQ(result.line, row.line);
    EXPECT_EQ(motion.frameCount, 0);
    EXPECT_TRUE(motion.frameLines.empty());
  }
}

TEST(BvhReaderTest, RandomBytesGiveAMessageOrAClip) {
  std::mt19937 random(7);
  const std::string good = kGood;
  for (int round = 0; round < 300; ++round) {
    std::string bytes = good;
    if (round % 3 == 0) {
      bytes.resize(random() % (good.size() + 1));  // truncated good file
    } else {
      const int flips = 1 + static_cast<int>(random() % 8);
      for (int i = 0; i < flips; ++i) bytes[random() % bytes.size()] = static_cast<char>(random());
    }
    BvhMotion motion;
    const ReadResult result = readText(motion, bytes);
    EXPECT_FALSE(result.output.empty());
    EXPECT_EQ(motion.frameLines.size(), static_cast<size_t>(motion.frameCount));
    motion.dump();
  }
}

// ---------------------------------------------------------------------------
// Reading again into the same clip

TEST(BvhReaderTest, ReadAfterAFailedReadReplacesItsRemains) {
  BvhMotion motion;
  const ReadResult failed = readText(motion, kRoot + kJoint + "End Site { OFFSET 0 0 0 } JOINT");
  ASSERT_FALSE(failed.ok);
  ASSERT_NE(rootOf(motion), nullptr);
  const ReadResult good = readText(motion, kGood);
  ASSERT_TRUE(good.ok) << good.output;
  EXPECT_EQ(nodesOf(motion).size(), 3u);
  EXPECT_EQ(motion.channelTotal, 4);
  for (const BvhJoint* joint : nodesOf(motion)) {
    if (!joint->isEndSite) {
      EXPECT_TRUE(pointsIntoText(motion, joint->name));
    }
  }
  for (const char* line : motion.frameLines) EXPECT_TRUE(pointsIntoText(motion, line));
  EXPECT_EQ(motion.dump().substr(0, 72),
            "\n\n----------------------------------------------------\n"
            "Name Hips, Offset");
}

TEST(BvhReaderTest, ReadIntoALoadedClipLeavesNoStaleFrames) {
  BvhMotion motion;
  ASSERT_TRUE(readText(motion, kGood).ok);
  ASSERT_FALSE(readText(motion, kRoot + kJoint + kEndSite + "}\nMOTION Frames: 9\n").ok);
  EXPECT_EQ(motion.frameCount, 0);
  EXPECT_TRUE(motion.frameLines.empty());
  ASSERT_TRUE(readText(motion, kGood).ok);
  EXPECT_EQ(motion.frameCount, 2);
  EXPECT_STREQ(motion.frameLine(0), "1 2 3 4");
}

TEST(BvhReaderTest, MissingFileLeavesAClipUntouched) {
  BvhMotion motion;
  ASSERT_TRUE(readText(motion, kGood).ok);
  TempDir dir;
  EXPECT_FALSE(readFile(motion, dir.path() + "/absent.bvh").ok);
  EXPECT_EQ(motion.frameCount, 2);
  EXPECT_STREQ(motion.frameLine(1), "5 6 7 8");
}

// ---------------------------------------------------------------------------
// Real clips

struct RealClip {
  const char* file;
  int frameCount;
  int channelTotal;
  size_t nodeCount;  // ROOT, JOINTs and End Sites
  const char* rootName;
  std::vector<std::pair<const char*, int>> channelOffsets;
  const char* dumpPrefix;
};

TEST(BvhReaderTest, RealClipsReadAsTheWordRulesSay) {
  const std::string dataDir = MPE_CLIP_DATA_DIR;
  const RealClip clips[] = {
      {"cmu-01_01.bvh",
       2752,
       96,
       38,
       "Hips",
       {{"LHipJoint", 6}, {"LeftUpLeg", 9}, {"LeftLeg", 12}, {"RightShoulder", 75}, {"RThumb", 93}},
       "Name Hips, Offset XYZ 0.000000 0.000000 0.000000\n"
       "Channels 6, Chan Offset 0   Xposition Yposition Zposition Zrotation Yrotation Xrotation \n"
       "Children LHipJoint RHipJoint LowerBack \nNULL Parent\n"},
      {"fairmotion-pfnn.bvh",
       60,
       96,
       38,
       "Hips",
       {{"LHipJoint", 6}, {"LeftUpLeg", 9}, {"RightShoulder", 75}, {"RThumb", 93}},
       "Name Hips, Offset XYZ 0.000000 0.000000 0.000000\n"
       "Channels 6, Chan Offset 0   Xposition Yposition Zposition Zrotation Yrotation Xrotation "
       "\n"},
      {"makehuman-zombieWalk1.bvh",
       31,
       228,
       91,
       "Root",
       {{"Spine1", 6}, {"Spine3", 12}, {"Thumb3_L", 75}, {"__Index1_R", 150}, {"Toe_R", 225}},
       "Name Root, Offset XYZ 0.000000 1.235290 9.556880\n"
       "Channels 6, Chan Offset 0   Xposition Yposition Zposition Xrotation Yrotation Zrotation "
       "\n"},
      {"makehuman-face-poseunits.bvh",
       60,
       492,
       212,
       "root",
       {{"spine05", 6}, {"levator05.R", 75}, {"oris07.R", 150}, {"toe3-3.R", 489}},
       "Name root, Offset XYZ 0.000000 0.639400 0.631400\n"
       "Channels 6, Chan Offset 0   Xposition Yposition Zposition Xrotation Yrotation Zrotation "
       "\n"},
  };
  for (const RealClip& clip : clips) {
    SCOPED_TRACE(clip.file);
    BvhMotion motion;
    const ReadResult result = readFile(motion, dataDir + "/" + clip.file);
    ASSERT_TRUE(result.ok) << result.output.substr(0, 400);
    EXPECT_EQ(motion.frameCount, clip.frameCount);
    EXPECT_EQ(static_cast<int>(motion.frameLines.size()), clip.frameCount);
    EXPECT_EQ(motion.channelTotal, clip.channelTotal);
    EXPECT_EQ(nodesOf(motion).size(), clip.nodeCount);
    EXPECT_STREQ(rootOf(motion)->name, clip.rootName);
    for (const auto& [name, offset] : clip.channelOffsets) {
      const BvhJoint* joint = find(motion, name);
      ASSERT_NE(joint, nullptr) << name;
      EXPECT_EQ(joint->channelOffset, offset) << name;
    }
    const std::string dump = motion.dump();
    const std::string prefix =
        std::string("\n\n----------------------------------------------------\n") + clip.dumpPrefix;
    EXPECT_EQ(dump.substr(0, prefix.size()), prefix);

    std::string copy;
    std::vector<const char*> words;
    splitFrameLine(motion.frameLine(0), copy, words);
    EXPECT_EQ(static_cast<int>(words.size()), motion.channelTotal);
    splitFrameLine(motion.frameLine(motion.frameCount - 1), copy, words);
    EXPECT_EQ(static_cast<int>(words.size()), motion.channelTotal);
  }
}

TEST(BvhReaderTest, RealClipsKeepTheirFirstAndLastValues) {
  const std::string dataDir = MPE_CLIP_DATA_DIR;
  BvhMotion cmu;
  ASSERT_TRUE(readFile(cmu, dataDir + "/cmu-01_01.bvh").ok);
  EXPECT_DOUBLE_EQ(cmu.frameTime, 0.0083333);
  EXPECT_EQ(std::string(cmu.frameLine(0)).substr(0, 26), "9.3722 17.8693 -17.3198 0 ");

  BvhMotion pfnn;
  ASSERT_TRUE(readFile(pfnn, dataDir + "/fairmotion-pfnn.bvh").ok);
  // CRLF clip: the carriage return stays on the line; its last line has no line end.
  const std::string beforeLast = pfnn.frameLine(58);
  ASSERT_FALSE(beforeLast.empty());
  EXPECT_EQ(beforeLast.back(), '\r');
  const std::string last = pfnn.frameLine(59);
  ASSERT_GE(last.size(), 4u);
  EXPECT_EQ(last.substr(last.size() - 4), "0.0 ");
}

TEST(BvhReaderTest, LeafJointWithoutEndSiteFailsAtFrames) {
  const std::string dataDir = MPE_CLIP_DATA_DIR;
  BvhMotion motion;
  const ReadResult result = readFile(motion, dataDir + "/fairmotion-sinusoidal.bvh");
  EXPECT_FALSE(result.ok);
  int colors = 0;
  EXPECT_EQ(withoutColors(result.output, &colors), "Bad File11\n");
  EXPECT_EQ(colors, 3);
  const BvhJoint* leaf = find(motion, "child3");
  ASSERT_NE(leaf, nullptr);
  // Everything after the leaf's channels, up to the end of the file, became its channel names.
  ASSERT_GT(leaf->channelNames.size(), 100u);
  EXPECT_STREQ(leaf->channelNames[3], "}");
  EXPECT_STREQ(leaf->channelNames[7], "MOTION");
  EXPECT_EQ(motion.channelTotal, 15);
  EXPECT_EQ(motion.frameCount, 0);
}

}  // namespace

// ---------------------------------------------------------------------------
// Hostile and odd inputs: each gives its message (or the right clip) at once.

TEST(BvhReaderTest, HostileInputsGiveTheirMessage) {
  const std::string header = kRoot + kJoint + kEndSite + "}\nMOTION\n";
  struct Row {
    const char* name;
    std::string contents;
    bool ok;
    std::string output;  // without colour messages
    std::string readError;
  };
  const Row rows[] = {
      // atoi would wrap this to 5 frames.
      {"frame count past int", header + "Frames: 4294967301\nFrame Time: 0.5\n1 2 3 4\n", false,
       "Bad File11\n", "Bad File11"},
      {"root channel count past int",
       "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0 0\n CHANNELS 2147483648 Xposition\n}\n", false,
       "Bad File3\n", "Bad File3"},
      {"negative channel count", "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0 0\n CHANNELS -1\n}\n", false,
       "Bad File3\n", "Bad File3"},
      // Each count fits, their total does not.
      {"channel total past int",
       "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0 0\n CHANNELS 2147483647 Xposition\n" + kJoint, false,
       "Bad File6\n", "Bad File6"},
      {"megabyte first word", std::string(1 << 20, 'x'), false,
       std::string(60, 'x') + "... HIERARCHY not found\n",
       std::string(60, 'x') + "... HIERARCHY not found"},
      {"message with a line feed inside", header + "Frames: 1\nFrame Tim: 1\n", false,
       "Bad File13\n Tim:", "Bad File13 Tim:"},
      {"CR-only line ends",
       "HIERARCHY\rROOT Hips\r{\r OFFSET 0 0 0\r CHANNELS 1 Xposition\r End Site\r {\r OFFSET 0 1 "
       "0\r"
       " }\r}\rMOTION\rFrames: 3\rFrame Time: 0.5\r1\r2\r\r3\r",
       true, "NumFrames 3\tFrameTime 0.500000\n", ""},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + header + "Frames: 1\nFrame Time: 0.5\n1 2 3 4\n",
       true, "NumFrames 1\tFrameTime 0.500000\n", ""},
      {"a second byte-order mark is part of the first word", "\xEF\xBB\xBF\xEF\xBB\xBFHIERARCHY\n",
       false, "\xEF\xBB\xBFHIERARCHY HIERARCHY not found\n",
       "\xEF\xBB\xBFHIERARCHY HIERARCHY not found"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    BvhMotion motion;
    const ReadResult result = readText(motion, row.contents);
    EXPECT_EQ(result.ok, row.ok);
    EXPECT_EQ(withoutColors(result.output), row.output);
    EXPECT_EQ(result.error, row.readError);
  }

  // The frames of the CR-only clip, blank line skipped as in LF files.
  BvhMotion crOnly;
  ASSERT_TRUE(readText(crOnly, rows[6].contents).ok);
  ASSERT_EQ(crOnly.frameCount, 3);
  EXPECT_EQ(
      (std::vector<std::string>{crOnly.frameLine(0), crOnly.frameLine(1), crOnly.frameLine(2)}),
      (std::vector<std::string>{"1", "2", "3"}));

  // Large enough for the mapped buffer, and slow to read if each line's end
  // were searched for in the rest of the text. The three kinds of line end
  // take turns; a CRLF line keeps its carriage return.
  const int frames = 400000;
  std::string mixed =
      "HIERARCHY\rROOT Hips\r{\r OFFSET 0 0 0\r CHANNELS 2 Xposition Zposition\r"
      " End Site\r {\r OFFSET 0 1 0\r }\r}\rMOTION\rFrames: " +
      std::to_string(frames) + "\rFrame Time: 0.5\r";
  const char* const ends[] = {"\r", "\n", "\r\n"};
  for (int i = 0; i < frames; ++i) mixed += std::to_string(i) + " 7" + ends[i % 3];
  BvhMotion large;
  ASSERT_TRUE(readText(large, mixed).ok);
  ASSERT_EQ(large.frameCount, frames);
  int i = 0;
  for (const char* line : large.frameLines) {
    ASSERT_EQ(line, std::to_string(i) + (i % 3 == 2 ? " 7\r" : " 7")) << i;
    ++i;
  }
}

TEST(BvhReaderTest, OnlyRegularFilesAreRead) {
  TempDir dir;
  const std::string fifo = dir.path() + "/clip.bvh";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Opening a FIFO for reading would wait for a writer forever.
  for (const std::string& path : {fifo, std::string("/dev/zero")}) {
    SCOPED_TRACE(path);
    BvhMotion motion;
    const ReadResult result = readFile(motion, path);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.output, "File " + path + " is not a regular file\n");
  }
}

TEST(BvhReaderTest, HugeFileIsJudgedByItsStart) {
  MPE_SKIP_UNDER_ADDRESS_SANITIZER();
  TempDir dir;
  const std::string path = dir.write("sparse.bvh", "MOTION ");
  // 3 GB of holes: reading it all would need 3 GB; a child gets 1 GB.
  ASSERT_EQ(truncate(path.c_str(), 3LL << 30), 0);
  const pid_t child = fork();
  ASSERT_NE(-1, child);
  if (child == 0) {
    const rlimit limit{1L << 30, 1L << 30};
    setrlimit(RLIMIT_AS, &limit);
    BvhMotion motion;
    Notes notes;
    motion.read(path.c_str(), notes);
    const std::string& output = notes.text();
    _exit(output == "MOTION HIERARCHY not found\n" ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status));
}

// Millions of one-character frame lines are kept compactly; every one must
// still be found, in order and at random.
TEST(BvhReaderTest, ShortFrameLinesAreAllFound) {
  const int frames = 100000;
  std::string text =
      "HIERARCHY\nROOT R\n{\n OFFSET 0 0 0\n CHANNELS 1 Xposition\n End Site\n"
      " {\n  OFFSET 0 1 0\n }\n}\nMOTION\nFrames: " +
      std::to_string(frames) + "\nFrame Time: 0.1\n";
  for (int i = 0; i < frames; ++i) {
    text += static_cast<char>('a' + i % 26);
    text += i % 7 == 0 ? "\n\n" : "\n";  // some blank lines between
  }
  BvhMotion motion;
  ASSERT_TRUE(readText(motion, text).ok);
  ASSERT_EQ(motion.frameCount, frames);
  int i = 0;
  for (const char* line : motion.frameLines) {
    ASSERT_EQ(std::string(line), std::string(1, static_cast<char>('a' + i % 26))) << i;
    ++i;
  }
  std::mt19937 random(7);
  for (int k = 0; k < 1000; ++k) {
    const int at = static_cast<int>(random() % frames);
    ASSERT_EQ(motion.frameLine(at)[0], 'a' + at % 26) << at;
  }
}

// Each bare joint costs far more memory than its text: a file of nothing but
// joints is refused before it takes several times its size.
TEST(BvhReaderTest, FileOfBareJointsIsRefusedBeforeItTakesGigabytes) {
  std::string text = "HIERARCHY\nROOT R\n{\n OFFSET 0 0 0\n CHANNELS 0\n";
  for (int i = 0; i < 500000; ++i) text += "JOINT a { OFFSET 0 0 0 CHANNELS 0 }\n";
  BvhMotion motion;
  const ReadResult result = readText(motion, text);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error.rfind("Bad File: more than ", 0), 0u) << result.error;
}
