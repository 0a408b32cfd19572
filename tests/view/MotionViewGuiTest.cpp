#include <FL/Fl.H>
#include <FL/Fl_Group.H>
#include <FL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "view/MotionView.h"
#include "view/MotionViewTestSupport.h"

namespace {

using editortest::walkClip;
using editortest::Workspace;

using editortest::startView;

void showAndSettle(MotionView& view) {
  view.show();
  for (int i = 0; i < 100 && !view.visible(); ++i) {
    Fl::wait(0.01);
  }
  Fl::flush();
}

// ---------------------------------------------------------------------------
// Scene

// An uncompressed 24-bit TGA of 64 x 64 pixels in 32-pixel squares of two colours.
std::string checkerTga(const unsigned char a[3], const unsigned char b[3]) {
  std::string bytes(18, '\0');
  bytes[2] = 2;
  bytes[12] = 64;
  bytes[14] = 64;
  bytes[16] = 24;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const unsigned char* c = ((x / 32) + (y / 32)) % 2 == 0 ? a : b;
      bytes += static_cast<char>(c[2]);
      bytes += static_cast<char>(c[1]);
      bytes += static_cast<char>(c[0]);
    }
  }
  return bytes;
}

TEST(MotionViewSceneTest, TheFloorShowsTheCheckerTexture) {
  Workspace space;
  const unsigned char orange[3] = {230, 140, 20};
  const unsigned char teal[3] = {20, 140, 230};
  space.write("checker.tga", checkerTga(orange, teal));
  EditSession session;
  std::unique_ptr<editortest::Editor> editor;
  testsupport::captureStdout([&] { editor = startView(session); });
  editor->actions.run(Command::playPause);
  MotionView* view = &editor->view;
  testsupport::captureStdout([&] { showAndSettle(*view); });

  // A window shown again has a new GL context: the texture is made anew.
  for (const bool again : {false, true}) {
    SCOPED_TRACE(again ? "shown again" : "first shown");
    if (again) {
      view->hide();
      testsupport::captureStdout([&] { showAndSettle(*view); });
    }
    view->make_current();
    testsupport::captureStdout([&] { view->draw(); });
    glFinish();
    const int width = view->w();
    const int height = view->h();
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());

    // The floor fills the lower part of the picture around the middle.
    auto near = [](const unsigned char* p, const unsigned char* c) {
      return std::abs(p[0] - c[0]) < 16 && std::abs(p[1] - c[1]) < 16 && std::abs(p[2] - c[2]) < 16;
    };
    int orangeCount = 0;
    int tealCount = 0;
    for (int y = 30; y < 170; ++y) {
      for (int x = 250; x < 650; ++x) {
        const unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
        orangeCount += near(p, orange) ? 1 : 0;
        tealCount += near(p, teal) ? 1 : 0;
      }
    }
    EXPECT_GT(orangeCount, 5000);
    EXPECT_GT(tealCount, 5000);
    // Nothing of the floor above the horizon band.
    int floorAbove = 0;
    for (int y = 450; y < 600; ++y) {
      for (int x = 0; x < width; ++x) {
        const unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
        floorAbove += near(p, orange) || near(p, teal) ? 1 : 0;
      }
    }
    EXPECT_EQ(floorAbove, 0);
  }
}

// The status line keeps every blank: words are placed by the width GL
// draws them with. Runs of text pixels apart by more than a glyph's own
// spacing are words; there are as many as the line has.
TEST(MotionViewStatusTest, EveryBlankOfTheStatusLineShows) {
  Workspace space;
  EditSession session;
  std::unique_ptr<editortest::Editor> editor;
  testsupport::captureStdout([&] { editor = startView(session); });
  editor->state.playback.toggleAnimated(0);
  session.setMessage("No such file or directory");
  MotionView& view = editor->view;
  testsupport::captureStdout([&] { showAndSettle(view); });
  view.make_current();
  testsupport::captureStdout([&] { view.draw(); });
  glFinish();
  const int width = view.w();
  const int band = 20;
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * band * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 2, width, band, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  int words = 0;
  int blankColumns = 1000;
  for (int x = 0; x < width; ++x) {
    bool ink = false;
    for (int y = 0; y < band && !ink; ++y) {
      const unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
      ink = p[0] > 120 && p[1] > 120 && p[2] < p[0] - 40;  // the line's pale yellow
    }
    if (ink && blankColumns >= 4) ++words;
    blankColumns = ink ? 0 : blankColumns + 1;
  }
  // "dance01.bvh frame 0 / 12 0.00 s Loop path, 4 points" and the message.
  const std::string text = editor->actions.statusText();
  int expected = 0;
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] != ' ' && (at == 0 || text[at - 1] == ' ')) ++expected;
  }
  EXPECT_EQ(words, expected) << text;
}

}  // namespace
