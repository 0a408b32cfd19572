#pragma once

#include "base/Point3.h"
#include "path/EditSession.h"

// Where the view's camera finds the figure of a session's clip, in world
// units: frame f as drawn, carried along the path when carried is set.

// World position of the joint the path carries (the root, or the joint that
// walks below a still root); the figure's origin for an empty clip.
Point3 carriedJointWorld(const EditSession& session, int f, bool carried);

// The middle of the rest pose's box carried to where the carried joint
// stands in frame f (the point framing centres on); size receives the box's
// size (0 for an empty clip).
Point3 figureMiddle(const EditSession& session, int f, bool carried, double& size);
