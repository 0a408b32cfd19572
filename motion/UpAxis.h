#pragma once

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

// Decides the up axis from the posed figure: the joints' world positions
// (forward kinematics) over up to 16 frames spread over the clip, the rest
// pose for a clip without frames. Z only when the figure stands clearly
// taller along z than along y (by half again) in at least four of five
// sampled frames and its centre does not travel further along z than
// along y by more than half a figure height: a figure that merely bends,
// leans, lies or crawls along z keeps Y. So a Y-up skeleton whose root
// turns it to Z-up in every frame is Z, and a clip without a clear answer
// (no joints, no extent) is Y. Costs one forward-kinematics pass per
// sampled frame.
UpAxis decideUpAxis(const BvhMotion& motion);
