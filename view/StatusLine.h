#pragma once

#include <functional>
#include <string>

#include "path/EditSession.h"
#include "view/Playback.h"

// The line in the view's corner: the clip's file name, "frame i / N" (frames
// counted from 0, as the slider shows them), the time of the frame at the
// clip's pace, the selected point, the kind of path and the session's last
// message, its unprintable bytes shown as \xNN.
std::string statusText(const EditSession& session, const Playback& playback);

// text as it fits within width (measured by measure): the longest words,
// paths as a rule, are shortened in the middle with "...", and as a last
// resort the end is cut.
std::string fitToWidth(std::string text, double width,
                       const std::function<double(const std::string&)>& measure);
