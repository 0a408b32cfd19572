#pragma once

#include <string>
#include <vector>

// What the view plays: the frame shown, whether it plays on by itself, the
// pace (seconds a frame), strobing, and the play range it loops within. Headless: time comes in as
// readings of the millisecond playback clock (playbackClockMs), so tests drive it by hand. With no
// frames every operation keeps frame 0, and nothing divides by the count.
class Playback {
 public:
  // A clip of frameCount frames read with clipFrameTime: frame 0, the clip's
  // pace (clipPace), no play range, the clock counting from nowMs. Animated
  // and strobing stay as they were (on and off at first).
  void startClip(int frameCount, double clipFrameTime, long nowMs);

  int frame() const { return frame_; }
  int frameCount() const { return frameCount_; }
  bool animated() const { return animated_; }
  bool strobing() const { return strobing_; }
  // Seconds a frame, as last set (0 or less plays once per clock tick).
  double frameTime() const { return frameTime_; }
  // The clock reading of the last step advance made (or of the last restart).
  long lastStepClock() const { return lastStepClock_; }

  // The clip's own frame time, or 1/30 s when the file's cannot be played
  // (below 0.001 s, above 10 s, NaN); clipPaceNote says so then ("Frame Time
  // 0 cannot be played; playing at 0.0333333 s a frame") and is empty
  // otherwise.
  double clipPace() const;
  std::string clipPaceNote() const;

  // While animated and more than one frame time has passed since the current
  // frame became due, shows the frame due at nowMs: frames are skipped when
  // the caller is late, and the time base keeps the remainder so playback does
  // not drift; frames wrap around the play range (the clip without one),
  // which a frame outside it enters at its first frame. Returns whether the
  // frame stepped.
  bool advance(long nowMs);
  // Seconds from nowMs until advance will step (a millisecond past the frame
  // time, which the step needs strictly exceeded), within 0.001 and one frame
  // time plus 0.001.
  double secondsToNextFrame(long nowMs) const;

  // The frame slider: value truncated into 0..frameCount - 1 (NaN and
  // negative values give 0, values past the end the last frame).
  void seek(double value);
  // One frame on or back, wrapping around the clip.
  void forward();
  void backward();

  // A new pace, counted from nowMs so no frames are skipped for the old one.
  void setFrameTime(double seconds, long nowMs);
  // Pauses or plays on; playing on counts from nowMs, so a pause is not time
  // the clip has to catch up on.
  void toggleAnimated(long nowMs);
  void toggleStrobing() { strobing_ = !strobing_; }

  // The play range, first to last frame, both played; without one the whole
  // clip (0 to frameCount - 1).
  bool hasRange() const { return hasRange_; }
  int rangeFirst() const;
  int rangeLast() const;
  // I: the range starts at the current frame and ends where it did, or at
  // the clip's last frame when it had no end or its end came before. O: it
  // ends at the current frame and starts where it did, or at the current
  // frame when its start came after. Nothing happens without frames.
  void startRangeHere();
  void endRangeHere();
  void clearRange() { hasRange_ = false; }
  // count frames spread evenly over the play range (the clip without one),
  // its first and last among them, in order and each once: fewer when the
  // range holds fewer. Empty without frames or for a count below 1.
  std::vector<int> spreadFrames(int count) const;

 private:
  void restartClock(long nowMs);

  int frameCount_ = 0;
  double clipFrameTime_ = 0.0;
  int frame_ = 0;
  bool animated_ = true;
  bool strobing_ = false;
  bool hasRange_ = false;
  int rangeFirst_ = 0;
  int rangeLast_ = 0;
  double frameTime_ = 0.0;
  long lastStepClock_ = 0;
  // Clock reading (ms, with fractions) at which the current frame became due.
  double stepOriginMs_ = 0.0;
};
