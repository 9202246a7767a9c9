#pragma once
// The loader front door: turns a picture file (or picture bytes stored elsewhere) into an
// image by asking the format loaders, in a fixed order, which one recognises the first bytes.
// A file is opened once: its first bytes are read for recognition, and the loader that
// recognises them decodes from the same open file.

#include <functional>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/loaders/loader.h"

namespace glintora {

struct CvxRawParams;

class CvxImageLoader {
 public:
  // Transparent pixels are composed over `background` where a format has them.
  explicit CvxImageLoader(const CvxColor8& background);
  virtual ~CvxImageLoader();
  CvxImageLoader(const CvxImageLoader&) = delete;
  CvxImageLoader& operator=(const CvxImageLoader&) = delete;

  // Decodes the file with the first loader that recognises it; camera RAW files (by
  // extension) go to the RAW loader first. Null when nothing recognises it, the decode
  // fails or it is stopped.
  std::unique_ptr<CvxImage> Load(const std::string& path, const LoadOptions& options = {});
  // As Load, but no larger than needed: `shownSize` tells, for a picture's stored size, the
  // size it will be shown at. Where a format decodes reduced nearly for free (JPEG at 1/2,
  // 1/4 or 1/8, camera RAW at half size) and the reduced picture still covers that size,
  // it is decoded reduced; a WebP picture larger than that is decoded scaled to it.
  // `stored` receives the stored size of a reduced picture, and stays 0 × 0 when the
  // picture comes at its stored size.
  std::unique_ptr<CvxImage> LoadToCover(const std::string& path, const std::function<ImageSize(ImageSize)>& shownSize,
                                        ImageSize& stored);
  // Decodes picture bytes as Load decodes a file's (they have no name, so are never camera
  // RAW), straight from memory.
  std::unique_ptr<CvxImage> LoadFromMemory(const void* bytes, size_t size);
#ifdef _WIN32
  // A picture stored as a resource of `module` (an HMODULE) by id and type.
  std::unique_ptr<CvxImage> LoadFromResource(void* module, int id, const char* type);
  // A bitmap resource of the program itself as a Color8 image, through GDI.
  static std::unique_ptr<CvxImage> LoadBitmapResource(int id);
#endif

  // Asks the running decode, if any, to stop.
  void Stop();
  // Stops the running decode and refuses every later one: for a loader being given up
  // while another thread may still be using it. Any thread may call it.
  void Abandon();
  bool Abandoned() const { return m_abandoned; }
  // On (the start): every picture whose file carries an orientation tag (JPEG's Exif, TIFF's
  // own) comes out turned and mirrored upright. Off: pictures come as stored.
  void SetAutoRotate(bool on) { m_autoRotate = on; }
  bool AutoRotate() const { return m_autoRotate; }
  // The parameters every RAW loader made from now on copies; null (the start) means the
  // defaults. The block must outlive the loads that use it.
  void SetRawParams(const CvxRawParams* params) { m_rawParams = params; }
  const CvxRawParams* RawParams() const { return m_rawParams; }
  // True when the file should be tried as a camera RAW file first.
  bool LooksLikeRaw(const std::string& path);

 private:
  // Makes `loader` the one Stop reaches for as long as it lives.
  class RunningLoader;

  // Load and LoadFromMemory on an open source.
  std::unique_ptr<CvxImage> LoadFrom(ByteSource& source, const LoadOptions& options);
  // LooksLikeRaw on an open source, whose name is the file's path.
  bool LooksLikeRaw(ByteSource& source);
  std::unique_ptr<CvxImage> Run(CvxLoader& loader, ByteSource& source, const LoadOptions& options);
  // Runs `decode` of `source` with `loader` prepared and reachable by Stop, and stands the
  // picture upright; exceptions give null.
  std::unique_ptr<CvxImage> Run(CvxLoader& loader, ByteSource& source,
                                const std::function<std::unique_ptr<CvxImage>()>& decode);

  uint8_t m_backgroundBlue;
  uint8_t m_backgroundGreen;
  uint8_t m_backgroundRed;
  const CvxRawParams* m_rawParams = nullptr;
  bool m_autoRotate = true;
  void SetCurrent(CvxLoader* loader);

  // The loader running a decode. Stop may come from another thread while the RAW loader,
  // made for one file, is about to be destroyed: the lock keeps it from writing into a
  // loader that is gone.
  std::mutex m_currentLock;
  CvxLoader* m_current = nullptr;
  std::atomic<bool> m_abandoned{false};
  std::vector<std::unique_ptr<CvxLoader>> m_loaders;
};

}  // namespace glintora
