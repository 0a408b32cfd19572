#include "path/PathKinds.h"

#include <iterator>

#include "path/LoopPath.h"
#include "path/TrackPath.h"

namespace {

template <typename Kind>
std::unique_ptr<ClipPath> make() {
  return std::make_unique<Kind>();
}

using Maker = std::unique_ptr<ClipPath> (*)();

// Every kind, one line each.
const Maker kKinds[] = {
    make<LoopPath>,
    make<TrackPath>,
};

}  // namespace

int pathKindCount() { return static_cast<int>(std::size(kKinds)); }

std::unique_ptr<ClipPath> makePath(int kind) {
  if (kind < 0 || kind >= pathKindCount()) return nullptr;
  return kKinds[kind]();
}

int pathKindOf(const std::string& key) {
  for (int kind = 0; kind < pathKindCount(); ++kind) {
    if (key == makePath(kind)->key()) return kind;
  }
  return -1;
}
