#pragma once

#include <memory>
#include <string>

#include "path/ClipPath.h"

// The kinds of path a clip can be edited along, in the order the editor
// steps through them; the first is the one shown at start. Kinds are known
// by their index here and their key().
int pathKindCount();
// A new, unfitted path of kind (0 .. pathKindCount() - 1); null for any
// other index.
std::unique_ptr<ClipPath> makePath(int kind);
// The kind whose key() is key, or -1.
int pathKindOf(const std::string& key);
