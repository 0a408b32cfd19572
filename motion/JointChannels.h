#pragma once

#include <vector>

#include "base/Point3.h"

class BvhJoint;

// What a channel moves, by its name; names other than the six known ones move
// nothing (their value is read and ignored).
enum class ChannelKind { xPosition, yPosition, zPosition, xRotation, yRotation, zRotation, other };

// Kind of the channel name; a null name is `other`.
ChannelKind channelKind(const char* name);

// Axis of a rotation kind (0 x, 1 y, 2 z); -1 for any other kind.
int rotationAxis(ChannelKind kind);

// Channels of joint that can be read: those declared by its count that also
// have a name (the reader checks neither against the other).
int readableChannelCount(const BvhJoint& joint);

// Value of joint's channel i in a frame split into words (atof of its word);
// 0.0 when the frame has no such word.
double channelValue(const BvhJoint& joint, int i, const std::vector<const char*>& words);

// The joint's position channels by name (x, y, z; 0 where absent; a later
// channel of a name overrides an earlier one).
Point3 jointPosition(const BvhJoint& joint, const std::vector<const char*>& words);
