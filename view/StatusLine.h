#pragma once

#include <functional>
#include <string>
#include <vector>

#include "path/EditSession.h"
#include "view/Playback.h"

// The line in the view's corner: the clip's file name, "frame i / N" (frames
// counted from 0, as the slider shows them), the time of the frame at the
// clip's pace, the selected point, the kind of path and the session's last
// message, its unprintable bytes shown as \xNN.
std::string statusText(const EditSession& session, const Playback& playback);

// Measures one word (a run without blanks) in pixels.
using WordMeasure = std::function<double(const std::string& word)>;

// text as it fits within width (measured by measure): the longest words,
// paths as a rule, are shortened in the middle with "...", and as a last
// resort the end is cut.
std::string fitToWidth(std::string text, double width,
                       const std::function<double(const std::string&)>& measure);

// One word of the status line, its line (0 the first) and where it starts,
// in pixels from the line's left end.
struct PlacedWord {
  std::string text;
  double x = 0.0;
  int line = 0;
};

// Width of text whose words measureWord measures and whose every blank is
// blankWidth wide.
double lineWidth(const std::string& text, const WordMeasure& measureWord, double blankWidth);

// text cut into its words (at blanks) and laid out in lines of width, each
// word after the words and blanks before it on its line (a run of blanks
// keeps its width; the blanks where a line breaks are dropped), so that the
// drawing places words one by one and never draws a blank. Nothing is cut:
// what does not fit goes on the next line, and a word wider than a whole
// line (a path, as a rule) is shortened in the middle (fitToWidth).
std::vector<PlacedWord> layoutStatusLine(const std::string& text, double width,
                                         const WordMeasure& measureWord, double blankWidth);
