// The texture cache against a real GL context (Mesa under Xvfb). Each test
// has a cache of its own; what it notes is what the program prints.

#include <FL/Fl.H>
#include <FL/Fl_Gl_Window.H>
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "base/DataFile.h"
#include "draw/TextureCache.h"
#include "image/Tga.h"

namespace {

namespace fs = std::filesystem;

// The search directories, in the order they must be tried.
const std::vector<std::string> kSearchDirectories = {
    "./",
    "Textures/signs",
    "../Textures/signs",
    "Textures/Textures",
    "../Textures/Textures",
    "Textures/Objects",
    "../Textures/Objects",
    "c:/src/Hollowbrecht/Textures/signs",
    "c:/src/Hollowbrecht/Textures/Textures",
};

class ContextWindow : public Fl_Gl_Window {
 public:
  ContextWindow() : Fl_Gl_Window(0, 0, 32, 32) {}
  void draw() override {}
};

// Runs a test inside <temp>/work, so that the "../" directories of the search
// path stay inside <temp> too. Restores the working directory afterwards.
class TextureCacheTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    window_ = std::make_unique<ContextWindow>();
    window_->show();
    Fl::check();
  }
  static void TearDownTestSuite() {
    window_->hide();
    Fl::check();
    window_.reset();
  }

  void SetUp() override {
    window_->make_current();
    char cwd[PATH_MAX];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    savedDir_ = cwd;
    work_ = root_.path() + "/work";
    fs::create_directories(work_);
    ASSERT_EQ(0, chdir(work_.c_str()));
  }
  void TearDown() override {
    cache_.deleteTextures();
    EXPECT_EQ(0, chdir(savedDir_.c_str()));
  }

  // Fetches name from the test's cache; notes, when given, receives the
  // console text, else it is dropped.
  GLuint fetch(const std::string& name, bool wrapS, bool wrapT, std::string* notes = nullptr) {
    Notes noted;
    const GLuint texture = cache_.fetch(name.c_str(), wrapS, wrapT, noted);
    if (notes != nullptr) *notes += noted.text();
    return texture;
  }

  // Writes an opaque width x height image to dir/name.tga (dir relative to work).
  void putImage(const std::string& dir, const std::string& name, int width = 4, int height = 2) {
    fs::create_directories(work_ + "/" + dir);
    const std::vector<unsigned char> block = pattern(width, height);
    ASSERT_TRUE(tgaWrite((work_ + "/" + dir + "/" + name + ".tga").c_str(), width, height,
                         block.data(), 4));
  }

  static std::vector<unsigned char> pattern(int width, int height) {
    std::vector<unsigned char> block;
    for (int i = 0; i < width * height; ++i) {
      block.insert(block.end(), {static_cast<unsigned char>(i * 20 + 5),
                                 static_cast<unsigned char>(200 - i * 10),
                                 static_cast<unsigned char>(i * 7), 255});
    }
    return block;
  }

  static std::string tried(const std::string& name, int directories) {
    std::string out;
    for (int i = 0; i < directories; ++i) {
      out += "Trying: `" + kSearchDirectories[static_cast<size_t>(i)] + "/" + name + ".tga'\n";
    }
    return out;
  }

  // Every candidate of a search that finds nothing: the fixed directories,
  // then the program's data directories.
  static std::string triedEverywhere(const std::string& name) {
    std::string out = tried(name, 9);
    for (const std::string& directory : dataDirectories()) {
      out += "Trying: `" + directory + "/" + name + ".tga'\n";
    }
    return out;
  }

  static std::string created(GLuint texture, const std::string& name, int width, int height) {
    return "Created texture " + std::to_string(texture) + " for " + name + "\nBuild MipMap(" +
           std::to_string(width) + " " + std::to_string(height) + ") returns 0 = no error (0)\n";
  }

  static GLint bound() {
    GLint texture = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    return texture;
  }

  static GLint wrap(GLuint texture, GLenum axis) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint mode = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, axis, &mode);
    return mode;
  }

  static std::vector<unsigned char> levelZero(GLuint texture, int width, int height) {
    glBindTexture(GL_TEXTURE_2D, texture);
    std::vector<unsigned char> texels(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
  }

  TextureCache cache_;
  testsupport::TempDir root_;
  std::string work_;
  std::string savedDir_;
  static std::unique_ptr<ContextWindow> window_;
};

std::unique_ptr<ContextWindow> TextureCacheTest::window_;

TEST_F(TextureCacheTest, TableListsTheNineDirectoriesThenNull) {
  const std::vector<std::string>& expected = kSearchDirectories;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_NE(nullptr, textureSearchPath[i]);
    EXPECT_EQ(expected[i], textureSearchPath[i]);
  }
  EXPECT_EQ(nullptr, textureSearchPath[expected.size()]);
}

TEST_F(TextureCacheTest, SearchesInOrderUntilAFileReads) {
  putImage("../Textures/Objects", "order");
  // A file that is there but does not read counts as not found.
  fs::create_directories("Textures/signs");
  root_.write("work/Textures/signs/order.tga", "not an image");
  // Directories after the one that reads are never tried.
  putImage("c:/src/Hollowbrecht/Textures/signs", "order");

  GLuint texture = 0;
  std::string out;
  texture = fetch("order", false, false, &out);
  ASSERT_NE(0u, texture);
  EXPECT_EQ(tried("order", 7) + created(texture, "order", 4, 2), out);
  EXPECT_EQ(static_cast<GLint>(texture), bound());
  EXPECT_TRUE(glIsTexture(texture));
}

TEST_F(TextureCacheTest, SecondRequestOnlyBinds) {
  putImage(".", "again");
  GLuint first = 0;
  std::string out;
  first = fetch("again", false, false, &out);
  ASSERT_NE(0u, first);
  EXPECT_EQ(tried("again", 1) + created(first, "again", 4, 2), out);

  // Even with the file gone, the cached texture is what a request gets.
  fs::remove("again.tga");
  glBindTexture(GL_TEXTURE_2D, 0);
  GLuint second = 0;
  std::string again;
  second = fetch("again", false, false, &again);
  EXPECT_EQ("", again);
  EXPECT_EQ(first, second);
  EXPECT_EQ(static_cast<GLint>(first), bound());
}

TEST_F(TextureCacheTest, NamesAreComparedExactly) {
  putImage(".", "Exact");
  GLuint texture = 0;
  texture = fetch("Exact", false, false);
  ASSERT_NE(0u, texture);
  std::string out;
  EXPECT_EQ(0u, fetch("exact", false, false, &out));
  EXPECT_EQ(triedEverywhere("exact") + "!! Couldn't load texture `exact'~\n", out);
}

TEST_F(TextureCacheTest, MissingTextureIsReportedOnceUntilRetried) {
  GLuint other = 0;
  glGenTextures(1, &other);
  glBindTexture(GL_TEXTURE_2D, other);
  const std::string report = triedEverywhere("absent") + "!! Couldn't load texture `absent'~\n";
  // Every redraw asks again: only the first request of a round searches.
  const std::string expected[] = {report, "", report};
  for (int request = 0; request < 3; ++request) {
    SCOPED_TRACE(request);
    if (request == 2) cache_.retryMissing();
    GLuint texture = 1;
    std::string out;
    texture = fetch("absent", true, true, &out);
    EXPECT_EQ(expected[request], out);
    EXPECT_EQ(0u, texture);
    EXPECT_EQ(static_cast<GLint>(other), bound()) << "the cache bound something";
  }
  // A texture that appears later is found after the retry.
  putImage(".", "absent");
  cache_.retryMissing();
  const GLuint found = fetch("absent", true, true);
  EXPECT_NE(0u, found);
  glDeleteTextures(1, &other);
}

TEST_F(TextureCacheTest, FindsTexturesInTheLastDirectory) {
  putImage("c:/src/Hollowbrecht/Textures/Textures", "deepest");
  GLuint texture = 0;
  std::string out;
  texture = fetch("deepest", false, false, &out);
  ASSERT_NE(0u, texture);
  EXPECT_EQ(tried("deepest", 9) + created(texture, "deepest", 4, 2), out);
}

TEST_F(TextureCacheTest, WrapFlagsOfTheFirstRequestStay) {
  putImage(".", "wrap-s");
  putImage(".", "wrap-t");
  GLuint s = 0;
  GLuint t = 0;
  s = fetch("wrap-s", true, false);
  t = fetch("wrap-t", false, true);
  ASSERT_NE(0u, s);
  ASSERT_NE(0u, t);
  EXPECT_EQ(GL_REPEAT, wrap(s, GL_TEXTURE_WRAP_S));
  EXPECT_EQ(GL_CLAMP, wrap(s, GL_TEXTURE_WRAP_T));
  EXPECT_EQ(GL_CLAMP, wrap(t, GL_TEXTURE_WRAP_S));
  EXPECT_EQ(GL_REPEAT, wrap(t, GL_TEXTURE_WRAP_T));

  std::string again;
  EXPECT_EQ(s, fetch("wrap-s", false, true, &again));
  EXPECT_EQ("", again);
  EXPECT_EQ(GL_REPEAT, wrap(s, GL_TEXTURE_WRAP_S));
  EXPECT_EQ(GL_CLAMP, wrap(s, GL_TEXTURE_WRAP_T));
}

TEST_F(TextureCacheTest, TwoNamesForOneFileGetTwoTextures) {
  putImage(".", "twin");
  GLuint a = 0;
  GLuint b = 0;
  std::string out;
  a = fetch("twin", false, false, &out);
  b = fetch("../work/twin", false, false, &out);  // .//../work/twin.tga
  ASSERT_NE(0u, a);
  ASSERT_NE(0u, b);
  EXPECT_NE(a, b);
  EXPECT_EQ(tried("twin", 1) + created(a, "twin", 4, 2) + tried("../work/twin", 1) +
                created(b, "../work/twin", 4, 2),
            out);
  EXPECT_EQ(levelZero(a, 4, 2), levelZero(b, 4, 2));
}

TEST_F(TextureCacheTest, TextureHoldsTheImageBottomRowFirst) {
  putImage(".", "texels", 4, 2);
  GLuint texture = 0;
  texture = fetch("texels", false, false);
  ASSERT_NE(0u, texture);
  EXPECT_EQ(pattern(4, 2), levelZero(texture, 4, 2));
}

TEST_F(TextureCacheTest, ImagesOfAnySizeArePassedAtTheirOwnSize) {
  putImage(".", "odd-size", 3, 5);
  GLuint texture = 0;
  std::string out;
  texture = fetch("odd-size", true, true, &out);
  ASSERT_NE(0u, texture);
  EXPECT_EQ(tried("odd-size", 1) + created(texture, "odd-size", 3, 5), out);
}

TEST_F(TextureCacheTest, PathsThatDoNotFitTheBufferAreSkipped) {
  // ".//" + 192 characters + ".tga" is 199 characters: the longest that fits
  // with its terminator in 200 bytes. No other directory fits.
  const std::string fits(192, 'f');
  putImage(".", fits);
  GLuint texture = 0;
  std::string out;
  texture = fetch(fits, false, false, &out);
  ASSERT_NE(0u, texture);
  EXPECT_EQ(tried(fits, 1) + created(texture, fits, 4, 2), out);

  const std::string tooLong(193, 'g');
  putImage(".", tooLong);
  out.clear();
  EXPECT_EQ(0u, fetch(tooLong, false, false, &out));
  EXPECT_EQ("!! Couldn't load texture `" + tooLong + "'~\n", out);
}

TEST_F(TextureCacheTest, LoadsTheGroundTextureOfTheRepository) {
  fs::copy_file(std::string(MPE_SOURCE_DIR) + "/checker.tga", work_ + "/repo-checker.tga");
  GLuint texture = 0;
  std::string out;
  texture = fetch("repo-checker", false, false, &out);
  ASSERT_NE(0u, texture);
  EXPECT_EQ(tried("repo-checker", 1) + created(texture, "repo-checker", 256, 256), out);
  const std::vector<unsigned char> texels = levelZero(texture, 256, 256);
  auto texel = [&](int x, int y) {
    const unsigned char* p = &texels[(static_cast<std::size_t>(y) * 256 + x) * 4];
    return std::vector<int>(p, p + 4);
  };
  // Neighbouring squares differ, diagonal ones match, everything is opaque.
  EXPECT_NE(texel(0, 0), texel(32, 0));
  EXPECT_NE(texel(0, 0), texel(0, 32));
  EXPECT_EQ(texel(0, 0), texel(32, 32));
  EXPECT_EQ(texel(0, 0), texel(255, 255));
  EXPECT_EQ(255, texel(0, 0)[3]);
  EXPECT_EQ(255, texel(32, 0)[3]);
}

// Caches are independent: a name one of them found missing is searched by
// another, and deleteTextures deletes what a cache made.
TEST_F(TextureCacheTest, EachCacheSearchesForItselfAndReleasesItsTextures) {
  EXPECT_EQ(0u, fetch("late", false, false));
  putImage(".", "late");
  EXPECT_EQ(0u, fetch("late", false, false)) << "still missing for this cache";
  TextureCache other;
  Notes notes;
  const GLuint texture = other.fetch("late", false, false, notes);
  ASSERT_NE(0u, texture);
  EXPECT_EQ(tried("late", 1) + created(texture, "late", 4, 2), notes.text());
  EXPECT_TRUE(glIsTexture(texture));
  other.deleteTextures();
  EXPECT_FALSE(glIsTexture(texture));
}

}  // namespace
