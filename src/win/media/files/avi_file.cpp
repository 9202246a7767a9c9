#include "win/media/files/avi_file.h"

#include <windows.h>
// The AVI file functions need the base types first.
#include <vfw.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/base/byte_order.h"
#include "core/media/player_arithmetic.h"
#include "win/platform/com_ptr.h"

namespace glintora {
namespace {

// The most bytes one read of samples may take: a frame of 8192 × 8192 pixels at 32 bits. A
// size query that answers more is taken for a damaged file rather than allocated.
constexpr LONG kMaxReadBytes = 256 << 20;

// The AVI file library for the life of the object.
class AviLibrary {
 public:
  AviLibrary() { AVIFileInit(); }
  ~AviLibrary() { AVIFileExit(); }
  AviLibrary(const AviLibrary&) = delete;
  AviLibrary& operator=(const AviLibrary&) = delete;
};

using SampleSpan = StreamSamples;

// The video span covering frames [first, last): from the key frame at or before `first` to the
// key frame at or after `last`, or to the stream's end when none follows.
SampleSpan KeyFrameSpan(IAVIStream* video, int first, int last) {
  const LONG streamStart = AVIStreamStart(video);
  const LONG streamLength = AVIStreamLength(video);
  const LONG keyBefore = AVIStreamFindSample(video, first, FIND_PREV | FIND_KEY);
  const LONG keyAfter = last >= int64_t{streamStart} + streamLength
                            ? -1
                            : AVIStreamFindSample(video, last, FIND_NEXT | FIND_KEY);
  return KeyFrameSamples(streamStart, streamLength, keyBefore, keyAfter);
}

// The audio samples playing over the video samples of `span`, within the sound's own samples
// (empty where the sound has ended). False when the times do not convert: the sound could not
// be placed, and a copy would lose it.
bool AudioSpanOver(IAVIStream* audio, IAVIStream* video, const SampleSpan& span, SampleSpan& audioSpan) {
  const int64_t soundStart = AVIStreamStart(audio);
  const int64_t soundEnd = soundStart + AVIStreamLength(audio);
  const LONG fromTime = AVIStreamSampleToTime(video, span.start);
  const LONG toTime = AVIStreamSampleToTime(video, span.start + span.length);
  if (soundStart < 0 || soundEnd < soundStart || soundEnd > INT32_MAX || fromTime < 0 || toTime < fromTime ||
      AVIStreamSampleToTime(audio, static_cast<LONG>(soundEnd)) < 0) {
    return false;
  }
  const LONG from = AVIStreamTimeToSample(audio, fromTime);
  const LONG to = AVIStreamTimeToSample(audio, toTime);
  if (from < 0 || to < from) return false;
  const int64_t start = std::clamp<int64_t>(from, soundStart, soundEnd);
  const int64_t end = std::clamp<int64_t>(to, soundStart, soundEnd);
  audioSpan = {static_cast<int32_t>(start), static_cast<int32_t>(end - start)};
  return true;
}

// Lets go of a new AVI file, which writes its headers and index out only when its last
// reference goes, and reports nothing of it: false when another reference kept it open.
// Whether the writing went well is for reading the file back to tell.
bool CloseAviFile(ComPtr<IAVIFile>& file) {
  IAVIFile* closing = file.Get();
  closing->AddRef();
  file.Reset();
  return closing->Release() == 0;
}

// Whether the file holds every byte its RIFF header claims (the AVI file functions may leave
// some zero bytes after them).
bool HoldsWholeRiff(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // Bytes 0-3: "RIFF"; 4-7: the size of what follows; 8-11: "AVI ".
  uint8_t head[12] = {};
  DWORD got = 0;
  LARGE_INTEGER size{};
  const bool read = ReadFile(file, head, sizeof head, &got, nullptr) && got == sizeof head && GetFileSizeEx(file, &size);
  CloseHandle(file);
  const uint64_t claimed = LoadLittleEndian32(head + 4);
  return read && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "AVI ", 4) == 0 &&
         claimed + 8 <= static_cast<uint64_t>(size.QuadPart);
}

// Copies the samples of `span` from `source` into a new stream of `target` that starts at 0,
// with the source's format and each sample's key-frame mark. `samplesPerRead` samples go at
// a time (one frame for video, a block for audio).
bool CopySpan(IAVIStream* source, const SampleSpan& span, IAVIFile* target, LONG samplesPerRead) {
  AVISTREAMINFOA info{};
  if (AVIStreamInfoA(source, &info, sizeof info) != 0) return false;
  info.dwStart = 0;
  info.dwLength = 0;
  ComPtr<IAVIStream> copy;
  if (AVIFileCreateStreamA(target, copy.Put(), &info) != 0 || !copy) return false;
  LONG formatSize = 0;
  if (AVIStreamReadFormat(source, span.start, nullptr, &formatSize) != 0 || formatSize <= 0) return false;
  std::vector<uint8_t> format(static_cast<size_t>(formatSize));
  if (AVIStreamReadFormat(source, span.start, format.data(), &formatSize) != 0 ||
      AVIStreamSetFormat(copy.Get(), 0, format.data(), formatSize) != 0) {
    return false;
  }
  // Every span starts at 0 or later and ends at a LONG (KeyFrameSamples, AudioSpanOver), so
  // `at` stays in range while each read advances by no more samples than it asked for.
  std::vector<uint8_t> buffer;
  const LONG end = span.start + span.length;
  for (LONG at = span.start; at < end;) {
    const LONG count = std::min(samplesPerRead, end - at);
    LONG bytes = 0;
    LONG samples = 0;
    if (AVIStreamRead(source, at, count, nullptr, 0, &bytes, &samples) != 0 ||
        !ReadWithinRequest(count, kMaxReadBytes, samples, bytes)) {
      return false;
    }
    // The buffer is what this read asks to be filled; the answer must fit inside it.
    buffer.resize(static_cast<size_t>(bytes));
    const LONG bufferBytes = bytes;
    if (AVIStreamRead(source, at, count, buffer.data(), bufferBytes, &bytes, &samples) != 0 ||
        !ReadWithinRequest(count, bufferBytes, samples, bytes)) {
      return false;
    }
    const DWORD flags = AVIStreamIsKeyFrame(source, at) ? AVIIF_KEYFRAME : 0;
    if (AVIStreamWrite(copy.Get(), at - span.start, samples, buffer.data(), bytes, flags, nullptr, nullptr) != 0) {
      return false;
    }
    at += samples;
  }
  return true;
}

}  // namespace

bool AviVideoSize(const std::string& path, int& width, int& height) {
  const AviLibrary library;
  ComPtr<IAVIFile> file;
  if (AVIFileOpenA(file.Put(), path.c_str(), OF_READ | OF_SHARE_DENY_WRITE, nullptr) != 0 || !file) return false;
  ComPtr<IAVIStream> video;
  if (AVIFileGetStream(file.Get(), video.Put(), streamtypeVIDEO, 0) != 0 || !video) return false;
  // The file's own information first; some systems leave its size 0, and then the video
  // stream's frame rectangle or picture format tells it.
  AVIFILEINFOA info{};
  if (AVIFileInfoA(file.Get(), &info, sizeof info) == 0 && info.dwWidth > 0 && info.dwHeight > 0) {
    width = static_cast<int>(info.dwWidth);
    height = static_cast<int>(info.dwHeight);
    return true;
  }
  AVISTREAMINFOA stream{};
  if (AVIStreamInfoA(video.Get(), &stream, sizeof stream) == 0 && stream.rcFrame.right > stream.rcFrame.left &&
      stream.rcFrame.bottom > stream.rcFrame.top) {
    width = stream.rcFrame.right - stream.rcFrame.left;
    height = stream.rcFrame.bottom - stream.rcFrame.top;
    return true;
  }
  BITMAPINFOHEADER format{};
  LONG formatSize = sizeof format;
  if (AVIStreamReadFormat(video.Get(), AVIStreamStart(video.Get()), &format, &formatSize) == 0 &&
      formatSize >= static_cast<LONG>(sizeof format) && format.biWidth > 0 && format.biHeight != 0 &&
      format.biHeight != INT32_MIN) {
    width = format.biWidth;
    height = format.biHeight < 0 ? -format.biHeight : format.biHeight;
    return true;
  }
  return false;
}

bool AviHoldsCopy(const std::string& path, int32_t videoSamples, int32_t audioSamples) {
  if (!HoldsWholeRiff(path)) return false;
  const AviLibrary library;
  ComPtr<IAVIFile> file;
  ComPtr<IAVIStream> video;
  ComPtr<IAVIStream> audio;
  if (AVIFileOpenA(file.Put(), path.c_str(), OF_READ | OF_SHARE_DENY_WRITE, nullptr) != 0 || !file ||
      AVIFileGetStream(file.Get(), video.Put(), streamtypeVIDEO, 0) != 0 || !video ||
      AVIStreamStart(video.Get()) != 0 || AVIStreamLength(video.Get()) != videoSamples) {
    return false;
  }
  const HRESULT sound = AVIFileGetStream(file.Get(), audio.Put(), streamtypeAUDIO, 0);
  if (audioSamples <= 0) return sound == AVIERR_NODATA;
  return sound == 0 && audio && AVIStreamStart(audio.Get()) == 0 && AVIStreamLength(audio.Get()) == audioSamples;
}

bool CopyAviSelection(const std::string& source, const std::string& target, int first, int last) {
  const AviLibrary library;
  ComPtr<IAVIFile> file;
  ComPtr<IAVIStream> video;
  ComPtr<IAVIStream> audio;
  if (AVIFileOpenA(file.Put(), source.c_str(), OF_READ | OF_SHARE_DENY_WRITE, nullptr) != 0 || !file ||
      AVIFileGetStream(file.Get(), video.Put(), streamtypeVIDEO, 0) != 0 || !video) {
    return false;
  }
  // A sound stream that is there but does not open would be lost.
  const HRESULT sound = AVIFileGetStream(file.Get(), audio.Put(), streamtypeAUDIO, 0);
  if (sound != AVIERR_NODATA && (sound != 0 || !audio)) return false;
  const SampleSpan videoSpan = KeyFrameSpan(video.Get(), first, last);
  if (videoSpan.length <= 0) return false;
  SampleSpan audioSpan;
  if (audio && !AudioSpanOver(audio.Get(), video.Get(), videoSpan, audioSpan)) return false;

  // The streams are copied sample by sample into a file of our own; the edit-stream
  // functions lose the samples under some systems.
  ComPtr<IAVIFile> copy;
  if (AVIFileOpenA(copy.Put(), target.c_str(), OF_CREATE | OF_WRITE | OF_SHARE_EXCLUSIVE, nullptr) != 0 || !copy ||
      !CopySpan(video.Get(), videoSpan, copy.Get(), 1) ||
      (audioSpan.length > 0 && !CopySpan(audio.Get(), audioSpan, copy.Get(), 4096)) || !CloseAviFile(copy)) {
    return false;
  }
  return AviHoldsCopy(target, videoSpan.length, audioSpan.length);
}

}  // namespace glintora
