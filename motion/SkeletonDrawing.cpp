#include <FL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "motion/FrameWords.h"
#include "motion/StrobeSchedule.h"
#include "motion/VectorMath.h"
#include "view/MotionView.h"

namespace {

struct QuadricDeleter {
  void operator()(GLUquadric* quadric) const { gluDeleteQuadric(quadric); }
};
using QuadricPtr = std::unique_ptr<GLUquadric, QuadricDeleter>;

// The six channels drawing knows; any other channel name has no effect.
struct ChannelValues {
  double xPosition = 0.0;
  double yPosition = 0.0;
  double zPosition = 0.0;
  double xRotation = 0.0;
  double yRotation = 0.0;
  double zRotation = 0.0;
};

// Values of joint's channels from the frame's words. The reader checks neither
// the number of names against the count nor the words against the channels,
// so a channel without a name is skipped and a missing word reads as 0.0.
ChannelValues readChannels(const BvhJoint& joint, const std::vector<const char*>& words) {
  ChannelValues values;
  const long nameCount = static_cast<long>(joint.channelNames.size());
  const long wordCount = static_cast<long>(words.size());
  for (long i = 0; i < joint.channelCount && i < nameCount; ++i) {
    const char* name = joint.channelNames[static_cast<size_t>(i)];
    const long word = joint.channelOffset + i;
    const double value =
        word >= 0 && word < wordCount ? std::atof(words[static_cast<size_t>(word)]) : 0.0;
    if (std::strcmp(name, "Xposition") == 0) {
      values.xPosition = value;
    } else if (std::strcmp(name, "Yposition") == 0) {
      values.yPosition = value;
    } else if (std::strcmp(name, "Zposition") == 0) {
      values.zPosition = value;
    } else if (std::strcmp(name, "Xrotation") == 0) {
      values.xRotation = value;
    } else if (std::strcmp(name, "Yrotation") == 0) {
      values.yRotation = value;
    } else if (std::strcmp(name, "Zrotation") == 0) {
      values.zRotation = value;
    }
  }
  return values;
}

// Moves one axis of the follow camera: only down, and only by 0.05 or more.
// A clip whose root never moves along the axis has no extent to normalise
// by, so that axis of the camera stays where it is.
void followAxis(double position, double low, double high, double& eye, double& center) {
  const double extent = high - low;
  if (extent == 0.0) {
    return;
  }
  const double target = (position - low) / extent * 2.0 - 1.0 - 0.5;
  if (eye - target >= 0.05) {
    eye = target;
  }
  center = eye + 0.5;
}

// One joint on the walk: which child comes next, and whether the root's path
// turn has to be undone when the joint is left.
struct JointVisit {
  const BvhJoint* joint;
  size_t nextChild;
  bool turned;
};

}  // namespace

void MotionView::loadFrame(int s) {
  if (s < 0 || s >= motion->frameCount || static_cast<size_t>(s) >= motion->frameLines.size()) {
    tokens.clear();
    return;
  }
  splitFrameLine(motion->frameLine(s), tokenText, tokens);
}

void MotionView::drawSkeleton() {
  glPushMatrix();
  glTranslated(0.0, -2.0, 0.0);
  glScaled(0.05, 0.05, 0.05);
  glPointSize(10.0f);
  glColor3f(1.0f, 1.0f, 1.0f);
  if (motion->root) {
    for (const StrobeDraw& draw : strobeSchedule(currentFrame, motion->frameCount, strobing)) {
      loadFrame(draw.frame);
      drawJoint(motion->root.get(), draw.frame, draw.alpha);
    }
  }
  glPopMatrix();
}

void MotionView::drawJoint(const BvhJoint* joint, int f, double alpha) {
  if (joint == nullptr) {
    return;
  }
  // Every drawn joint holds one matrix level for its subtree and one more for
  // its bone while drawing it; the root's path turn holds one more. Joints
  // deeper than the stack allows are left out rather than overflowing it.
  GLint maxStack = 0;
  GLint usedStack = 0;
  glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &maxStack);
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &usedStack);
  const bool turnsRoot = joint->parent == nullptr && usesPath;
  const long deepestDrawn = static_cast<long>(maxStack) - usedStack - (turnsRoot ? 1 : 0) - 2;

  QuadricPtr quadric(gluNewQuadric());
  if (!quadric) {
    return;
  }
  gluQuadricDrawStyle(quadric.get(), GLU_FILL);
  gluQuadricNormals(quadric.get(), GLU_SMOOTH);

  const double k = strobeColorOffset(currentFrame, f);

  // Draws one joint, its bone and its rotations, leaving its matrix pushed
  // for its children. Returns whether a path turn was pushed below it.
  auto enterJoint = [&](const BvhJoint& current) {
    glColor4f(static_cast<float>(current.color.r + k), static_cast<float>(current.color.g + k),
              static_cast<float>(current.color.b + k), static_cast<float>(alpha));
    ChannelValues values = readChannels(current, tokens);

    const bool isRoot = current.parent == nullptr;
    bool turned = false;
    if (isRoot && usesPath) {
      double heading = 0.0;
      double x = values.xPosition;
      double z = values.zPosition;
      // Frames the fit record does not cover keep the clip's own placement.
      if (path->pathGroundPosition(f, motion->frameCount, x, z)) {
        values.xPosition = x;
        values.zPosition = z;
        heading = path->pathHeadingDegrees(f, motion->frameCount);
      }
      // The turn applies to this frame's figure only; it is popped when the
      // root is left.
      glPushMatrix();
      glRotated(heading, 0.0, 1.0, 0.0);
      turned = true;
    }
    if (isRoot && followMotion && (!strobing || f == currentFrame)) {
      followAxis(values.xPosition, path->boundsMin.x, path->boundsMax.x, eyeX, centerX);
      followAxis(values.zPosition, path->boundsMin.z, path->boundsMax.z, eyeZ, centerZ);
    }

    glPushMatrix();
    glTranslatef(static_cast<float>(values.xPosition + current.offset.x),
                 static_cast<float>(values.yPosition + current.offset.y),
                 static_cast<float>(values.zPosition + current.offset.z));
    gluSphere(quadric.get(), 3.0, 10, 10);

    // The bone lies in the parent's rotated frame, so it is drawn before this
    // joint's own rotations.
    glPushMatrix();
    const Point3 zAxis{0.0, 0.0, 1.0};
    const Point3& offset = current.offset;
    const double length =
        std::sqrt(offset.x * offset.x + offset.y * offset.y + offset.z * offset.z);
    Point3 axis;
    crossProduct(axis, zAxis, offset);
    // An offset along Z (or none) gives no axis: the bone needs no turn.
    if (axis.x != 0.0 || axis.y != 0.0 || axis.z != 0.0) {
      glRotatef(static_cast<float>(-angleBetween(zAxis, offset)), static_cast<float>(axis.x),
                static_cast<float>(axis.y), static_cast<float>(axis.z));
    }
    gluCylinder(quadric.get(), 2.0, 2.0, length, 10, 1);
    glPopMatrix();
    glFlush();

    // Z, then X, then Y, whatever order the file lists the channels in.
    glRotatef(static_cast<float>(values.zRotation), 0.0f, 0.0f, 1.0f);
    glRotatef(static_cast<float>(values.xRotation), 1.0f, 0.0f, 0.0f);
    glRotatef(static_cast<float>(values.yRotation), 0.0f, 1.0f, 0.0f);
    return turned;
  };

  bool leftOut = deepestDrawn < 0;
  // An explicit stack instead of recursion: clips may nest joints 100,000 deep.
  std::vector<JointVisit> walk;
  if (!leftOut) {
    const bool turned = enterJoint(*joint);
    walk.push_back({joint, 0, turned});
  }
  while (!walk.empty()) {
    JointVisit& top = walk.back();
    if (top.nextChild < top.joint->children.size()) {
      const BvhJoint* child = top.joint->children[top.nextChild].get();
      ++top.nextChild;
      // The child's depth below `joint` is the number of joints on the walk.
      if (static_cast<long>(walk.size()) <= deepestDrawn) {
        const bool turned = enterJoint(*child);
        walk.push_back({child, 0, turned});
      } else {
        leftOut = true;
      }
    } else {
      glPopMatrix();
      if (top.turned) {
        glPopMatrix();
      }
      walk.pop_back();
    }
  }

  if (leftOut && !depthLimitReported) {
    depthLimitReported = true;
    std::printf(
        "The skeleton is nested deeper than the OpenGL matrix stack allows: joints more than %ld "
        "levels below the root are not drawn\n",
        deepestDrawn);
  }
}
