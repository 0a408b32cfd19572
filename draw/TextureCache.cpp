#include "draw/TextureCache.h"

#include <GL/glu.h>

#include <cstdio>
#include <utility>

#include "base/DataFile.h"

const char* const textureSearchPath[] = {
    "./",
    "Textures/signs",
    "../Textures/signs",
    "Textures/Textures",
    "../Textures/Textures",
    "Textures/Objects",
    "../Textures/Objects",
    "c:/src/Hollowbrecht/Textures/signs",
    "c:/src/Hollowbrecht/Textures/Textures",
    nullptr,
};

namespace {

constexpr std::size_t kPathBufferSize = 200;

// Formats "<directory>/<name>.tga" into path; false when it does not fit
// (a cut path would name some other file).
bool candidatePath(char (&path)[kPathBufferSize], const char* directory, const char* name) {
  const int length = std::snprintf(path, sizeof path, "%s/%s.tga", directory, name);
  return length >= 0 && static_cast<std::size_t>(length) < sizeof path;
}

}  // namespace

GLuint TextureCache::fetch(const char* name, bool wrapS, bool wrapT, Notes& notes) {
  if (name == nullptr) return 0;
  for (const Entry& entry : entries_) {
    if (entry.name == name) {
      glBindTexture(GL_TEXTURE_2D, entry.texture);
      return entry.texture;
    }
  }

  if (missing_.count(name) != 0) return 0;

  char path[kPathBufferSize];
  TgaBlock pixels;
  int width = 0;
  int height = 0;
  const auto tryPath = [&](const char* directory) {
    if (!candidatePath(path, directory, name)) return;
    notes.addf("Trying: `%s'\n", path);
    Outcome<TgaImage> loaded = tgaLoad(path, 4);
    if (!loaded) return;
    pixels = std::move(loaded.value().pixels);
    width = loaded.value().width;
    height = loaded.value().height;
  };
  for (int i = 0; textureSearchPath[i] != nullptr && !pixels; ++i) tryPath(textureSearchPath[i]);
  // Then where the program's own files are, for an editor started elsewhere.
  for (const std::string& directory : dataDirectories()) {
    if (!pixels) tryPath(directory.c_str());
  }
  if (!pixels) {
    notes.addf("!! Couldn't load texture `%s'~\n", name);
    missing_.insert(name);
    return 0;
  }

  entries_.push_back(Entry{name, path, std::move(pixels), width, height, 0});
  Entry& entry = entries_.back();
  glGenTextures(1, &entry.texture);
  notes.addf("Created texture %u for %s\n", entry.texture, entry.name.c_str());
  glBindTexture(GL_TEXTURE_2D, entry.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS ? GL_REPEAT : GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT ? GL_REPEAT : GL_CLAMP);
  // TGA rows are tightly packed, whatever their length.
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const GLint result = gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, entry.width, entry.height, GL_RGBA,
                                         GL_UNSIGNED_BYTE, entry.pixels.get());
  glBindTexture(GL_TEXTURE_2D, entry.texture);
  const GLubyte* text = gluErrorString(static_cast<GLenum>(result));
  notes.addf("Build MipMap(%d %d) returns %d = %s (%d)\n", entry.width, entry.height, result,
             text != nullptr ? reinterpret_cast<const char*>(text) : "", result);
  return entry.texture;
}

void TextureCache::deleteTextures() {
  for (const Entry& entry : entries_) glDeleteTextures(1, &entry.texture);
  entries_.clear();
}
