#include "avi_writer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "fixtures.h"

namespace glintora::testing {
namespace {

// Appends a four-character code.
void PutCode(std::vector<uint8_t>& out, const char* code) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(code[i]));
}
void Patch32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Opens a chunk (or a LIST/RIFF with its type) and returns where its size goes.
size_t Open(std::vector<uint8_t>& out, const char (&code)[5]) {
  PutCode(out, code);
  Put32(out, 0);
  return out.size() - 4;
}
size_t OpenList(std::vector<uint8_t>& out, const char (&code)[5], const char (&type)[5]) {
  const size_t size = Open(out, code);
  PutCode(out, type);
  return size;
}
void Close(std::vector<uint8_t>& out, size_t sizeAt) {
  Patch32(out, sizeAt, static_cast<uint32_t>(out.size() - sizeAt - 4));
  if (out.size() % 2) out.push_back(0);
}

}  // namespace

std::vector<uint8_t> EncodeAvi(const AviRecipe& recipe) {
  const uint32_t frameBytes = static_cast<uint32_t>(recipe.width) * static_cast<uint32_t>(recipe.height) * 4;
  const uint32_t fps = static_cast<uint32_t>(recipe.framesPerSecond);
  const uint32_t frames = static_cast<uint32_t>(recipe.frames);
  const AviSound& sound = recipe.sound;
  const bool hasSound = sound.samplesPerSecond > 0;
  const uint32_t rate = hasSound ? static_cast<uint32_t>(sound.samplesPerSecond) : 0;
  const uint32_t blockBytes = hasSound ? static_cast<uint32_t>(sound.channels) * 2 : 0;
  const uint32_t claimedRate = sound.claimsNoRate ? 0 : rate;
  // Sample blocks before frame `f`: each frame's chunk holds the sound of its own time.
  auto blocksBefore = [&](uint32_t f) { return static_cast<uint32_t>(uint64_t{f} * rate / fps); };
  const uint32_t soundChunkBytes = (rate + fps - 1) / fps * blockBytes;  // the largest
  std::vector<uint8_t> out;
  out.reserve((frameBytes + soundChunkBytes) * frames + 4096);

  const size_t riff = OpenList(out, "RIFF", "AVI ");
  const size_t hdrl = OpenList(out, "LIST", "hdrl");
  const size_t avih = Open(out, "avih");
  Put32(out, 1000000 / fps);
  Put32(out, frameBytes * fps + rate * blockBytes);
  Put32(out, 0);
  Put32(out, hasSound ? 0x110 : 0x10);  // has an index [, interleaved]
  Put32(out, frames);
  Put32(out, 0);
  Put32(out, hasSound ? 2 : 1);
  Put32(out, std::max(frameBytes, soundChunkBytes));
  Put32(out, static_cast<uint32_t>(recipe.width));
  Put32(out, static_cast<uint32_t>(recipe.height));
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  Close(out, avih);

  const size_t strl = OpenList(out, "LIST", "strl");
  const size_t strh = Open(out, "strh");
  PutCode(out, "vids");
  PutCode(out, "DIB ");
  Put32(out, 0);
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, 0);
  Put32(out, 1);
  Put32(out, fps);
  Put32(out, 0);
  Put32(out, frames);
  Put32(out, frameBytes);
  Put32(out, 0xFFFFFFFF);
  Put32(out, frameBytes);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<uint32_t>(recipe.width));
  Put16(out, static_cast<uint32_t>(recipe.height));
  Close(out, strh);
  const size_t strf = Open(out, "strf");
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(recipe.width));
  Put32(out, static_cast<uint32_t>(recipe.height));
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);
  Put32(out, frameBytes);
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  Close(out, strf);
  Close(out, strl);

  if (hasSound) {
    const size_t soundStrl = OpenList(out, "LIST", "strl");
    const size_t soundStrh = Open(out, "strh");
    PutCode(out, "auds");
    Put32(out, 0);
    Put32(out, 0);
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, 0);
    Put32(out, blockBytes);
    Put32(out, claimedRate * blockBytes);
    Put32(out, 0);
    Put32(out, blocksBefore(frames));
    Put32(out, soundChunkBytes);
    Put32(out, 0xFFFFFFFF);
    Put32(out, blockBytes);
    for (int i = 0; i < 4; ++i) Put16(out, 0);
    Close(out, soundStrh);
    const size_t soundStrf = Open(out, "strf");
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(sound.channels));
    Put32(out, claimedRate);
    Put32(out, claimedRate * blockBytes);
    Put16(out, blockBytes);
    Put16(out, 16);
    Put16(out, 0);
    Close(out, soundStrf);
    Close(out, soundStrl);
  }
  Close(out, hdrl);

  struct IndexEntry {
    const char* code;
    uint32_t offset;
    uint32_t bytes;
  };
  std::vector<IndexEntry> index;
  const size_t movi = OpenList(out, "LIST", "movi");
  const size_t moviType = movi + 4;  // the index counts from the 'movi' code
  for (uint32_t f = 0; f < frames; ++f) {
    index.push_back({"00db", static_cast<uint32_t>(out.size() - moviType), frameBytes});
    const size_t chunk = Open(out, "00db");
    for (int y = recipe.height - 1; y >= 0; --y) {
      for (int x = 0; x < recipe.width; ++x) {
        const uint32_t rgb = recipe.pixel ? recipe.pixel(static_cast<int>(f), x, y) : 0;
        out.push_back(static_cast<uint8_t>(rgb));
        out.push_back(static_cast<uint8_t>(rgb >> 8));
        out.push_back(static_cast<uint8_t>(rgb >> 16));
        out.push_back(0);
      }
    }
    Close(out, chunk);
    const uint32_t first = blocksBefore(f);
    const uint32_t end = hasSound ? blocksBefore(f + 1) : first;
    if (end == first) continue;
    index.push_back({"01wb", static_cast<uint32_t>(out.size() - moviType), (end - first) * blockBytes});
    const size_t soundChunk = Open(out, "01wb");
    for (uint32_t n = first; n < end; ++n) {
      const double phase = 2 * std::numbers::pi * sound.toneHz * (static_cast<double>(n) / rate);
      const auto value = static_cast<int16_t>(std::lround(16383.0 * std::sin(phase)));
      for (int c = 0; c < sound.channels; ++c) Put16(out, static_cast<uint16_t>(value));
    }
    Close(out, soundChunk);
  }
  Close(out, movi);

  const size_t idx1 = Open(out, "idx1");
  for (const IndexEntry& entry : index) {
    PutCode(out, entry.code);
    Put32(out, 0x10);  // key frame
    Put32(out, entry.offset);
    Put32(out, entry.bytes);
  }
  Close(out, idx1);
  Close(out, riff);
  return out;
}

AviRecipe SolidAvi(int width, int height, int framesPerSecond, int frames, uint32_t rgb) {
  AviRecipe recipe{width, height, framesPerSecond, frames, {}};
  recipe.pixel = [rgb](int, int, int) { return rgb; };
  return recipe;
}

}  // namespace glintora::testing
