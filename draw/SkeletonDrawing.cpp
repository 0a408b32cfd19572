#include "draw/SkeletonDrawing.h"

#include <FL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <memory>
#include <vector>

#include "motion/BvhMotion.h"
#include "motion/FrameWords.h"
#include "motion/StrobeSchedule.h"
#include "motion/VectorMath.h"

namespace {

struct QuadricDeleter {
  void operator()(GLUquadric* quadric) const { gluDeleteQuadric(quadric); }
};
using QuadricPtr = std::unique_ptr<GLUquadric, QuadricDeleter>;

// Joint and bone radii as fractions of the rest pose's size: a figure in
// centimetres (about 170 tall) gets the 3 and 2 units it always had, and a
// figure in metres or inches looks the same.
constexpr double jointRadiusShare = 3.0 / 170.0;
constexpr double boneRadiusShare = 2.0 / 170.0;
// A skeleton whose joints all sit in one point has no size to go by.
constexpr double pointSkeletonSize = 170.0;

struct Radii {
  double joint;
  double bone;
};

// A cylinder from the current origin to `to`, which must be its own push.
void drawBone(GLUquadric* quadric, const Point3& to, double radius) {
  const double length = std::sqrt(to.x * to.x + to.y * to.y + to.z * to.z);
  if (length == 0.0) return;
  const Point3 zAxis{0.0, 0.0, 1.0};
  Point3 axis;
  crossProduct(axis, zAxis, to);
  glPushMatrix();
  if (axis.x != 0.0 || axis.y != 0.0) {
    glRotated(angleBetween(zAxis, to), axis.x, axis.y, axis.z);
  } else if (to.z < 0.0) {
    // Straight down the z axis: any perpendicular axis turns it round.
    glRotated(180.0, 1.0, 0.0, 0.0);
  }
  gluCylinder(quadric, radius, radius, length, 10, 1);
  glPopMatrix();
}

// One frame's joints, as the walk enters them.
class FramePainter {
 public:
  FramePainter(const Skeleton& skeleton, GLUquadric* quadric, Radii radii,
               const std::vector<double>& values, double k, double alpha)
      : skeleton_(skeleton),
        quadric_(quadric),
        radii_(radii),
        values_(values),
        k_(k),
        alpha_(alpha) {}

  // Draws the joint's bone (in the parent's frame), pushes the joint's own
  // matrix, draws its sphere and applies its rotations for its children.
  void enter(int index) const {
    const BvhJoint& joint = skeleton_[index];
    const ChannelLayout& layout = skeleton_.layout();
    glColor4f(static_cast<float>(joint.color.r + k_), static_cast<float>(joint.color.g + k_),
              static_cast<float>(joint.color.b + k_), static_cast<float>(alpha_));
    const Point3 position = layout[static_cast<size_t>(index)].position(values_);
    const Point3 at{joint.offset.x + position.x, joint.offset.y + position.y,
                    joint.offset.z + position.z};
    if (joint.parent >= 0) drawBone(quadric_, at, radii_.bone);

    glPushMatrix();
    glTranslated(at.x, at.y, at.z);
    gluSphere(quadric_, radii_.joint, 10, 10);
    glFlush();
    for (const RotationChannel& channel : layout.rotations(static_cast<size_t>(index))) {
      const int axis = channel.axis;
      glRotated(valueAt(values_, channel.word), axis == 0 ? 1.0 : 0.0, axis == 1 ? 1.0 : 0.0,
                axis == 2 ? 1.0 : 0.0);
    }
  }

 private:
  const Skeleton& skeleton_;
  GLUquadric* quadric_;
  Radii radii_;
  const std::vector<double>& values_;
  double k_;
  double alpha_;
};

// Enters the joints in file order, each inside its parent's matrix: before
// a joint, the matrices of the joints it does not descend from are popped.
// A loop, not recursion, as clips may nest joints 100,000 deep. Joints more
// than deepestDrawn levels below the root are left out (with their
// subtrees, which lie deeper still). Returns whether any was left out.
bool drawJoints(const Skeleton& skeleton, const FramePainter& painter, long deepestDrawn) {
  bool leftOut = false;
  long open = 0;  // matrices pushed: the depth of the last joint entered, plus one
  for (int i = 0; i < skeleton.size(); ++i) {
    const long depth = skeleton.depth(i);
    if (depth > deepestDrawn) {
      leftOut = true;
      continue;
    }
    for (; open > depth; --open) glPopMatrix();
    painter.enter(i);
    ++open;
  }
  for (; open > 0; --open) glPopMatrix();
  return leftOut;
}

}  // namespace

void drawSkeleton(const BvhMotion& motion, const SkeletonDrawOptions& options,
                  bool& depthLimitReported, Notes& notes) {
  glPushMatrix();
  glTranslated(0.0, figureFloorY, 0.0);
  glScaled(figureScale, figureScale, figureScale);
  // Upright as figureToWorld places it.
  if (options.up == UpAxis::z) glRotated(-90.0, 1.0, 0.0, 0.0);
  glPointSize(10.0f);
  glColor3f(1.0f, 1.0f, 1.0f);
  const Skeleton& skeleton = motion.skeleton;
  QuadricPtr quadric(!skeleton.empty() ? gluNewQuadric() : nullptr);
  if (quadric) {
    gluQuadricDrawStyle(quadric.get(), GLU_FILL);
    gluQuadricNormals(quadric.get(), GLU_SMOOTH);
    double size = restPoseBox(skeleton).size();
    if (!(size > 0.0) || !std::isfinite(size)) size = pointSkeletonSize;
    const Radii radii{size * jointRadiusShare, size * boneRadiusShare};

    // Every drawn joint holds one matrix level for its subtree, and one more
    // for its children's bones while drawing them.
    GLint maxStack = 0;
    GLint usedStack = 0;
    glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &maxStack);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &usedStack);
    const long deepestDrawn = static_cast<long>(maxStack) - usedStack - 2;

    std::vector<double> values;
    EditedFrame edited;
    bool leftOut = false;
    for (const StrobeDraw& draw :
         strobeSchedule(options.currentFrame, motion.frameCount, options.strobing)) {
      if (static_cast<size_t>(draw.frame) >= motion.frameLines.size()) continue;
      readFrameValues(motion.frameLine(draw.frame), values, skeleton.layout().wordsUsed());
      if (options.edits != nullptr) {
        options.edits->edit(draw.frame, values, edited);
        edited.applyTo(values);
      }
      const FramePainter painter(skeleton, quadric.get(), radii, values,
                                 strobeColorOffset(options.currentFrame, draw.frame), draw.alpha);
      leftOut = drawJoints(skeleton, painter, deepestDrawn) || leftOut;
    }
    if (leftOut && !depthLimitReported) {
      depthLimitReported = true;
      notes.addf(
          "The skeleton is nested deeper than the OpenGL matrix stack allows: joints more than "
          "%ld levels below the root are not drawn\n",
          deepestDrawn);
    }
  }
  glPopMatrix();
}
