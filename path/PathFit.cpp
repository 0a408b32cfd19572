#include "path/PathFit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/NumberText.h"
#include "motion/BvhJoint.h"
#include "motion/BvhMotion.h"
#include "motion/FigureFrame.h"
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
// -1 when it has no channel of that name within its count (that coordinate
// then reads as 0).
struct RootWords {
  int index[3] = {-1, -1, -1};
  int last = -1;
};

// With Z up the fit's ground frame takes the clip's y as its z and the
// clip's z as its height, so everything after the read stays one ground
// frame (x, height, z) whatever the clip's up axis.
RootWords findRootWords(const BvhJoint* root, UpAxis up) {
  RootWords words;
  if (root == nullptr || root->channelOffset < 0) return words;
  const char* names[3] = {"Xposition", up == UpAxis::z ? "Zposition" : "Yposition",
                          secondGroundChannel(up)};
  for (int axis = 0; axis < 3; ++axis) {
    const int channel = root->channelIndex(names[axis]);
    // A name listed beyond the channel count has no value of the root's own
    // (the writer agrees), so that coordinate reads as 0.
    if (channel < 0 || channel >= root->channelCount) continue;
    words.index[axis] = root->channelOffset + channel;
    words.last = std::max(words.last, words.index[axis]);
  }
  return words;
}

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads the root's coordinates from one frame line, stopping at the last word
// it needs: the rest of a long line (every other joint) is never looked at.
// Words are read where they stand, as atof reads them, so no copy of the
// line is made. Missing words read 0.0.
Point3 readRootPosition(const char* line, const RootWords& words) {
  double coordinate[3] = {0.0, 0.0, 0.0};
  if (line == nullptr) return Point3{};
  const char* p = line;
  for (int word = 0; word <= words.last; ++word) {
    while (isSeparator(*p)) ++p;
    if (*p == '\0') break;
    const char* start = p;
    while (*p != '\0' && !isSeparator(*p)) ++p;
    for (int axis = 0; axis < 3; ++axis) {
      if (words.index[axis] == word) coordinate[axis] = readLeadingNumber(start, p);
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
  // Same shape only; the row pointers keep pointing into this storage.
  void copyFrom(const Matrix& other) {
    std::copy(other.storage_.begin(), other.storage_.end(), storage_.begin());
  }
  double& at(int r, int c) { return rowPointers_[static_cast<size_t>(r)][c]; }

 private:
  std::vector<double> storage_;
  std::vector<double*> rowPointers_;
};

// Least-squares coefficients c[1..columns] of rhs over the first columns of
// the design matrix (the rest of c is 0: a cubic, a line or a constant);
// design is left untouched, work receives the decomposition. False when the
// decomposition did not converge.
bool solveCubic(const Matrix& design, Matrix& work, Matrix& v, std::vector<double>& w, int rows,
                int columns, const std::vector<double>& rhs, std::vector<double>& coefficients) {
  work.copyFrom(design);
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

  // Every later step needs the track positions, so each line is read once.
  const TrackJoint track = findTrackJoint(motion, up);
  const RootWords words = findRootWords(track.joint, up);
  std::vector<Point3> root(frameSlots);
  for (int i = 0; i < frames; ++i) {
    // A clip with fewer stored lines than its count reads the missing
    // frames as the origin instead of reading past the list.
    const char* line =
        static_cast<size_t>(i) < motion.frameLines.size() ? motion.frameLine(i) : nullptr;
    root[static_cast<size_t>(i)] = readRootPosition(line, words);
  }

  // A frame whose position is nan or infinite is left out of the bounds and
  // of the solve, so that one bad value cannot spoil the whole path. Bounds
  // start from the first usable frame; without one they are the origin.
  Point3 boundsMin;
  bool haveBounds = false;
  Point3 boundsMax;
  for (const Point3& p : root) {
    if (!isFinite(p)) continue;
    if (!haveBounds) {
      boundsMin = boundsMax = p;
      haveBounds = true;
    }
    boundsMax.x = std::max(boundsMax.x, p.x);
    boundsMax.y = std::max(boundsMax.y, p.y);
    boundsMax.z = std::max(boundsMax.z, p.z);
    boundsMin.x = std::min(boundsMin.x, p.x);
    boundsMin.y = std::min(boundsMin.y, p.y);
    boundsMin.z = std::min(boundsMin.z, p.z);
  }

  const int rows = frames / 5;
  const int columns = fitColumns(rows);
  Matrix design(rows, unknowns);
  Matrix work(rows, unknowns);
  Matrix v(unknowns, unknowns);
  std::vector<double> w(unknowns + 1, 0.0);
  std::vector<double> bx(static_cast<size_t>(rows) + 1, 0.0);
  std::vector<double> bz(static_cast<size_t>(rows) + 1, 0.0);
  std::vector<double> cx(unknowns + 1, 0.0);
  std::vector<double> cz(unknowns + 1, 0.0);

  // The curve is changed only once every solve has succeeded, so a failed
  // fit leaves the path the editor has.
  std::array<Point3, groups> points;
  std::array<int, groups> middles{};
  for (int group = 1; group <= groups; ++group) {
    for (int k = 1; k <= rows; ++k) {
      const int i = (group - 1) * rows + k - 1;
      const double p = static_cast<double>(i + 1) / frames;
      const Point3& position = root[static_cast<size_t>(i)];
      // A zero row adds nothing to the least-squares sums.
      const double weight = isFinite(position) ? 1.0 : 0.0;
      design.at(k, 1) = weight;
      design.at(k, 2) = weight * p;
      design.at(k, 3) = weight * p * p;
      design.at(k, 4) = weight * p * p * p;
      bx[static_cast<size_t>(k)] = weight != 0.0 ? position.x : 0.0;
      bz[static_cast<size_t>(k)] = weight != 0.0 ? position.z : 0.0;
    }
    // The decomposition overwrites its input, so each coordinate solves on
    // its own copy of the same design matrix.
    if (!solveCubic(design, work, v, w, rows, columns, bx, cx) ||
        !solveCubic(design, work, v, w, rows, columns, bz, cz)) {
      std::printf("Path could not be fitted: %s; the path is kept as it was\n", kNoConvergence);
      return false;
    }

    const int middle = group * rows - rows / 2;
    // Without frames there is no parameter; the zero coefficients then put
    // the point at the origin instead of at 0 * infinity.
    const double pm = frames > 0 ? static_cast<double>(middle + 1) / frames : 0.0;
    points[static_cast<size_t>(group - 1)] = Point3{cubicAt(cx, pm), pointHeight, cubicAt(cz, pm)};
    middles[static_cast<size_t>(group - 1)] = middle;
  }

  // Under five frames no group has a frame: every point stands at the
  // track's mean position, so the clip stays where it is.
  if (rows == 0) {
    Point3 mean;
    int counted = 0;
    for (const Point3& p : root) {
      if (!isFinite(p)) continue;
      mean = {mean.x + p.x, 0.0, mean.z + p.z};
      ++counted;
    }
    for (Point3& point : points) {
      if (counted > 0) point = {mean.x / counted, pointHeight, mean.z / counted};
    }
  }

  path.rootOffsetX.assign(frameSlots, 0.0);
  path.rootOffsetZ.assign(frameSlots, 0.0);
  path.fitForwardX.assign(frameSlots, 0.0);
  path.fitForwardZ.assign(frameSlots, 0.0);
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

  if (track.joint != nullptr && track.joint != motion.root.get()) {
    std::printf("%s\n", trackJointNotice(*track.joint).c_str());
  }
  const std::string note = shortClipNote(frames);
  if (!note.empty()) std::printf("%s\n", note.c_str());

  // A track that stands still away from the origin fits a curve whose
  // direction is rounding noise; turning frames by that noise would spin
  // them, so such a direction counts as none (no turn).
  const double extent = std::max(boundsMax.x - boundsMin.x, boundsMax.z - boundsMin.z);
  const double figure = motion.root != nullptr ? restPoseBox(*motion.root).size() : 0.0;
  double noDirection = noDirectionShare * std::max(extent, figure);
  if (!std::isfinite(noDirection)) noDirection = 0.0;
  for (int i = 0; i < frames; ++i) {
    const size_t slot = static_cast<size_t>(i);
    const double u = PathCurve::framePathParameter(i, frames);
    Point3 c;
    path.positionAt(u, c);
    // A frame left out of the fit keeps its non-finite offset: the writer
    // then writes that frame's position as it was read.
    path.rootOffsetX[slot] = root[slot].x - c.x;
    path.rootOffsetZ[slot] = root[slot].z - c.z;
    Point3 f;
    path.forwardAt(u, f);
    const bool hasDirection = std::hypot(f.x, f.z) >= noDirection;
    path.fitForwardX[slot] = hasDirection ? f.x : 0.0;
    path.fitForwardZ[slot] = hasDirection ? f.z : 0.0;
  }
  return true;
}
