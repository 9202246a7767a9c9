#include "avi_writer.h"

#include "fixtures.h"

namespace glintora::testing {
namespace {

void PutCode(std::vector<uint8_t>& out, const char (&code)[5]) {
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
  const uint32_t soundRate = static_cast<uint32_t>(recipe.soundRate);
  const uint32_t soundSamples = soundRate / fps * frames;
  std::vector<uint8_t> out;
  out.reserve(frameBytes * frames + 4096);

  const size_t riff = OpenList(out, "RIFF", "AVI ");
  const size_t hdrl = OpenList(out, "LIST", "hdrl");
  const size_t avih = Open(out, "avih");
  Put32(out, 1000000 / fps);
  Put32(out, frameBytes * fps);
  Put32(out, 0);
  Put32(out, 0x10);  // has an index
  Put32(out, frames);
  Put32(out, 0);
  Put32(out, soundRate > 0 ? 2 : 1);
  Put32(out, frameBytes);
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
  if (soundRate > 0) {
    const size_t soundList = OpenList(out, "LIST", "strl");
    const size_t soundHeader = Open(out, "strh");
    PutCode(out, "auds");
    for (uint32_t v : {0u, 0u, 0u, 0u, 1u, soundRate, 0u, soundSamples, soundSamples * 2, 0xFFFFFFFFu, 2u, 0u, 0u}) {
      Put32(out, v);
    }
    Close(out, soundHeader);
    const size_t soundFormat = Open(out, "strf");
    const uint32_t claimedRate = recipe.soundTimeless ? 0 : soundRate;
    Put32(out, 0x00010001);  // PCM, one channel
    Put32(out, claimedRate);
    Put32(out, claimedRate * 2);
    Put32(out, 0x00100002);  // 2 bytes a sample, 16 bits
    Put16(out, 0);
    Close(out, soundFormat);
    Close(out, soundList);
  }
  Close(out, hdrl);

  const size_t movi = OpenList(out, "LIST", "movi");
  const size_t moviType = movi + 4;  // the index counts from the 'movi' code
  std::vector<uint32_t> offsets;
  for (int f = 0; f < recipe.frames; ++f) {
    offsets.push_back(static_cast<uint32_t>(out.size() - moviType));
    const size_t chunk = Open(out, "00db");
    for (int y = recipe.height - 1; y >= 0; --y) {
      for (int x = 0; x < recipe.width; ++x) {
        const uint32_t rgb = recipe.pixel ? recipe.pixel(f, x, y) : 0;
        out.push_back(static_cast<uint8_t>(rgb));
        out.push_back(static_cast<uint8_t>(rgb >> 8));
        out.push_back(static_cast<uint8_t>(rgb >> 16));
        out.push_back(0);
      }
    }
    Close(out, chunk);
  }
  const uint32_t soundAt = static_cast<uint32_t>(out.size() - moviType);
  if (soundRate > 0) {
    const size_t chunk = Open(out, "01wb");
    for (uint32_t i = 0; i < soundSamples * 2; ++i) out.push_back(static_cast<uint8_t>(i));
    Close(out, chunk);
  }
  Close(out, movi);

  const size_t idx1 = Open(out, "idx1");
  for (uint32_t offset : offsets) {
    PutCode(out, "00db");
    Put32(out, 0x10);  // key frame
    Put32(out, offset);
    Put32(out, frameBytes);
  }
  if (soundRate > 0) {
    PutCode(out, "01wb");
    Put32(out, 0x10);
    Put32(out, soundAt);
    Put32(out, soundSamples * 2);
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
