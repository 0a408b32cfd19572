#pragma once

#include <GL/gl.h>

// Texture objects by name, loaded on first use from "<directory>/<name>.tga"
// along textureSearchPath and kept for the life of the program.

// The directories searched, in order; the entry after the last is null.
extern const char* const textureSearchPath[];

// Binds the texture called name to GL_TEXTURE_2D and returns its texture
// object. The first request for a name searches textureSearchPath and then
// the program's data directories (dataDirectories(): beside the executable,
// the install folder), printing "Trying: `<path>'" per candidate, loads the
// first file that reads as a TGA image, creates the texture with a full mipmap chain, wrapping in s and t as
// wrapS and wrapT say (repeat, else clamp), and prints what it did; later
// requests only bind it, whatever their wrap flags. When no directory gives a
// readable file it prints "!! Couldn't load texture `<name>'~", binds nothing
// and returns 0; later requests for that name return 0 at once, silently,
// until retryMissingTextures is called. Candidates longer than the
// 199 characters a path may have are skipped. Needs the program's one GL
// context current.
GLuint fetchTexture(const char* name, bool wrapS, bool wrapT);

// Lets every name that was not found be searched (and reported) again on its
// next request; the view calls it when a clip is loaded.
void retryMissingTextures();
