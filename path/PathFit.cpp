#include "path/PathFit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "motion/BvhMotion.h"
#include "motion/FigureFrame.h"
#include "motion/FrameWords.h"
#include "motion/TrackJoint.h"
#include "path/PathCurve.h"
#include "path/numeric/Svd.h"

namespace {

constexpr int unknowns = 4;
constexpr int groups = 4;
constexpr double pointHeight = 0.05;
// Fit-time directions shorter than this share of the clip's size are noise.
constexpr double noDirectionShare = 1e-6;

// Word index, within a frame line, of the track joint's value for each axis;
// -1 when it has no such channel (that coordinate then reads as 0).
struct RootWords {
  int index[3] = {-1, -1, -1};
  int last = -1;
};

// With Z up the fit's ground frame takes the clip's y as its z and the
// clip's z as its height, so everything after the read stays one ground
// frame (x, height, z) whatever the clip's up axis.
RootWords findRootWords(const BvhMotion& motion, int joint, UpAxis up) {
  RootWords words;
  if (!motion.skeleton.contains(joint)) return words;
  const JointLayout& layout = motion.skeleton.layout()[static_cast<size_t>(joint)];
  const ChannelKind kinds[3] = {ChannelKind::xPosition, upPositionKind(up), secondGroundKind(up)};
  for (int axis = 0; axis < 3; ++axis) {
    words.index[axis] = layout.wordOf(kinds[axis]);
    words.last = std::max(words.last, words.index[axis]);
  }
  return words;
}

// Reads the root's coordinates from one frame line, stopping at the last word
// it needs: the rest of a long line (every other joint) is never looked at.
// Words are read where they stand, so no copy of the line is made. Missing
// words read 0.0.
Point3 readRootPosition(const char* line, const RootWords& words) {
  double coordinate[3] = {0.0, 0.0, 0.0};
  if (line == nullptr) return Point3{};
  FrameWords frameWords(line);
  const char* first = nullptr;
  const char* last = nullptr;
  for (int word = 0; word <= words.last && frameWords.next(first, last); ++word) {
    for (int axis = 0; axis < 3; ++axis) {
      if (words.index[axis] == word) coordinate[axis] = wordValue(first, last);
    }
  }
  return Point3{coordinate[0], coordinate[1], coordinate[2]};
}

// An r x 4 matrix with 1-based rows and columns over one block of storage,
// as the decomposition expects; allocated once per fit.
class Matrix {
 public:
  Matrix(int rows, int columns)
      : storage_(static_cast<size_t>(rows + 1) * static_cast<size_t>(columns + 1), 0.0),
        rowPointers_(static_cast<size_t>(rows + 1)) {
    for (int r = 0; r <= rows; ++r) {
      rowPointers_[static_cast<size_t>(r)] =
          storage_.data() + static_cast<size_t>(r) * static_cast<size_t>(columns + 1);
    }
  }
  double** rows() { return rowPointers_.data(); }
  double& at(int r, int c) { return rowPointers_[static_cast<size_t>(r)][c]; }

 private:
  std::vector<double> storage_;
  std::vector<double*> rowPointers_;
};

// The track joint's ground coordinates of every frame, kept apart from the
// heights, which only the bounds need: a clip of millions of short frames
// should not pay for a third coordinate it never uses again.
struct GroundTrack {
  std::vector<double> x;
  std::vector<double> z;
  // Whether the whole position (height included) is finite; other frames
  // are left out of the solve and the bounds.
  std::vector<unsigned char> usable;
};

// The cubic's design rows for frames first .. first + rows - 1 of the
// group; a frame left out gets a zero row, which adds nothing to the
// least-squares sums.
void fillDesign(Matrix& design, int rows, int first, int frames, const GroundTrack& track) {
  for (int k = 1; k <= rows; ++k) {
    const int i = first + k - 1;
    const double p = static_cast<double>(i + 1) / frames;
    const double weight = track.usable[static_cast<size_t>(i)] ? 1.0 : 0.0;
    design.at(k, 1) = weight;
    design.at(k, 2) = weight * p;
    design.at(k, 3) = weight * p * p;
    design.at(k, 4) = weight * p * p * p;
  }
}

// Least-squares coefficients c[1..columns] of rhs over the first columns of
// the group's design rows (the rest of c is 0: a cubic, a line or a
// constant); work receives the decomposition, which overwrites its input, so
// the rows are filled afresh for each solve. False when the decomposition did
// not converge.
bool solveCubic(Matrix& work, Matrix& v, std::vector<double>& w, int rows, int columns, int first,
                int frames, const GroundTrack& track, const std::vector<double>& rhs,
                std::vector<double>& coefficients) {
  fillDesign(work, rows, first, frames, track);
  std::fill(coefficients.begin(), coefficients.end(), 0.0);
  if (!svdcmp(work.rows(), rows, columns, w.data(), v.rows())) return false;
  svdsolve(work.rows(), w.data(), v.rows(), rows, columns, rhs.data(), coefficients.data());
  return true;
}

// Unknowns a group of rows frames can settle: a cubic from four frames on, a
// line from two, else the group's mean. More unknowns than frames would
// leave the solve free to throw the point far from the track.
int fitColumns(int rows) { return rows >= unknowns ? unknowns : rows >= 2 ? 2 : 1; }

bool isFinite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

double cubicAt(const std::vector<double>& c, double p) {
  return c[1] + c[2] * p + c[3] * p * p + c[4] * p * p * p;
}

// Clips this long share their per-frame work between two threads; shorter
// ones are done before a thread would have started.
constexpr int kFramesForTwoThreads = 50000;

// Runs work(first, last) over 0..count, in two halves on two threads when
// count is large. Each frame's result depends on that frame alone, so the
// results are the same either way.
template <typename Work>
void shareFrames(int count, const Work& work) {
  if (count < kFramesForTwoThreads) {
    work(0, count);
    return;
  }
  const int half = count / 2;
  std::thread second;
  try {
    second = std::thread(work, half, count);
  } catch (const std::system_error&) {
    work(0, count);  // no thread to be had: this one does it all
    return;
  }
  work(0, half);
  second.join();
}

// Bounds of the usable positions of a run of frames, taken in frame order.
struct Bounds {
  Point3 min;
  Point3 max;
  bool found = false;

  void add(const Point3& p) {
    if (!found) {
      min = max = p;
      found = true;
    }
    max.x = std::max(max.x, p.x);
    max.y = std::max(max.y, p.y);
    max.z = std::max(max.z, p.z);
    min.x = std::min(min.x, p.x);
    min.y = std::min(min.y, p.y);
    min.z = std::min(min.z, p.z);
  }

  // Adds the bounds of the frames after these: the same result as adding
  // those frames one by one (of equal values, the earlier one stays).
  void add(const Bounds& later) {
    if (!later.found) return;
    if (!found) {
      *this = later;
      return;
    }
    max.x = std::max(max.x, later.max.x);
    max.y = std::max(max.y, later.max.y);
    max.z = std::max(max.z, later.max.z);
    min.x = std::min(min.x, later.min.x);
    min.y = std::min(min.y, later.min.y);
    min.z = std::min(min.z, later.min.z);
  }
};

}  // namespace

std::string shortClipNote(int frames) {
  if (frames <= 0 || frames >= 20) return "";
  const std::string head = "Short clip (" + std::to_string(frames) + " frames): ";
  const int rows = frames / 5;
  if (rows == 0) return head + "every path point stands at the track's mean position";
  if (fitColumns(rows) == 1) return head + "each path point stands at its group's mean position";
  return head + "each path point is fitted with a line through its group";
}

bool fitPath(const BvhMotion& motion, PathCurve& path, UpAxis up) {
  const int frameTotal = motion.frameCount;
  std::printf("Number of Frames: %d\n", frameTotal);

  const int frames = std::max(frameTotal, 0);
  const size_t frameSlots = static_cast<size_t>(frames);
  std::printf("\n");

  // Every later step needs the track positions, so each line is read once;
  // the bounds are taken on the way.
  const TrackJoint track = findTrackJoint(motion, up);
  const RootWords words = findRootWords(motion, track.joint, up);
  GroundTrack ground;
  ground.x.resize(frameSlots);
  ground.z.resize(frameSlots);
  // Bytes rather than bits: the two threads write neighbouring frames.
  ground.usable.resize(frameSlots);
  // A frame whose position is nan or infinite is left out of the bounds and
  // of the solve, so that one bad value cannot spoil the whole path. Bounds
  // start from the first usable frame; without one they are the origin.
  Bounds halves[2];
  shareFrames(frames, [&](int first, int last) {
    Bounds& bounds = halves[first == 0 ? 0 : 1];
    const size_t stored = motion.frameLines.size();
    PackedTextList::const_iterator lines(&motion.frameLines, static_cast<size_t>(first));
    for (int i = first; i < last; ++i) {
      // A clip with fewer stored lines than its count reads the missing
      // frames as the origin instead of reading past the list.
      const char* line = nullptr;
      if (static_cast<size_t>(i) < stored) {
        line = *lines;
        ++lines;
      }
      const Point3 p = readRootPosition(line, words);
      const size_t slot = static_cast<size_t>(i);
      ground.x[slot] = p.x;
      ground.z[slot] = p.z;
      ground.usable[slot] = isFinite(p);
      if (ground.usable[slot]) bounds.add(p);
    }
  });
  halves[0].add(halves[1]);
  const Point3 boundsMin = halves[0].min;
  const Point3 boundsMax = halves[0].max;

  const int rows = frames / 5;
  const int columns = fitColumns(rows);
  // The curve is changed only once every solve has succeeded, so a failed
  // fit leaves the path the editor has.
  std::array<Point3, groups> points;
  std::array<int, groups> middles{};
  {
    Matrix work(rows, unknowns);
    Matrix v(unknowns, unknowns);
    std::vector<double> w(unknowns + 1, 0.0);
    std::vector<double> bx(static_cast<size_t>(rows) + 1, 0.0);
    std::vector<double> bz(static_cast<size_t>(rows) + 1, 0.0);
    std::vector<double> cx(unknowns + 1, 0.0);
    std::vector<double> cz(unknowns + 1, 0.0);
    for (int group = 1; group <= groups; ++group) {
      const int first = (group - 1) * rows;
      for (int k = 1; k <= rows; ++k) {
        const size_t slot = static_cast<size_t>(first + k - 1);
        const bool usable = ground.usable[slot];
        bx[static_cast<size_t>(k)] = usable ? ground.x[slot] : 0.0;
        bz[static_cast<size_t>(k)] = usable ? ground.z[slot] : 0.0;
      }
      if (!solveCubic(work, v, w, rows, columns, first, frames, ground, bx, cx) ||
          !solveCubic(work, v, w, rows, columns, first, frames, ground, bz, cz)) {
        std::printf("Path could not be fitted: %s; the path is kept as it was\n", kNoConvergence);
        return false;
      }

      const int middle = group * rows - rows / 2;
      // Without frames there is no parameter; the zero coefficients then put
      // the point at the origin instead of at 0 * infinity.
      const double pm = frames > 0 ? static_cast<double>(middle + 1) / frames : 0.0;
      points[static_cast<size_t>(group - 1)] =
          Point3{cubicAt(cx, pm), pointHeight, cubicAt(cz, pm)};
      middles[static_cast<size_t>(group - 1)] = middle;
    }
  }

  // Under five frames no group has a frame: every point stands at the
  // track's mean position, so the clip stays where it is.
  if (rows == 0) {
    double meanX = 0.0;
    double meanZ = 0.0;
    int counted = 0;
    for (size_t slot = 0; slot < frameSlots; ++slot) {
      if (!ground.usable[slot]) continue;
      meanX += ground.x[slot];
      meanZ += ground.z[slot];
      ++counted;
    }
    for (Point3& point : points) {
      if (counted > 0) point = {meanX / counted, pointHeight, meanZ / counted};
    }
  }

  // The ground coordinates become the offsets in place, and the old record
  // goes before the new directions are allocated.
  path.rootOffsetX = std::move(ground.x);
  path.rootOffsetZ = std::move(ground.z);
  path.fitForwardX.clear();
  path.fitForwardX.shrink_to_fit();
  path.fitForwardZ.clear();
  path.fitForwardZ.shrink_to_fit();
  path.fitForwardX.resize(frameSlots, 0.0);
  path.fitForwardZ.resize(frameSlots, 0.0);
  path.boundsMin = boundsMin;
  path.boundsMax = boundsMax;
  path.trackJoint = track.joint;
  path.useCatmullRomBasis();
  for (int group = 0; group < groups; ++group) {
    const Point3& point = points[static_cast<size_t>(group)];
    path.setPoint(point, group);
    std::printf("General setting %d: %f %f %f\n", middles[static_cast<size_t>(group)], point.x,
                point.y, point.z);
  }

  if (track.joint > 0) {
    std::printf("%s\n", trackJointNotice(motion.skeleton[track.joint]).c_str());
  }
  const std::string note = shortClipNote(frames);
  if (!note.empty()) std::printf("%s\n", note.c_str());

  // A track that stands still away from the origin fits a curve whose
  // direction is rounding noise; turning frames by that noise would spin
  // them, so such a direction counts as none (no turn).
  const double extent = std::max(boundsMax.x - boundsMin.x, boundsMax.z - boundsMin.z);
  const double figure = restPoseBox(motion.skeleton).size();
  double noDirection = noDirectionShare * std::max(extent, figure);
  if (!std::isfinite(noDirection)) noDirection = 0.0;
  shareFrames(frames, [&path, frames, noDirection](int first, int last) {
    for (int i = first; i < last; ++i) {
      const size_t slot = static_cast<size_t>(i);
      const double u = PathCurve::framePathParameter(i, frames);
      Point3 c;
      path.positionAt(u, c);
      // A frame left out of the fit keeps its non-finite offset: the writer
      // then writes that frame's position as it was read.
      path.rootOffsetX[slot] -= c.x;
      path.rootOffsetZ[slot] -= c.z;
      Point3 f;
      path.forwardAt(u, f);
      const bool hasDirection = std::hypot(f.x, f.z) >= noDirection;
      path.fitForwardX[slot] = hasDirection ? f.x : 0.0;
      path.fitForwardZ[slot] = hasDirection ? f.z : 0.0;
    }
  });
  return true;
}
