#pragma once

#include <functional>

// The millisecond clock that paces playback.
using PlaybackClockFunction = std::function<long()>;

// Milliseconds of elapsed time since the program started, from a monotonic
// clock (never runs backwards, unaffected by changes of the wall clock), or
// the reading of the installed replacement.
long playbackClockMs();

// Installs another clock (tests drive time by hand) and returns the one it
// replaces; an empty function puts the monotonic clock back.
PlaybackClockFunction setPlaybackClock(PlaybackClockFunction clock);
