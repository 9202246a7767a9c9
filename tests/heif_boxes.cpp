// Rewrites the boxes of a HEIF file that heif-enc wrote, for the HEIF loader's tests: heif-enc
// cannot write the transformations a camera may store, so they are added afterwards.
//   usage: heif_boxes turn IN OUT ROTATION [MIRROR]
// adds to the primary item a rotation property ('irot', ROTATION quarter turns
// anticlockwise, 0-3) and, when MIRROR is given, a mirror property ('imir', MIRROR 0 about a
// vertical axis, 1 about a horizontal one), applied in that order after the picture is
// decoded. The file's other boxes are kept byte for byte, but for the moved item locations.
//
// Every box: a 32-bit big-endian size (header included), then four characters of type; a
// "full box" then has an 8-bit version and 24 bits of flags. Those touched here:
//   meta  full box, its payload the boxes below
//   pitm  full box; item ID, 16 bits (version 0) or 32
//   iprp  its payload: ipco, then ipma
//   ipco  its payload: the property boxes, numbered from 1 in their order
//   ipma  full box; entry count (32 bits), then per entry: item ID (16 bits for version 0,
//         else 32), association count (8 bits), associations of 8 bits (flags bit 0 clear:
//         1 bit "essential" then a 7-bit property number) or 16 (flags bit 0 set: 1 + 15)
//   iloc  full box (versions 0 to 2); 4 bits offset size, 4 bits length size, 4 bits base
//         offset size, 4 bits index size (versions 1, 2; else reserved), all in bytes; item
//         count (16 bits, 32 for version 2); per item: item ID (16 bits, 32 for version
//         2), for versions 1 and 2 12 reserved bits and a 4-bit construction method (0: in
//         the file, 1: in the meta box's idat), data reference index (16 bits), base offset,
//         extent count (16 bits), per extent: extent index (versions 1, 2 with an index
//         size), extent offset, extent length
//   irot  a plain box of one byte: 6 reserved bits, then the 2-bit angle
//   imir  a plain box of one byte: 7 reserved bits, then the 1-bit axis

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

uint64_t Read(const Bytes& b, size_t at, int bytes) {
  if (at + bytes > b.size()) throw std::runtime_error("box cut short");
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | b[at + i];
  return v;
}

void Write(Bytes& b, size_t at, int bytes, uint64_t v) {
  for (int i = bytes - 1; i >= 0; --i, v >>= 8) b[at + i] = static_cast<uint8_t>(v);
}

void Append(Bytes& b, int bytes, uint64_t v) {
  b.resize(b.size() + bytes);
  Write(b, b.size() - bytes, bytes, v);
}

struct Box {
  std::string type;
  Bytes body;  // after the size and type
};

// The boxes of `bytes[from, to)`; 64-bit and to-the-end sizes are not written by heif-enc.
std::vector<Box> Split(const Bytes& bytes, size_t from, size_t to) {
  std::vector<Box> boxes;
  while (from < to) {
    const uint64_t size = Read(bytes, from, 4);
    if (size < 8 || from + size > to) throw std::runtime_error("bad box size");
    boxes.push_back({std::string(bytes.begin() + from + 4, bytes.begin() + from + 8),
                     Bytes(bytes.begin() + from + 8, bytes.begin() + from + size)});
    from += size;
  }
  return boxes;
}

Bytes Join(const std::vector<Box>& boxes, Bytes prefix = {}) {
  for (const Box& box : boxes) {
    Append(prefix, 4, box.body.size() + 8);
    prefix.insert(prefix.end(), box.type.begin(), box.type.end());
    prefix.insert(prefix.end(), box.body.begin(), box.body.end());
  }
  return prefix;
}

Box* Find(std::vector<Box>& boxes, const std::string& type) {
  for (Box& box : boxes) {
    if (box.type == type) return &box;
  }
  throw std::runtime_error("no " + type + " box");
}

// Adds `shift` to the file offsets of the items stored in the file (construction method 0):
// to their base offset when there is one, else to each extent's offset.
void ShiftLocations(Bytes& iloc, int64_t shift) {
  const int version = iloc[0];
  const int offsetSize = iloc[4] >> 4;
  const int lengthSize = iloc[4] & 15;
  const int baseSize = iloc[5] >> 4;
  const int indexSize = version > 0 ? iloc[5] & 15 : 0;
  const int idSize = version == 2 ? 4 : 2;
  size_t at = 6;
  const uint64_t items = Read(iloc, at, idSize);
  at += idSize;
  for (uint64_t i = 0; i < items; ++i) {
    at += idSize;
    int method = 0;
    if (version > 0) {
      method = static_cast<int>(Read(iloc, at, 2) & 15);
      at += 2;
    }
    at += 2;  // data reference index
    const size_t base = at;
    at += baseSize;
    const uint64_t extents = Read(iloc, at, 2);
    at += 2;
    if (method == 0 && baseSize > 0) Write(iloc, base, baseSize, Read(iloc, base, baseSize) + shift);
    for (uint64_t e = 0; e < extents; ++e) {
      at += indexSize;
      if (method == 0 && baseSize == 0) Write(iloc, at, offsetSize, Read(iloc, at, offsetSize) + shift);
      at += offsetSize + lengthSize;
    }
  }
}

// Adds properties to the primary item: `added` boxes appended to ipco, associated with the
// item as essential, in their order.
Bytes AddProperties(const Bytes& file, const std::vector<Box>& added) {
  std::vector<Box> top = Split(file, 0, file.size());
  Box& meta = *Find(top, "meta");
  std::vector<Box> inMeta = Split(meta.body, 4, meta.body.size());
  const Box& pitm = *Find(inMeta, "pitm");
  const uint64_t primary = Read(pitm.body, 4, pitm.body[0] == 0 ? 2 : 4);
  Box& iprp = *Find(inMeta, "iprp");
  std::vector<Box> inIprp = Split(iprp.body, 0, iprp.body.size());
  Box& ipco = *Find(inIprp, "ipco");
  std::vector<Box> properties = Split(ipco.body, 0, ipco.body.size());
  const size_t first = properties.size() + 1;
  properties.insert(properties.end(), added.begin(), added.end());
  ipco.body = Join(properties);

  Box& ipma = *Find(inIprp, "ipma");
  const Bytes& old = ipma.body;
  const int idSize = old[0] == 0 ? 2 : 4;
  const bool wide = old[3] & 1;
  if (!wide && first + added.size() > 127) throw std::runtime_error("property numbers need 15 bits");
  Bytes rewritten(old.begin(), old.begin() + 8);
  const uint64_t entries = Read(old, 4, 4);
  size_t at = 8;
  for (uint64_t e = 0; e < entries; ++e) {
    const uint64_t item = Read(old, at, idSize);
    const int count = old[at + idSize];
    const size_t length = idSize + 1 + static_cast<size_t>(count) * (wide ? 2 : 1);
    const size_t start = rewritten.size();
    rewritten.insert(rewritten.end(), old.begin() + at, old.begin() + at + length);
    if (item == primary) {
      rewritten[start + idSize] = static_cast<uint8_t>(count + added.size());
      for (size_t p = 0; p < added.size(); ++p) Append(rewritten, wide ? 2 : 1, (wide ? 0x8000 : 0x80) | (first + p));
    }
    at += length;
  }
  ipma.body = rewritten;
  iprp.body = Join(inIprp);

  // The meta box grew: whatever lies after it moves by as much.
  const Bytes metaHead(meta.body.begin(), meta.body.begin() + 4);
  const size_t oldSize = meta.body.size();
  meta.body = Join(inMeta, metaHead);
  ShiftLocations(Find(inMeta, "iloc")->body, static_cast<int64_t>(meta.body.size() - oldSize));
  meta.body = Join(inMeta, metaHead);
  return Join(top);
}

Bytes Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void Save(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 4 && args.size() <= 5 && args[0] == "turn") {
      std::vector<Box> added = {{"irot", {static_cast<uint8_t>(std::stoi(args[3]) & 3)}}};
      if (args.size() == 5) added.push_back({"imir", {static_cast<uint8_t>(std::stoi(args[4]) & 1)}});
      Save(args[2], AddProperties(Load(args[1]), added));
      return 0;
    }
    std::fprintf(stderr, "usage: heif_boxes turn IN OUT ROTATION [MIRROR]\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "heif_boxes: %s\n", e.what());
  }
  return 1;
}
