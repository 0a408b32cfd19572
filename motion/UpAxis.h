#pragma once

#include <optional>
#include <string>

#include "base/Outcome.h"
#include "motion/JointChannels.h"

class BvhMotion;

// Which of the clip's axes points up. The ground is x and z with Y up, x and
// y with Z up.
enum class UpAxis { y, z };

// Index (1 y, 2 z) of the up axis, as axisRotation counts axes.
inline int upAxisIndex(UpAxis up) { return up == UpAxis::z ? 2 : 1; }

// Position channel name of the second ground axis: "Zposition" with Y up,
// "Yposition" with Z up.
inline const char* secondGroundChannel(UpAxis up) {
  return up == UpAxis::z ? "Yposition" : "Zposition";
}

// The channel kind of the second ground axis: Zposition with Y up,
// Yposition with Z up.
inline ChannelKind secondGroundKind(UpAxis up) {
  return up == UpAxis::z ? ChannelKind::yPosition : ChannelKind::zPosition;
}

// The channel kind of the up axis: Yposition with Y up, Zposition with Z up.
inline ChannelKind upPositionKind(UpAxis up) {
  return up == UpAxis::z ? ChannelKind::zPosition : ChannelKind::yPosition;
}

// "Y" or "Z", for messages.
inline const char* upAxisName(UpAxis up) { return up == UpAxis::z ? "Z" : "Y"; }

// What decided a clip's up axis. The posed figure stands along z when it is
// clearly taller along z than along y (by half again) in at least four of
// five sampled frames and its centre does not travel further along z than
// along y by more than half a figure height; else it is taken as standing
// along y. The rest pose stands along whichever of y and z it is clearly
// taller along, or along neither.
enum class UpEvidence {
  kNoFigure,     // no joints or no extent: Y
  kPosedFigure,  // the posed figure, the rest pose agreeing or standing along neither
  kRestPose,     // the rest pose, the frames giving the posed figure's axis nothing else
  kTravel,       // the posed figure, travelling along the rest pose's up axis
  kFooting,      // the posed figure, its feet standing on a floor across its axis
};

struct UpAxisDecision {
  UpAxis axis = UpAxis::y;
  UpEvidence evidence = UpEvidence::kNoFigure;
  // The axes the posed figure and the rest pose stand along; the rest pose
  // along neither is none.
  UpAxis posed = UpAxis::y;
  std::optional<UpAxis> rest;
};

// Decides the up axis from the posed figure (the joints' world positions
// over up to 16 frames spread over the clip; the rest pose for a clip
// without frames) and the rest pose, which exporters write standing on
// their up axis. Where the two disagree, the posed figure's axis holds only
// when the frames speak for it: the figure travels along the rest pose's up
// axis (on the posed axis's ground) by more than half a figure height, or
// its feet stand on a floor across the posed axis (in at least half of the
// sampled moments in which the figure moves, its lowest joint stays within
// a twentieth of its height of its lowest point and moves less than a
// fiftieth of its height in a tenth of a second); else the rest pose's axis
// holds. So a figure that merely bends, leans, lies or crawls keeps its
// rest pose's axis, a Y-up skeleton whose root turns it to Z-up and walks it
// along y is Z, and a clip without a clear answer (no joints, no extent) is
// Y. Costs two forward-kinematics passes per sampled frame; memory for the
// skeleton's depth and one position per joint.
UpAxisDecision judgeUpAxis(const BvhMotion& motion);

// judgeUpAxis(motion).axis.
UpAxis decideUpAxis(const BvhMotion& motion);

// The same, with the evidence that decided noted for the console as one line
// ("Up axis Z: ...") when the axis is Z or the posed figure and the rest
// pose disagreed; nothing for a clip that is plainly Y.
UpAxis decideUpAxis(const BvhMotion& motion, Notes& notes);

// The line decideUpAxis notes for decision, without its line feed; empty
// where it notes nothing.
std::string upAxisEvidence(const UpAxisDecision& decision);
