#pragma once

struct BvhJoint;

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
