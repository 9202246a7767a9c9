#include "core/loaders/image_loader.h"

#include <array>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>

#include "core/base/file_io.h"
#include "core/base/text.h"
#include "core/image/orientation.h"
#include "core/loaders/bmp_loader.h"
#include "core/loaders/gif_loader.h"
#include "core/loaders/heif_loader.h"
#include "core/loaders/jpeg_loader.h"
#include "core/loaders/png_loader.h"
#include "core/loaders/pnm_loader.h"
#include "core/loaders/psd_loader.h"
#include "core/loaders/raw_loader.h"
#include "core/loaders/tiff_loader.h"
#include "core/loaders/webp_loader.h"

namespace glintora {
namespace {

constexpr std::array<std::string_view, 11> kRawExtensions = {".cr2", ".crw", ".dir", ".dcr", ".dcf", ".mrw",
                                                             ".nef", ".orf", ".raf", ".srf", ".x3f"};

bool IsRawExtension(const std::string& extension) {
  for (std::string_view raw : kRawExtensions) {
    if (extension == raw) return true;
  }
  return false;
}

bool IsTiffExtension(const std::string& extension) { return extension == ".tif" || extension == ".tiff"; }

// Remembered answers of the RAW test for TIFF-named files, for the life of the process,
// keyed by lower-cased path and modification time.
class RawAnswers {
 public:
  std::optional<bool> Find(const std::string& key, int64_t modified) {
    std::lock_guard lock(m_mutex);
    const auto it = m_answers.find({key, modified});
    if (it == m_answers.end()) return std::nullopt;
    return it->second;
  }
  void Store(const std::string& key, int64_t modified, bool answer) {
    std::lock_guard lock(m_mutex);
    m_answers[{key, modified}] = answer;
  }

 private:
  std::mutex m_mutex;
  std::map<std::pair<std::string, int64_t>, bool> m_answers;
};

RawAnswers& TiffRawAnswers() {
  static RawAnswers answers;
  return answers;
}

// The two cameras that write their RAW files as TIFF, as their files name them ("Canon",
// "Canon EOS-1D") or as the RAW library reports them ("Canon", "EOS-1D").
bool NamesTiffWritingRawCamera(const std::string& maker, std::string_view model) {
  if (ToLowerAscii(maker.substr(0, 5)) != "canon") return false;
  if (model.size() > 6 && ToLowerAscii(std::string(model.substr(0, 6))) == "canon ") model.remove_prefix(6);
  return model == "EOS-1D" || model == "EOS-1DS";
}

}  // namespace

class CvxImageLoader::RunningLoader {
 public:
  RunningLoader(CvxImageLoader& owner, CvxLoader& loader) : m_owner(owner) { m_owner.SetCurrent(&loader); }
  ~RunningLoader() { m_owner.SetCurrent(nullptr); }
  RunningLoader(const RunningLoader&) = delete;
  RunningLoader& operator=(const RunningLoader&) = delete;

 private:
  CvxImageLoader& m_owner;
};

CvxImageLoader::CvxImageLoader(const CvxColor8& background)
    : m_backgroundBlue(background.Blue()), m_backgroundGreen(background.Green()), m_backgroundRed(background.Red()) {
  m_loaders.push_back(std::make_unique<CvxLoaderJPEG>());
  m_loaders.push_back(std::make_unique<CvxLoaderBMP>());
  m_loaders.push_back(std::make_unique<CvxLoaderTIFF>());
  m_loaders.push_back(std::make_unique<CvxLoaderPNG>());
  m_loaders.push_back(std::make_unique<CvxLoaderGIF>());
  m_loaders.push_back(std::make_unique<CvxLoaderPNM>());
  m_loaders.push_back(std::make_unique<CvxLoaderPSD>());
  m_loaders.push_back(std::make_unique<CvxLoaderWebP>());
  m_loaders.push_back(std::make_unique<CvxLoaderHEIF>());
}

CvxImageLoader::~CvxImageLoader() = default;

void CvxImageLoader::Stop() {
  std::lock_guard lock(m_currentLock);
  if (m_current) m_current->m_stop = true;
}

void CvxImageLoader::Abandon() {
  m_abandoned = true;
  Stop();
}

void CvxImageLoader::SetCurrent(CvxLoader* loader) {
  std::lock_guard lock(m_currentLock);
  m_current = loader;
}

bool CvxImageLoader::LooksLikeRaw(const std::string& path) {
  const std::string extension = ToLowerAscii(PathExtension(path));
  if (!IsTiffExtension(extension)) return IsRawExtension(extension);
  const std::unique_ptr<FileByteSource> source = FileByteSource::Open(path);
  return source && LooksLikeRaw(*source);
}

bool CvxImageLoader::LooksLikeRaw(ByteSource& source) {
  const std::string& path = source.Name();
  const std::string extension = ToLowerAscii(PathExtension(path));
  if (!IsTiffExtension(extension)) return IsRawExtension(extension);
  const auto status = StatFile(path);
  const int64_t modified = status ? status->modified : 0;
  const std::string key = ToLowerAscii(path);
  if (const auto answer = TiffRawAnswers().Find(key, modified)) return *answer;
  // Two camera models write their RAW files as TIFF: tell them by maker, model and a file
  // larger than nine bytes per pixel of the TIFF picture. The maker and model are read with
  // the TIFF loader first: the RAW library has a history of memory faults on damaged files,
  // so only a file that names one of the two cameras is ever handed to it, to confirm.
  bool isRaw = false;
  CvxLoaderTIFF tiff;
  std::string maker, model;
  if (tiff.CameraMakerAndModel(source, maker, model) && NamesTiffWritingRawCamera(maker, model)) {
    CvxLoaderRAW raw;
    if (raw.Identify(source, maker, model) && NamesTiffWritingRawCamera(maker, model)) {
      const CvxImageHeader header = tiff.ReadInfo(source);
      isRaw = header.m_width > 0 && header.m_height > 0 && header.m_type == Color8 && status &&
              status->size > int64_t{header.m_width} * header.m_height * 9;
    }
  }
  TiffRawAnswers().Store(key, modified, isRaw);
  return isRaw;
}

std::unique_ptr<CvxImage> CvxImageLoader::Run(CvxLoader& loader, ByteSource& source, const LoadOptions& options) {
  return Run(loader, source, [&] { return loader.Decode(source, options); });
}

std::unique_ptr<CvxImage> CvxImageLoader::Run(CvxLoader& loader, ByteSource& source,
                                              const std::function<std::unique_ptr<CvxImage>()>& decode) {
  loader.m_stop = false;
  loader.m_backgroundBlue = m_backgroundBlue;
  loader.m_backgroundGreen = m_backgroundGreen;
  loader.m_backgroundRed = m_backgroundRed;
  const RunningLoader running(*this, loader);
  // Checked once the loader is reachable: an Abandon from now on stops it, one before is seen.
  if (m_abandoned) return nullptr;
  try {
    std::unique_ptr<CvxImage> image = decode();
    // Here every loaded picture passes, so the show and the dialogs all see it upright.
    if (image && m_autoRotate) image = StandUpright(std::move(image), loader.ReadOrientation(source));
    return image;
  } catch (...) {
    return nullptr;
  }
}

std::unique_ptr<CvxImage> CvxImageLoader::Load(const std::string& path, const LoadOptions& options) {
  try {
    const std::unique_ptr<FileByteSource> source = FileByteSource::Open(path);
    if (source) return LoadFrom(*source, options);
  } catch (...) {
    // Out of memory before the file could be read.
  }
  return nullptr;
}

std::unique_ptr<CvxImage> CvxImageLoader::LoadFrom(ByteSource& source, const LoadOptions& options) {
  try {
    const std::vector<uint8_t> head = ReadHead(source, kFileHeadSize);
    if (LooksLikeRaw(source)) {
      CvxLoaderRAW raw(m_rawParams);
      std::string maker, model;
      if (raw.Identify(source, maker, model)) {
        std::unique_ptr<CvxImage> image = Run(raw, source, options);
        if (image || raw.m_stop) return image;
      }
    }
    for (const auto& loader : m_loaders) {
      if (loader->Recognises(head)) return Run(*loader, source, options);
    }
  } catch (...) {
    // Recognising a file failed in some loader; the file is not a picture.
  }
  return nullptr;
}

std::unique_ptr<CvxImage> CvxImageLoader::LoadToCover(const std::string& path,
                                                      const std::function<ImageSize(ImageSize)>& shownSize,
                                                      ImageSize& stored) {
  stored = {};
  try {
    const std::unique_ptr<FileByteSource> source = FileByteSource::Open(path);
    if (!source) return nullptr;
    const std::vector<uint8_t> head = ReadHead(*source, kFileHeadSize);
    if (LooksLikeRaw(*source)) {
      CvxLoaderRAW raw(m_rawParams);
      std::string maker, model;
      if (raw.Identify(*source, maker, model)) {
        const CvxImageHeader info = raw.ReadInfo(*source);
        const ImageSize full{info.m_width, info.m_height};
        const ImageSize shown = shownSize(full);
        // Half size is at least half of each side, cut.
        const bool half = full.width > 0 && full.height > 0 && full.width / 2 >= shown.width &&
                          full.height / 2 >= shown.height;
        std::unique_ptr<CvxImage> image = Run(raw, *source, LoadOptions{.halfSize = half});
        if (image && (image->m_width != full.width || image->m_height != full.height)) stored = full;
        if (image || raw.m_stop) return image;
      }
    }
    for (const auto& loader : m_loaders) {
      if (!loader->Recognises(head)) continue;
      if (auto* jpeg = dynamic_cast<CvxLoaderJPEG*>(loader.get())) {
        // The size shown is the upright picture's; orientations 5 to 8 turn it a quarter.
        const CvxImageHeader info = jpeg->ReadInfo(*source);
        const ImageSize full{info.m_width, info.m_height};
        const bool turned = m_autoRotate && jpeg->ReadOrientation(*source) >= 5;
        const auto turn = [turned](ImageSize size) { return turned ? ImageSize{size.height, size.width} : size; };
        const int scale =
            full.width > 0 && full.height > 0 ? CvxLoaderJPEG::CoveringScale(full, turn(shownSize(turn(full)))) : 1;
        if (scale > 1) {
          std::unique_ptr<CvxImage> image = Run(*jpeg, *source, LoadOptions{.scale = scale});
          if (image) stored = turn(full);
          if (image || jpeg->m_stop) return image;
        }
      }
      if (auto* webp = dynamic_cast<CvxLoaderWebP*>(loader.get())) {
        // libwebp scales as it decodes: straight to the width shown, when smaller.
        const CvxImageHeader info = webp->ReadInfo(*source);
        const ImageSize full{info.m_width, info.m_height};
        const bool turned = m_autoRotate && webp->ReadOrientation(*source) >= 5;
        const auto turn = [turned](ImageSize size) { return turned ? ImageSize{size.height, size.width} : size; };
        const int width = full.width > 0 && full.height > 0 ? turn(shownSize(turn(full))).width : 0;
        if (width > 0 && width < full.width) {
          std::unique_ptr<CvxImage> image = Run(*webp, *source, LoadOptions{.targetWidth = width});
          if (image) stored = turn(full);
          if (image || webp->m_stop) return image;
        }
      }
      return Run(*loader, *source, LoadOptions{});
    }
  } catch (...) {
    // Recognising a file failed in some loader; the file is not a picture.
  }
  stored = {};
  return nullptr;
}

std::unique_ptr<CvxImage> CvxImageLoader::LoadFromMemory(const void* bytes, size_t size) {
  if (!bytes || size == 0) return nullptr;
  MemoryByteSource source(bytes, size);
  return LoadFrom(source, LoadOptions{});
}

}  // namespace glintora
