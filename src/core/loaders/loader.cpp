#include "core/loaders/loader.h"

#include "core/base/file_io.h"
#include "core/image/orientation.h"

namespace glintora {

bool CvxLoader::CanLoad(const std::string& path) {
  const auto head = ReadFileStart(path, kFileHeadSize);
  return head && Recognises(*head);
}

CvxImageHeader CvxLoader::GetInfo(const std::string& path) {
  const std::unique_ptr<FileByteSource> source = FileByteSource::Open(path);
  return source ? ReadInfo(*source) : CvxImageHeader();
}

std::unique_ptr<CvxImage> CvxLoader::Load(const std::string& path, const LoadOptions& options) {
  const std::unique_ptr<FileByteSource> source = FileByteSource::Open(path);
  return source ? Decode(*source, options) : nullptr;
}

int CvxLoader::Orientation(const std::string& path) {
  const std::unique_ptr<FileByteSource> source = FileByteSource::Open(path);
  return source ? ReadOrientation(*source) : kOrientationUpright;
}

}  // namespace glintora
