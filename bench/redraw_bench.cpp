// redraw_bench: time of one redraw of the view (clear, scene, skeleton) with
// the default clip and with a large 60-joint clip, strobe off and on.
//
// Usage (needs a display; Mesa's software renderer under Xvfb is the
// reference): tests/with-xvfb.sh ./build/redraw_bench [defaultClip [frames]]
// Last, the CMU walk of the test data (120 fps) with its track path edited.
//
// Each configuration is drawn a few times to warm the caches, then 200 times
// over successive frames; the table shows processor time and wall time per
// redraw (glFinish included, buffer swap excluded). The target is that a
// redraw fits in the clip's frame time, so playback keeps its pace.

#include <FL/Fl.H>
#include <FL/Fl_Group.H>
#include <FL/gl.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "app/EditorActions.h"
#include "bench/LargeClip.h"
#include "path/EditSession.h"
#include "path/PathKinds.h"
#include "view/MotionView.h"
#include "view/ViewState.h"

namespace {

double processSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Runs body with standard output sent to /dev/null, so that nothing printed
// on the way mixes into the table.
template <typename Body>
void quietly(Body body) {
  std::fflush(stdout);
  const int saved = dup(1);
  const int sink = open("/dev/null", O_WRONLY);
  dup2(sink, 1);
  close(sink);
  body();
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
}

struct Timing {
  double cpuMs;
  double wallMs;
};

Timing timeRedraws(MotionView& view, EditorActions& actions, bool strobing, int redraws) {
  if (actions.state().playback.strobing() != strobing) actions.run(Command::toggleStrobing);
  view.make_current();
  const int frames = view.session().motion().frameCount;
  auto drawFrame = [&](int i) {
    actions.setCurrentFrame(frames > 0 ? i % frames : 0);
    view.draw();
    glFinish();
  };
  for (int i = 0; i < 10; ++i) {
    drawFrame(i);
  }
  const double cpuStart = processSeconds();
  const auto wallStart = std::chrono::steady_clock::now();
  for (int i = 0; i < redraws; ++i) {
    drawFrame(i);
  }
  const double cpu = processSeconds() - cpuStart;
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  return {cpu * 1000.0 / redraws, wall * 1000.0 / redraws};
}

// With edited, the clip is shown on its track path with the middle point
// moved sideways by a tenth of the hip track's extent: every frame is then
// carried and its planted feet kept, as a person sees it while editing.
void benchClip(const char* title, const std::string& fileName, bool edited = false) {
  EditSession session;
  ViewState state;
  std::unique_ptr<EditorActions> actions;
  std::unique_ptr<MotionView> view;
  quietly([&] {
    session.load(fileName);
    if (edited && session.setKind(pathKindOf("track"))) {
      const ClipPath& path = session.path();
      const int middle = path.pointCount() / 2;
      const Point3 first = path.point(0);
      const Point3 last = path.point(path.pointCount() - 1);
      const double reach = std::hypot(last.x - first.x, last.z - first.z) / 10.0;
      session.movePoint(middle, reach, reach);
    }
    // No questions or choosers: drawing asks for none.
    actions = std::make_unique<EditorActions>(session, state, EditorActions::Seams{});
    Fl_Group::current(nullptr);
    view = std::make_unique<MotionView>(0, 100, 900, 600, session, state, *actions);
    actions->run(Command::playPause);
    view->show();
    for (int i = 0; i < 100 && !view->visible(); ++i) {
      Fl::wait(0.01);
    }
    Fl::flush();
  });
  const double frameMs = session.motion().frameTime * 1000.0;
  for (bool strobing : {false, true}) {
    Timing t{};
    quietly([&] { t = timeRedraws(*view, *actions, strobing, 200); });
    std::printf("| %-28s | %-6s | %10.3f | %10.3f | %8.2f | %-4s |\n", title,
                strobing ? "on" : "off", t.cpuMs, t.wallMs, frameMs,
                t.wallMs <= frameMs ? "PASS" : "MISS");
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string defaultClip = argc > 1 ? argv[1] : "dance01.bvh";
  const int largeFrames = argc > 2 ? std::atoi(argv[2]) : 400;

  char folder[] = "/tmp/redraw-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    std::perror("redraw_bench: mkdtemp");
    return 1;
  }
  const std::string largeClip = std::string(folder) + "/large.bvh";
  bench::LargeClipInfo info;
  if (!bench::writeLargeClip(largeClip, largeFrames, info)) {
    std::fprintf(stderr, "redraw_bench: cannot write %s\n", largeClip.c_str());
    return 1;
  }

  std::printf("| %-28s | %-6s | %10s | %10s | %8s | %-4s |\n", "clip", "strobe", "cpu ms",
              "wall ms", "frame ms", "fits");
  std::printf(
      "|------------------------------|--------|------------|------------|----------|------|\n");
  benchClip(defaultClip.c_str(), defaultClip);
  const std::string largeTitle = "large (" + std::to_string(info.jointCount) + " joints)";
  benchClip(largeTitle.c_str(), largeClip);
  benchClip("cmu-01_01 edited, feet kept", MPE_CLIP_DATA_DIR "/cmu-01_01.bvh", true);

  unlink(largeClip.c_str());
  rmdir(folder);
  return 0;
}
