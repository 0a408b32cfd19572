#include "path/PathFit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "motion/BvhMotion.h"
#include "motion/FigureFrame.h"
#include "motion/TrackJoint.h"
#include "path/numeric/Svd.h"

namespace {

constexpr int unknowns = 4;
constexpr int groups = 4;
constexpr double pointHeight = 0.05;
// Fit-time directions shorter than this share of the clip's size are noise.
constexpr double noDirectionShare = 1e-6;

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

bool isFinite(const Point3& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
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

// The frame lines of one group, read afresh for each solve: a clip of
// millions of short frames should hold no copy of its positions beside the
// design rows. A clip with fewer stored lines than its count reads the
// missing frames as the origin instead of reading past the list.
struct GroupLines {
  PackedTextList::const_iterator first;
  int firstFrame;
  size_t stored;
};

// A group longer than this is decomposed block by block, so that the design
// rows held at once stay a few megabytes whatever the clip's length; a
// shorter group is solved in one decomposition, exactly as a whole.
constexpr int kBlockRows = 1 << 16;

// Design rows after..after + count - 1 (1-based) of the cubic for the count
// frames from frame first on, read from lines (which it advances), and
// rhs[axis][row] each frame's ground coordinate (x, then z); a frame whose
// position (height included) is not finite gets a zero row and zero values,
// which add nothing to the least-squares sums. The usable positions are added
// to bounds, in frame order.
void fillDesign(Matrix& design, std::array<std::vector<double>, 2>& rhs, int after, int count,
                int first, int frames, PackedTextList::const_iterator& lines, size_t stored,
                const TrackJoint& words, Bounds& bounds) {
  for (int k = 1; k <= count; ++k) {
    const int i = first + k - 1;
    const char* line = nullptr;
    if (static_cast<size_t>(i) < stored) {
      line = *lines;
      ++lines;
    }
    const Point3 position = readTrackPosition(line, words);
    const bool usable = isFinite(position);
    if (usable) bounds.add(position);
    const double p = static_cast<double>(i + 1) / frames;
    const double weight = usable ? 1.0 : 0.0;
    const int row = after + k;
    design.at(row, 1) = weight;
    design.at(row, 2) = weight * p;
    design.at(row, 3) = weight * p * p;
    design.at(row, 4) = weight * p * p * p;
    rhs[0][static_cast<size_t>(row)] = usable ? position.x : 0.0;
    rhs[1][static_cast<size_t>(row)] = usable ? position.z : 0.0;
  }
}

// Least-squares coefficients c[axis][1..columns] of the group's x and z
// coordinates over the first columns of its design rows (the rest of c is 0:
// a cubic, a line or a constant). Both axes share the design rows, so one
// decomposition serves both. Up to kBlockRows rows are decomposed at once
// (the decomposition overwrites its input). Each further block is decomposed
// stacked under what the earlier rows leave, W V^T with U^T rhs: the same
// singular values, V and solution as the whole matrix, since U's columns are
// orthonormal. work holds kBlockRows + columns rows at most. The group's
// usable positions are added to bounds. Fails when a decomposition does not
// converge or finds no room.
Status solveCubics(Matrix& work, Matrix& v, std::vector<double>& w,
                   std::array<std::vector<double>, 2>& rhs, int rows, int columns, int frames,
                   const GroupLines& group, const TrackJoint& words,
                   std::array<std::vector<double>, 2>& coefficients, Bounds& bounds) {
  for (std::vector<double>& c : coefficients) std::fill(c.begin(), c.end(), 0.0);
  PackedTextList::const_iterator lines = group.first;
  std::array<std::array<double, unknowns + 1>, 2> carriedRhs{};
  int carried = 0;
  for (int done = 0;;) {
    const int take = std::min(rows - done, kBlockRows);
    for (int r = 1; r <= carried; ++r) {
      for (int c = 1; c <= columns; ++c) work.at(r, c) = w[static_cast<size_t>(r)] * v.at(c, r);
      for (size_t axis = 0; axis < 2; ++axis) {
        rhs[axis][static_cast<size_t>(r)] = carriedRhs[axis][static_cast<size_t>(r)];
      }
    }
    fillDesign(work, rhs, carried, take, group.firstFrame + done, frames, lines, group.stored,
               words, bounds);
    const int m = carried + take;
    Status decomposed = svdcmp(work.rows(), m, columns, w.data(), v.rows());
    if (!decomposed) return decomposed;
    done += take;
    if (done >= rows) {
      for (size_t axis = 0; axis < 2; ++axis) {
        Status solved = svdsolve(work.rows(), w.data(), v.rows(), m, columns, rhs[axis].data(),
                                 coefficients[axis].data());
        if (!solved) return solved;
      }
      return Status();
    }
    for (size_t axis = 0; axis < 2; ++axis) {
      for (int j = 1; j <= columns; ++j) {
        double sum = 0.0;
        for (int i = 1; i <= m; ++i) sum += work.at(i, j) * rhs[axis][static_cast<size_t>(i)];
        carriedRhs[axis][static_cast<size_t>(j)] = sum;
      }
    }
    carried = columns;
  }
}

// Unknowns a group of rows frames can settle: a cubic from four frames on, a
// line from two, else the group's mean. More unknowns than frames would
// leave the solve free to throw the point far from the track.
int fitColumns(int rows) { return rows >= unknowns ? unknowns : rows >= 2 ? 2 : 1; }

double cubicAt(const std::vector<double>& c, double p) {
  return c[1] + c[2] * p + c[3] * p * p + c[4] * p * p * p;
}

// Clips this long solve their groups on two threads; shorter ones are done
// before a thread would have started.
constexpr int kFramesForTwoThreads = 50000;

// Runs work(first, end) over the groups 0..groups - 1, the later half on a
// second thread when twoThreads. Each group is solved from its own frames
// alone, so the results are the same either way. What the second thread
// throws (running out of memory) is thrown here.
template <typename Work>
void shareGroups(bool twoThreads, const Work& work) {
  if (!twoThreads) {
    work(0, groups);
    return;
  }
  constexpr int half = groups / 2;
  std::exception_ptr thrown;
  std::thread second;
  try {
    second = std::thread([&] {
      try {
        work(half, groups);
      } catch (...) {
        thrown = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    work(0, groups);  // no thread to be had: this one does it all
    return;
  }
  try {
    work(0, half);
  } catch (...) {
    second.join();
    throw;
  }
  second.join();
  if (thrown) std::rethrow_exception(thrown);
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

Status fitPath(const BvhMotion& motion, LoopFit& fit, Notes& notes, UpAxis up) {
  return fitPath(motion, findTrackJoint(motion, up), fit, notes);
}

namespace {

// What one group's solve gives: its control point and the frame at its
// middle, and the bounds of its usable positions.
struct GroupResult {
  Status solved;
  Point3 point;
  int middle = 0;
  Bounds bounds;
};
using GroupResults = std::array<GroupResult, groups>;

// A clip with fewer stored lines than its count reads the missing frames
// as the origin instead of reading past the list.
const char* lineAt(PackedTextList::const_iterator& lines, int i, size_t stored) {
  const char* line = nullptr;
  if (static_cast<size_t>(i) < stored) {
    line = *lines;
    ++lines;
  }
  return line;
}

// Solves the groups firstGroup..endGroup - 1 of rows frames each, one cubic
// (or line, or mean) per group, into results.
void solveGroups(const BvhMotion& motion, const TrackJoint& track, int frames, int rows,
                 int firstGroup, int endGroup, GroupResults& results) {
  const size_t stored = motion.frameLines.size();
  const int columns = fitColumns(rows);
  const int blockRows = std::min(rows, kBlockRows) + unknowns;
  Matrix work(blockRows, unknowns);
  Matrix v(unknowns, unknowns);
  std::vector<double> w(unknowns + 1, 0.0);
  std::array<std::vector<double>, 2> rhs;
  for (std::vector<double>& r : rhs) r.assign(static_cast<size_t>(blockRows) + 1, 0.0);
  std::array<std::vector<double>, 2> coefficients;
  for (std::vector<double>& c : coefficients) c.assign(unknowns + 1, 0.0);
  // The groups follow one another, so one walk finds them all.
  PackedTextList::const_iterator lines(&motion.frameLines,
                                       std::min(static_cast<size_t>(firstGroup) * rows, stored));
  for (int g = firstGroup; g < endGroup; ++g) {
    GroupResult& result = results[static_cast<size_t>(g)];
    const int first = g * rows;
    const GroupLines group{lines, first, stored};
    result.solved = solveCubics(work, v, w, rhs, rows, columns, frames, group, track, coefficients,
                                result.bounds);
    if (!result.solved) return;
    for (int k = 0; k < rows && static_cast<size_t>(first + k) < stored; ++k) ++lines;

    result.middle = (g + 1) * rows - rows / 2;
    // Without frames there is no parameter; the zero coefficients then put
    // the point at the origin instead of at 0 * infinity.
    const double pm = frames > 0 ? static_cast<double>(result.middle + 1) / frames : 0.0;
    result.point = Point3{cubicAt(coefficients[0], pm), pointHeight, cubicAt(coefficients[1], pm)};
  }
}

// Adds the usable positions of frames first..frames - 1 to bounds.
void addBounds(const BvhMotion& motion, const TrackJoint& track, int first, int frames,
               Bounds& bounds) {
  const size_t stored = motion.frameLines.size();
  PackedTextList::const_iterator lines(&motion.frameLines,
                                       std::min(static_cast<size_t>(first), stored));
  for (int i = first; i < frames; ++i) {
    const Point3 p = readTrackPosition(lineAt(lines, i, stored), track);
    if (isFinite(p)) bounds.add(p);
  }
}

// Under five frames no group has a frame: every point stands at the
// track's mean position, so the clip stays where it is.
void placeAtMean(const BvhMotion& motion, const TrackJoint& track, int frames,
                 std::array<Point3, groups>& points) {
  const size_t stored = motion.frameLines.size();
  double meanX = 0.0;
  double meanZ = 0.0;
  int counted = 0;
  PackedTextList::const_iterator lines(&motion.frameLines, 0);
  for (int i = 0; i < frames; ++i) {
    const Point3 p = readTrackPosition(lineAt(lines, i, stored), track);
    if (!isFinite(p)) continue;
    meanX += p.x;
    meanZ += p.z;
    ++counted;
  }
  for (Point3& point : points) {
    if (counted > 0) point = {meanX / counted, pointHeight, meanZ / counted};
  }
}

// The fit of the points found, with its notes: the "General setting" lines,
// the track joint and short clip notes, and the direction that counts as
// none.
LoopFit fittedLoop(const BvhMotion& motion, const TrackJoint& track, int frames,
                   const std::array<Point3, groups>& points, const std::array<int, groups>& middles,
                   const Bounds& bounds, Notes& notes) {
  LoopFit fitted;
  fitted.frames = frames;
  fitted.track = track;
  fitted.boundsMin = bounds.min;
  fitted.boundsMax = bounds.max;
  fitted.path.setBasis(PathCurve::catmullRomBasis);
  for (int g = 0; g < groups; ++g) {
    const Point3& point = points[static_cast<size_t>(g)];
    fitted.path.setPoint(g, point);
    notes.addf("General setting %d: %f %f %f\n", middles[static_cast<size_t>(g)], point.x, point.y,
               point.z);
  }
  fitted.fitted = fitted.path;

  if (track.joint > 0) notes.add(trackJointNotice(motion.skeleton[track.joint]) + "\n");
  const std::string note = shortClipNote(frames);
  if (!note.empty()) notes.add(note + "\n");

  // A track that stands still away from the origin fits a curve whose
  // direction is rounding noise; turning frames by that noise would spin
  // them, so such a direction counts as none (no turn).
  const double extent = std::max(bounds.max.x - bounds.min.x, bounds.max.z - bounds.min.z);
  const double figure = restPoseBox(motion.skeleton).size();
  fitted.noDirection = noDirectionShare * std::max(extent, figure);
  if (!std::isfinite(fitted.noDirection)) fitted.noDirection = 0.0;
  return fitted;
}

}  // namespace

Status fitPath(const BvhMotion& motion, const TrackJoint& track, LoopFit& fit, Notes& notes) {
  notes.addf("Number of Frames: %d\n", motion.frameCount);
  notes.add("\n");
  const int frames = std::max(motion.frameCount, 0);

  // A frame whose position is nan or infinite is left out of the bounds and
  // of the solve, so that one bad value cannot spoil the whole path. Bounds
  // start from the first usable frame; without one they are the origin. They
  // are taken while the groups are solved, which reads every grouped frame.
  // With Z up the track joint's words put the clip's y as the ground frame's
  // z and its z as the height, so everything after the read stays one
  // ground frame (x, height, z) whatever the clip's up axis.
  const int rows = frames / 5;
  GroupResults results;
  shareGroups(frames >= kFramesForTwoThreads, [&](int firstGroup, int endGroup) {
    solveGroups(motion, track, frames, rows, firstGroup, endGroup, results);
  });
  // The fit is changed only once every solve has succeeded, so a failed
  // fit leaves the path the editor has.
  std::array<Point3, groups> points;
  std::array<int, groups> middles{};
  Bounds bounds;
  for (size_t g = 0; g < groups; ++g) {
    const Status& solved = results[g].solved;
    if (!solved) {
      notes.addf("Path could not be fitted: %s; the path is kept as it was\n",
                 solved.failure().message.c_str());
      return solved;
    }
    points[g] = results[g].point;
    middles[g] = results[g].middle;
    bounds.add(results[g].bounds);
  }
  // The last few frames belong to no group.
  addBounds(motion, track, groups * rows, frames, bounds);
  if (rows == 0) placeAtMean(motion, track, frames, points);
  fit = fittedLoop(motion, track, frames, points, middles, bounds, notes);
  return Status();
}
