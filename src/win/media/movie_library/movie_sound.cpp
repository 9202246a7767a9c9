#include "win/media/movie_library/movie_sound.h"

#include <mfapi.h>

#include <algorithm>
#include <cstring>

#include "win/media/movie_library/movie_library.h"

namespace glintora {
namespace {

constexpr DWORD kAudio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
constexpr DWORD kAllStreams = static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS);
// Blocks kept queued ahead of what is heard: a few hundred milliseconds of sound.
constexpr size_t kBlocksAhead = 8;
// A reader that keeps answering without sound (no sample, an empty or unreadable one) is
// given up after this many such answers for one block, as the video reader gives up.
constexpr int kEmptyReadLimit = 64;

// The sound's 16-bit blocks, read on the read-ahead thread.
class SoundSource : public CReadAhead<std::vector<char>>::Source {
 public:
  explicit SoundSource(ComPtr<IMFSourceReader> reader) : m_reader(std::move(reader)) {}
  bool Read(std::vector<char>& block) override {
    for (int answer = 0; answer < kEmptyReadLimit; ++answer) {
      DWORD flags = 0;
      LONGLONG time = 0;
      ComPtr<IMFSample> sample;
      if (FAILED(m_reader->ReadSample(kAudio, 0, nullptr, &flags, &time, sample.Put())) ||
          (flags & MF_SOURCE_READERF_ENDOFSTREAM)) {
        return false;
      }
      ComPtr<IMFMediaBuffer> buffer;
      BYTE* data = nullptr;
      DWORD length = 0;
      if (!sample || FAILED(sample->ConvertToContiguousBuffer(buffer.Put())) ||
          FAILED(buffer->Lock(&data, nullptr, &length))) {
        continue;
      }
      block.assign(reinterpret_cast<const char*>(data), reinterpret_cast<const char*>(data) + length);
      buffer->Unlock();
      if (!block.empty()) return true;
    }
    return false;  // nothing more is heard of this movie
  }
  void Seek(int64_t time) override {
    PROPVARIANT position;
    PropVariantInit(&position);
    position.vt = VT_I8;
    position.hVal.QuadPart = time;
    m_reader->SetCurrentPosition(GUID{}, position);
    PropVariantClear(&position);
  }

 private:
  ComPtr<IMFSourceReader> m_reader;
};

}  // namespace

bool CMovieSound::Open(const std::string& path) {
  Close();
  m_reader = OpenSourceReader(path, false);
  ComPtr<IMFMediaType> wanted;
  ComPtr<IMFMediaType> given;
  UINT32 channels = 0;
  UINT32 rate = 0;
  if (!m_reader || FAILED(m_reader->SetStreamSelection(kAllStreams, FALSE)) ||
      FAILED(m_reader->SetStreamSelection(kAudio, TRUE)) || FAILED(movie_library::CreateMediaType(wanted.Put()))) {
    Close();
    return false;
  }
  wanted->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
  wanted->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM);
  wanted->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
  if (FAILED(m_reader->SetCurrentMediaType(kAudio, nullptr, wanted.Get())) ||
      FAILED(m_reader->GetCurrentMediaType(kAudio, given.Put())) ||
      FAILED(given->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels)) ||
      FAILED(given->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate)) || channels == 0 || rate == 0) {
    Close();
    return false;
  }
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = static_cast<WORD>(channels);
  format.nSamplesPerSec = rate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(channels * 2);
  format.nAvgBytesPerSec = rate * format.nBlockAlign;
  if (waveOutOpen(&m_output, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
    m_output = nullptr;
    Close();
    return false;
  }
  waveOutPause(m_output);
  m_samples = std::make_unique<CReadAhead<std::vector<char>>>(std::make_unique<SoundSource>(std::move(m_reader)),
                                                              kBlocksAhead);
  return true;
}

void CMovieSound::Close() {
  if (m_output) {
    waveOutReset(m_output);
    Reclaim(true);
    waveOutClose(m_output);
    m_output = nullptr;
  }
  m_queued.clear();
  m_samples.reset();
  m_reader.Reset();
  m_atEnd = false;
  m_playing = false;
}

bool CMovieSound::CloseAndLetGo(DWORD limitMs) {
  const bool released = !m_samples || m_samples->StopAndWait(limitMs);
  Close();
  return released;
}

void CMovieSound::Play() {
  if (!m_output || m_playing) return;
  m_playing = true;
  Feed();
  waveOutRestart(m_output);
}

void CMovieSound::Pause() {
  if (!m_output || !m_playing) return;
  m_playing = false;
  waveOutPause(m_output);
}

void CMovieSound::Seek(int64_t time) {
  if (!m_output) return;
  waveOutReset(m_output);
  Reclaim(true);
  if (!m_playing) waveOutPause(m_output);
  if (m_samples) m_samples->Seek(time);
  m_atEnd = false;
}

void CMovieSound::SetMute(bool mute) {
  if (m_output) waveOutSetVolume(m_output, mute ? 0 : 0xFFFFFFFF);
}

void CMovieSound::Reclaim(bool all) {
  auto played = [&](const std::unique_ptr<Block>& block) {
    if (!all && !(block->header.dwFlags & WHDR_DONE)) return false;
    waveOutUnprepareHeader(m_output, &block->header, sizeof block->header);
    return true;
  };
  m_queued.erase(std::remove_if(m_queued.begin(), m_queued.end(), played), m_queued.end());
}

void CMovieSound::Feed() {
  if (!m_output || !m_samples) return;
  Reclaim(false);
  // Only what the read-ahead thread has ready: the reads that may block run there.
  while (!m_atEnd && m_queued.size() < kBlocksAhead) {
    auto block = std::make_unique<Block>();
    const auto next = m_samples->Take(block->data);
    if (next == CReadAhead<std::vector<char>>::Next::Pending) break;
    if (next == CReadAhead<std::vector<char>>::Next::End) {
      m_atEnd = true;
      break;
    }
    block->header.lpData = block->data.data();
    block->header.dwBufferLength = static_cast<DWORD>(block->data.size());
    if (waveOutPrepareHeader(m_output, &block->header, sizeof block->header) != MMSYSERR_NOERROR) break;
    if (waveOutWrite(m_output, &block->header, sizeof block->header) != MMSYSERR_NOERROR) {
      waveOutUnprepareHeader(m_output, &block->header, sizeof block->header);
      break;
    }
    m_queued.push_back(std::move(block));
  }
}

}  // namespace glintora
