#pragma once

#include <GL/gl.h>

#include <set>
#include <string>
#include <vector>

#include "base/Outcome.h"
#include "image/Tga.h"

// The directories searched, in order; the entry after the last is null.
extern const char* const textureSearchPath[];

// Texture objects by name, loaded on first use from "<directory>/<name>.tga"
// along textureSearchPath and kept until release or the cache's end. One
// cache belongs to one GL context (the view's); nothing is shared between
// caches.
class TextureCache {
 public:
  TextureCache() = default;
  TextureCache(const TextureCache&) = delete;
  TextureCache& operator=(const TextureCache&) = delete;
  // Forgets the textures without a GL call: delete them first while their
  // context is current (deleteTextures), or let the context take them.
  ~TextureCache() = default;

  // Binds the texture called name to GL_TEXTURE_2D and returns its texture
  // object. The first request for a name searches textureSearchPath and then
  // the program's data directories (dataDirectories(): beside the
  // executable, the install folder), noting "Trying: `<path>'" per candidate,
  // loads the first file that reads as a TGA image, creates the texture with
  // a full mipmap chain, wrapping in s and t as wrapS and wrapT say (repeat,
  // else clamp), and notes what it did ("Created texture ...", "Build
  // MipMap(...) returns ..."); later requests only bind it, whatever their
  // wrap flags. When no directory gives a readable file it notes "!! Couldn't
  // load texture `<name>'~", binds nothing and returns 0; later requests for
  // that name return 0 at once, silently, until retryMissing. Candidates
  // longer than the 199 characters a path may have are skipped. Needs the
  // cache's GL context current.
  GLuint fetch(const char* name, bool wrapS, bool wrapT, Notes& notes);

  // Lets every name that was not found be searched (and noted) again on its
  // next request; the view calls it when a clip is loaded.
  void retryMissing() { missing_.clear(); }

  // Deletes every texture made so far; needs the cache's GL context current.
  void deleteTextures();
  // Forgets every texture without a GL call, for a context that is gone
  // (and took its textures with it): each is made anew on its next request.
  void forgetTextures() { entries_.clear(); }

 private:
  // One texture that loaded, with its pixels.
  struct Entry {
    std::string name;
    std::string path;
    TgaBlock pixels;
    int width = 0;
    int height = 0;
    GLuint texture = 0;
  };
  std::vector<Entry> entries_;
  // Names searched for in vain; not searched again until retryMissing, so
  // that a missing texture costs one report, not ten lines per redraw.
  std::set<std::string> missing_;
};
