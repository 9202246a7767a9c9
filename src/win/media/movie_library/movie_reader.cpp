#include "win/media/movie_library/movie_reader.h"

#include <mfapi.h>
#include <mferror.h>
#include <propidl.h>

#include <memory>
#include <utility>

#include "win/framework/worker_thread.h"
#include "win/media/directshow/directshow_engine.h"
#include "win/media/files/movie_file_probe.h"
#include "win/media/movie_library/movie_library.h"

namespace glintora {
namespace {

constexpr DWORD kVideo = static_cast<DWORD>(MF_SOURCE_READER_FIRST_VIDEO_STREAM);
constexpr DWORD kAudio = static_cast<DWORD>(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
constexpr DWORD kAllStreams = static_cast<DWORD>(MF_SOURCE_READER_ALL_STREAMS);
// An opening that has not come back after this long is given up.
constexpr DWORD kOpenLimitMs = 5000;
// A reader that keeps answering without a sample is given up after this many answers.
constexpr int kEmptyReadLimit = 64;

bool HasStream(IMFSourceReader* reader, DWORD stream) {
  ComPtr<IMFMediaType> type;
  return SUCCEEDED(reader->GetNativeMediaType(stream, 0, type.Put()));
}

}  // namespace

namespace {

// One opening of a source reader on a thread of its own, shared with that thread: when the
// opening is given up, the thread frees it once the system's call comes back.
struct Opening {
  // First in, last out: a reader made by a given-up opening is released before the mark
  // goes, so the library is not unloaded under that release.
  LibraryCallInFlight inFlight;
  std::wstring url;
  bool convertVideo = false;
  ComPtr<IMFSourceReader> reader;  // the thread's until `done` is set
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);

  Opening(std::wstring file, bool convert) : url(std::move(file)), convertVideo(convert) {}
  ~Opening() {
    if (done) CloseHandle(done);
  }
  Opening(const Opening&) = delete;
  Opening& operator=(const Opening&) = delete;

  void Run() {
    ComPtr<IMFAttributes> attributes;
    if (convertVideo && SUCCEEDED(movie_library::CreateAttributes(attributes.Put(), 1))) {
      attributes->SetUINT32(MF_SOURCE_READER_ENABLE_VIDEO_PROCESSING, TRUE);
    }
    if (FAILED(movie_library::CreateSourceReader(url.c_str(), attributes.Get(), reader.Put()))) reader.Reset();
    SetEvent(done);
  }
};

}  // namespace

ComPtr<IMFSourceReader> OpenSourceReader(const std::string& path, bool convertVideo) {
  const std::wstring url = WidePath(path);  // empty for a path beyond the limit: refused
  if (url.empty() || !FileCouldBeQuickTimeMovie(path)) return {};
  // Opened on a thread of its own: a file that the system's media support cannot make sense
  // of may never come back from the opening (seen under Wine), and a movie must never hold
  // the show. Such an opening is given up, and its thread left to itself.
  auto opening = std::make_shared<Opening>(url, convertVideo);
  if (!opening->done || !CWorkerThread::RunDetached([opening]() mutable {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        opening->Run();
        opening.reset();  // a given-up opening goes here, its reader with it, before the apartment
        if (SUCCEEDED(com)) CoUninitialize();
        return 0u;
      })) {
    return {};
  }
  if (WaitForSingleObject(opening->done, kOpenLimitMs) != WAIT_OBJECT_0) return {};
  return std::move(opening->reader);
}

bool CMovieReader::Open(const std::string& path) {
  Close();
  m_reader = OpenSourceReader(path, true);
  if (!m_reader || !HasStream(m_reader.Get(), kVideo)) {
    Close();
    return false;
  }
  m_hasAudio = HasStream(m_reader.Get(), kAudio);
  m_reader->SetStreamSelection(kAllStreams, FALSE);
  m_reader->SetStreamSelection(kVideo, TRUE);
  // Colour straight from the reader where it converts; otherwise the decoders' own layout.
  if (!UseOutput(MFVideoFormat_RGB32) && !UseOutput(MFVideoFormat_NV12)) {
    Close();
    return false;
  }
  PROPVARIANT duration;
  PropVariantInit(&duration);
  if (SUCCEEDED(m_reader->GetPresentationAttribute(static_cast<DWORD>(MF_SOURCE_READER_MEDIASOURCE), MF_PD_DURATION,
                                                   &duration)) &&
      duration.vt == VT_UI8) {
    m_duration = static_cast<int64_t>(duration.uhVal.QuadPart);
  }
  PropVariantClear(&duration);
  m_path = path;
  return true;
}

void CMovieReader::Close() {
  m_reader.Reset();
  m_path.clear();
  m_width = m_height = m_stride = 0;
  m_turn = 0;
  m_duration = 0;
  m_hasAudio = false;
}

bool CMovieReader::UseOutput(const GUID& subtype) {
  ComPtr<IMFMediaType> type;
  if (FAILED(movie_library::CreateMediaType(type.Put()))) return false;
  type->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video);
  type->SetGUID(MF_MT_SUBTYPE, subtype);
  if (FAILED(m_reader->SetCurrentMediaType(kVideo, nullptr, type.Get()))) return false;
  return ReadLayout();
}

bool CMovieReader::ReadLayout() {
  ComPtr<IMFMediaType> type;
  GUID subtype{};
  UINT64 size = 0;
  if (FAILED(m_reader->GetCurrentMediaType(kVideo, type.Put())) || FAILED(type->GetGUID(MF_MT_SUBTYPE, &subtype)) ||
      FAILED(type->GetUINT64(MF_MT_FRAME_SIZE, &size))) {
    return false;
  }
  if (subtype == MFVideoFormat_RGB32) {
    m_layout = ReaderPixelLayout::Rgb32;
  } else if (subtype == MFVideoFormat_NV12) {
    m_layout = ReaderPixelLayout::Nv12;
  } else {
    return false;
  }
  m_width = static_cast<int>(size >> 32);
  m_height = static_cast<int>(size & 0xFFFFFFFFu);
  // Decoders pad frames to their block size; the picture is the area they name, at the top
  // left (the rows below it are left out, the padded plane is still read whole).
  MFVideoArea area{};
  UINT32 areaSize = 0;
  if (SUCCEEDED(type->GetBlob(MF_MT_MINIMUM_DISPLAY_APERTURE, reinterpret_cast<UINT8*>(&area), sizeof area,
                              &areaSize)) &&
      areaSize == sizeof area && area.OffsetX.value == 0 && area.OffsetY.value == 0 && area.Area.cx > 0 &&
      area.Area.cy > 0 && area.Area.cx <= m_width && area.Area.cy <= m_height) {
    m_width = area.Area.cx;
    m_height = area.Area.cy;
  }
  UINT32 stride = 0;
  if (SUCCEEDED(type->GetUINT32(MF_MT_DEFAULT_STRIDE, &stride))) {
    m_stride = static_cast<INT32>(stride);
  } else {
    m_stride = m_layout == ReaderPixelLayout::Rgb32 ? m_width * 4 : m_width;
  }
  return m_width > 0 && m_height > 0 && m_stride != 0;
}

FrameRead CMovieReader::Read(VideoFrame& frame) {
  if (!m_reader) return FrameRead::Failed;
  for (int attempt = 0; attempt < kEmptyReadLimit; ++attempt) {
    DWORD flags = 0;
    LONGLONG time = 0;
    ComPtr<IMFSample> sample;
    if (FAILED(m_reader->ReadSample(kVideo, 0, nullptr, &flags, &time, sample.Put())) ||
        (flags & MF_SOURCE_READERF_ERROR)) {
      return FrameRead::Failed;
    }
    if (flags & MF_SOURCE_READERF_ENDOFSTREAM) return FrameRead::End;
    if ((flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) && !ReadLayout()) return FrameRead::Failed;
    if (!sample) continue;
    ComPtr<IMFMediaBuffer> buffer;
    if (FAILED(sample->ConvertToContiguousBuffer(buffer.Put()))) return FrameRead::Failed;
    BYTE* data = nullptr;
    DWORD length = 0;
    if (FAILED(buffer->Lock(&data, nullptr, &length))) return FrameRead::Failed;
    // Decoders may pad the luma plane below the picture: its rows follow from the size.
    const size_t pitch = static_cast<size_t>(m_stride < 0 ? -m_stride : m_stride);
    const int planeRows = m_layout == ReaderPixelLayout::Nv12 ? static_cast<int>(length * 2 / 3 / pitch) : m_height;
    VideoFrame& target = m_turn ? m_stored : frame;
    const bool converted = ConvertVideoFrame(m_layout, data, length, m_width, m_height, m_stride, planeRows, target);
    buffer->Unlock();
    if (!converted) return FrameRead::Failed;
    target.time = time;
    if (m_turn) TurnVideoFrame(m_stored, m_turn, frame);
    return FrameRead::Frame;
  }
  // A reader that keeps answering without a sample has failed; it has not said the end.
  return FrameRead::Failed;
}

bool CMovieReader::Seek(int64_t time) {
  if (!m_reader) return false;
  PROPVARIANT position;
  PropVariantInit(&position);
  position.vt = VT_I8;
  position.hVal.QuadPart = time;
  const HRESULT sought = m_reader->SetCurrentPosition(GUID{}, position);
  PropVariantClear(&position);
  return SUCCEEDED(sought);
}

std::optional<std::vector<int64_t>> CMovieReader::SampleTimes(const std::string& path) {
  ComInitialisation com;
  // The file's own samples: no decoding where the system leaves them compressed.
  ComPtr<IMFSourceReader> reader = OpenSourceReader(path, false);
  if (!reader || !HasStream(reader.Get(), kVideo)) return std::nullopt;
  reader->SetStreamSelection(kAllStreams, FALSE);
  reader->SetStreamSelection(kVideo, TRUE);
  std::vector<int64_t> times;
  int empty = 0;
  for (;;) {
    DWORD flags = 0;
    LONGLONG time = 0;
    ComPtr<IMFSample> sample;
    if (FAILED(reader->ReadSample(kVideo, 0, nullptr, &flags, &time, sample.Put()))) break;
    if (flags & MF_SOURCE_READERF_ENDOFSTREAM) break;
    if (!sample) {
      if (++empty > kEmptyReadLimit) break;
      continue;
    }
    times.push_back(time);
  }
  return times;
}

}  // namespace glintora
