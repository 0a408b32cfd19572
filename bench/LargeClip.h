#pragma once

// A large synthetic BVH clip for the benchmarks: a humanoid of 60 joints (six
// root channels, three per other joint, End Sites at every leaf) whose root
// walks a wide arc, written with four decimals per value so a frame line is
// about as long as a real capture's.

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

struct LargeClipInfo {
  int jointCount = 0;
  int channelTotal = 0;
  int frameCount = 0;
  long long bytes = 0;
};

namespace detail {

// One node in file order; depth gives the nesting, so writing needs no
// recursion. An empty name marks an End Site.
struct ClipNode {
  std::string name;
  int depth;
  double x, y, z;
};

// Appends a chain of joints, one below the other, closed by an End Site.
inline void addChain(std::vector<ClipNode>& nodes, int depth, const std::vector<std::string>& names,
                     double x, double y, double z) {
  for (const std::string& name : names) nodes.push_back({name, depth++, x, y, z});
  nodes.push_back({std::string(), depth, x, y, z});
}

inline std::vector<ClipNode> humanoid() {
  std::vector<ClipNode> nodes;
  nodes.push_back({"Hips", 0, 0.0, 0.0, 0.0});
  const char* spine[] = {"Spine", "Spine1", "Spine2", "Spine3", "Spine4", "Neck", "Neck1", "Head"};
  for (int i = 0; i < 8; ++i) nodes.push_back({spine[i], 1 + i, 0.0, 8.0, 0.0});
  addChain(nodes, 9, {"Jaw"}, 0.0, -2.0, 4.0);
  addChain(nodes, 9, {"LeftEye"}, 3.0, 4.0, 6.0);
  addChain(nodes, 9, {"RightEye"}, -3.0, 4.0, 6.0);
  const char* fingers[] = {"Thumb", "Index", "Middle", "Ring", "Pinky"};
  for (int side = 0; side < 2; ++side) {
    const std::string prefix = side == 0 ? "Left" : "Right";
    const double sign = side == 0 ? 1.0 : -1.0;
    // Arms hang from the fifth spine joint (depth 5), so they start at depth 6.
    nodes.push_back({prefix + "Shoulder", 6, sign * 4.0, 6.0, 0.0});
    nodes.push_back({prefix + "Arm", 7, sign * 14.0, 0.0, 0.0});
    nodes.push_back({prefix + "ForeArm", 8, sign * 28.0, 0.0, 0.0});
    nodes.push_back({prefix + "Hand", 9, sign * 25.0, 0.0, 0.0});
    for (int f = 0; f < 5; ++f) {
      const std::string finger = prefix + "Hand" + fingers[f];
      addChain(nodes, 10, {finger + "1", finger + "2", finger + "3"}, sign * 3.0, 0.0, 2.0 - f);
    }
  }
  for (int side = 0; side < 2; ++side) {
    const std::string prefix = side == 0 ? "Left" : "Right";
    const double sign = side == 0 ? 1.0 : -1.0;
    nodes.push_back({prefix + "UpLeg", 1, sign * 9.0, -4.0, 0.0});
    nodes.push_back({prefix + "Leg", 2, 0.0, -38.0, 0.0});
    nodes.push_back({prefix + "Foot", 3, 0.0, -37.0, 0.0});
    addChain(nodes, 4, {prefix + "ToeBase", prefix + "Toe"}, 0.0, -6.0, 6.0);
  }
  return nodes;
}

// Appends value with four decimals and a blank; a hand-made formatter, since
// printf-style formatting would make writing the clip take longer than the
// measurements themselves.
inline void appendNumber(std::string& line, double value) {
  long long scaled = std::llround(value * 10000.0);
  if (scaled < 0) {
    line += '-';
    scaled = -scaled;
  }
  char digits[24];
  int n = 0;
  long long whole = scaled / 10000;
  do {
    digits[n++] = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole != 0);
  while (n > 0) line += digits[--n];
  line += '.';
  const long long fraction = scaled % 10000;
  line += static_cast<char>('0' + fraction / 1000);
  line += static_cast<char>('0' + fraction / 100 % 10);
  line += static_cast<char>('0' + fraction / 10 % 10);
  line += static_cast<char>('0' + fraction % 10);
  line += ' ';
}

}  // namespace detail

// Writes the clip to fileName with frameCount frames. Returns false (with a
// message on standard error) when the file cannot be written.
inline bool writeLargeClip(const std::string& fileName, int frameCount, LargeClipInfo& info) {
  const std::vector<detail::ClipNode> nodes = detail::humanoid();
  std::FILE* file = std::fopen(fileName.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "cannot create %s\n", fileName.c_str());
    return false;
  }
  info = LargeClipInfo();
  std::fprintf(file, "HIERARCHY\n");
  for (size_t i = 0; i < nodes.size(); ++i) {
    const detail::ClipNode& node = nodes[i];
    const std::string indent(static_cast<size_t>(node.depth), '\t');
    if (node.name.empty()) {
      std::fprintf(file, "%sEnd Site\n", indent.c_str());
    } else {
      std::fprintf(file, "%s%s %s\n", indent.c_str(), node.depth == 0 ? "ROOT" : "JOINT",
                   node.name.c_str());
      ++info.jointCount;
    }
    std::fprintf(file, "%s{\n%s\tOFFSET %.2f %.2f %.2f\n", indent.c_str(), indent.c_str(), node.x,
                 node.y, node.z);
    if (node.depth == 0) {
      std::fprintf(file,
                   "\tCHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation "
                   "Yrotation\n");
      info.channelTotal += 6;
    } else if (!node.name.empty()) {
      std::fprintf(file, "%s\tCHANNELS 3 Zrotation Xrotation Yrotation\n", indent.c_str());
      info.channelTotal += 3;
    }
    const int nextDepth = i + 1 < nodes.size() ? nodes[i + 1].depth : 0;
    for (int depth = node.depth; depth >= nextDepth; --depth)
      std::fprintf(file, "%s}\n", std::string(static_cast<size_t>(depth), '\t').c_str());
  }
  std::fprintf(file, "MOTION\nFrames: %d\nFrame Time: 0.008333\n", frameCount);

  const double pi = 3.14159265358979323846;
  const int rotations = info.channelTotal - 3;
  std::string line;
  for (int frame = 0; frame < frameCount; ++frame) {
    line.clear();
    // Three quarters of a circle of radius 300 over the whole clip.
    const double along = 1.5 * pi * frame / frameCount;
    detail::appendNumber(line, 300.0 * std::cos(along));
    detail::appendNumber(line, 90.0 + 3.0 * std::sin(frame * 0.05));
    detail::appendNumber(line, 300.0 * std::sin(along));
    for (int c = 0; c < rotations; ++c) {
      const double amplitude = 5.0 + (c * 37 % 165);
      detail::appendNumber(line, amplitude * std::sin(frame * (0.01 + 0.001 * (c % 17)) + c));
    }
    line.back() = '\n';
    std::fwrite(line.data(), 1, line.size(), file);
  }
  info.frameCount = frameCount;
  info.bytes = std::ftell(file);
  const bool failed = std::ferror(file) != 0;
  if (std::fclose(file) != 0 || failed) {
    std::fprintf(stderr, "writing %s failed\n", fileName.c_str());
    return false;
  }
  return true;
}

// Copies the clip `from` to `to` with every line feed turned into a carriage
// return. False (with a message on standard error) when it cannot.
inline bool writeCarriageReturnTwin(const std::string& from, const std::string& to) {
  std::FILE* in = std::fopen(from.c_str(), "rb");
  std::FILE* out = in != nullptr ? std::fopen(to.c_str(), "wb") : nullptr;
  bool ok = out != nullptr;
  std::vector<char> block(size_t{1} << 20);
  while (ok) {
    const size_t got = std::fread(block.data(), 1, block.size(), in);
    if (got == 0) break;
    for (size_t i = 0; i < got; ++i) {
      if (block[i] == '\n') block[i] = '\r';
    }
    ok = std::fwrite(block.data(), 1, got, out) == got;
  }
  ok = ok && !std::ferror(in);
  if (in != nullptr) std::fclose(in);
  if (out != nullptr && std::fclose(out) != 0) ok = false;
  if (!ok) std::fprintf(stderr, "cannot write %s from %s\n", to.c_str(), from.c_str());
  return ok;
}

// Writes to `to` the clip `from` with its frame lines repeated, in order and
// over again, until there are frameCount of them (a real capture made as long
// as wanted). False (with a message on standard error) when it cannot.
inline bool writeRepeatedClip(const std::string& from, int frameCount, const std::string& to) {
  std::FILE* in = std::fopen(from.c_str(), "rb");
  if (in == nullptr) {
    std::fprintf(stderr, "cannot read %s\n", from.c_str());
    return false;
  }
  std::string text;
  std::vector<char> block(size_t{1} << 16);
  for (size_t got; (got = std::fread(block.data(), 1, block.size(), in)) > 0;) {
    text.append(block.data(), got);
  }
  std::fclose(in);
  // Header: everything up to the line after "Frame Time:"; frames: the rest.
  const size_t framesAt = text.find("Frames:");
  const size_t timeAt = text.find("Frame Time:", framesAt == std::string::npos ? 0 : framesAt);
  const size_t bodyAt = timeAt == std::string::npos ? timeAt : text.find('\n', timeAt);
  if (framesAt == std::string::npos || bodyAt == std::string::npos) {
    std::fprintf(stderr, "%s has no Frames: and Frame Time: lines\n", from.c_str());
    return false;
  }
  std::vector<std::string> lines;
  for (size_t at = bodyAt + 1; at < text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    if (end > at) lines.push_back(text.substr(at, end - at) + "\n");
    at = end + 1;
  }
  std::FILE* out = std::fopen(to.c_str(), "wb");
  bool ok = out != nullptr && !lines.empty();
  if (ok) {
    std::fputs(text.substr(0, framesAt).c_str(), out);
    std::fprintf(out, "Frames: %d\n%s", frameCount,
                 text.substr(timeAt, bodyAt + 1 - timeAt).c_str());
    for (int i = 0; i < frameCount && ok; ++i) {
      const std::string& line = lines[static_cast<size_t>(i) % lines.size()];
      ok = std::fwrite(line.data(), 1, line.size(), out) == line.size();
    }
  }
  if (out != nullptr && std::fclose(out) != 0) ok = false;
  if (!ok) std::fprintf(stderr, "cannot write %s\n", to.c_str());
  return ok;
}

}  // namespace bench
