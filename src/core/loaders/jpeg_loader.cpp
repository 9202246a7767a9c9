#include "core/loaders/jpeg_loader.h"

#include <csetjmp>
#include <cmath>
#include <cstring>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include "core/base/file_io.h"

namespace glintora {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to
// the decoding function. Between setjmp and the jump only plain data is live, so no
// destructor is skipped. Messages are neither shown nor logged.
// The warning that the data ended early is remembered: after it the library would go on
// making up every remaining row from nothing, which for a small file claiming a huge
// picture costs seconds, so the loaders stop there and leave the rest black.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  bool dataEnded;
};

[[noreturn]] void JumpOnError(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1); }
void Silence(j_common_ptr) {}
void NoteWarning(j_common_ptr info, int level) {
  auto* errors = reinterpret_cast<JpegErrors*>(info->err);
  if (level >= 0 || !info->is_decompressor) return;
  // The file ended, or the scan ran into the end-of-image marker while it still needed data
  // (a marker met inside a damaged restart interval is not the end: decoding resumes after it).
  const int code = errors->manager.msg_code;
  const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (code == JWRN_JPEG_EOF || (code == JWRN_HIT_MARKER && decompress->unread_marker == JPEG_EOI)) {
    errors->dataEnded = true;
  }
}

void InstallErrors(jpeg_decompress_struct& info, JpegErrors& errors) {
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JumpOnError;
  errors.manager.output_message = Silence;
  errors.manager.emit_message = NoteWarning;
  errors.dataEnded = false;
}

// Clears the rows from `first` on, after the data ended.
void ClearRowsFrom(const CvxImage& image, JDIMENSION first) {
  const size_t rowBytes = static_cast<size_t>(image.GetStride());
  uint8_t* const* rows = image.GetRows();
  for (JDIMENSION y = first; y < static_cast<JDIMENSION>(image.m_height); ++y) std::memset(rows[y], 0, rowBytes);
}

// After the header: true unless the first scan's header is followed straight by the end of
// the picture (the end-of-image marker, or the end of the data, which the source turns into
// one). Such a file has no pixel data at all and is no picture.
bool ScanHasData(jpeg_decompress_struct& info) {
  jpeg_source_mgr& source = *info.src;
  if (source.bytes_in_buffer == 0 && !source.fill_input_buffer(&info)) return true;  // cannot tell yet
  return source.bytes_in_buffer < 2 || source.next_input_byte[0] != 0xFF || source.next_input_byte[1] != JPEG_EOI;
}

// The file source: blocks of the file, then end-of-image markers a whole block at a time.
// The library's own file source makes up one two-byte marker per refill once the data has
// ended, so a damaged header whose segment lengths run past the end (or garbage it scans
// for a marker) costs a read call for every two bytes: tens of milliseconds for a small file.
struct FileSource {
  jpeg_source_mgr manager;
  std::FILE* file;
  JOCTET block[4096];
};

void StartFileSource(j_decompress_ptr) {}
void EndFileSource(j_decompress_ptr) {}

boolean FillFromFile(j_decompress_ptr info) {
  auto* source = reinterpret_cast<FileSource*>(info->src);
  size_t count = std::fread(source->block, 1, sizeof source->block, source->file);
  if (count == 0) {
    WARNMS(info, JWRN_JPEG_EOF);
    for (size_t i = 0; i + 1 < sizeof source->block; i += 2) {
      source->block[i] = 0xFF;
      source->block[i + 1] = JPEG_EOI;
    }
    count = sizeof source->block;
  }
  source->manager.next_input_byte = source->block;
  source->manager.bytes_in_buffer = count;
  return TRUE;
}

void SkipInFile(j_decompress_ptr info, long count) {
  jpeg_source_mgr& source = *info->src;
  if (count <= 0) return;
  while (static_cast<size_t>(count) > source.bytes_in_buffer) {
    count -= static_cast<long>(source.bytes_in_buffer);
    source.fill_input_buffer(info);
  }
  source.next_input_byte += count;
  source.bytes_in_buffer -= static_cast<size_t>(count);
}

void UseFileSource(jpeg_decompress_struct& info, FileSource& source, std::FILE* file) {
  source.manager.init_source = StartFileSource;
  source.manager.fill_input_buffer = FillFromFile;
  source.manager.skip_input_data = SkipInFile;
  source.manager.resync_to_restart = jpeg_resync_to_restart;
  source.manager.term_source = EndFileSource;
  source.manager.next_input_byte = nullptr;
  source.manager.bytes_in_buffer = 0;
  source.file = file;
  info.src = &source.manager;
}

// A caller's source manager, with its client data word right after it.
struct ClientSource {
  jpeg_source_mgr manager;
  void* clientData;
};

// CMYK or YCCK output (after the library's YCC → RGB step) to blue-green-red. Files with
// an Adobe marker store the channels inverted.
void CmykToBgr(const JSAMPLE* in, CvxColor8* out, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, in += 4) {
    const int c = inverted ? in[0] : 255 - in[0];
    const int m = inverted ? in[1] : 255 - in[1];
    const int y = inverted ? in[2] : 255 - in[2];
    const int k = inverted ? in[3] : 255 - in[3];
    out[x] = CvxColor8(static_cast<uint8_t>((y * k + 127) / 255), static_cast<uint8_t>((m * k + 127) / 255),
                       static_cast<uint8_t>((c * k + 127) / 255));
  }
}

// Full size, straight into a Color8 image's rows in blue-green-red order; grey pictures
// give three equal channels. Null when the library cannot produce that (for example four
// output components) or the data is damaged. Returns an owned raw pointer.
CvxImageColor8* DecodeFast(std::FILE* file) {
  jpeg_decompress_struct info{};
  JpegErrors errors;
  FileSource source;
  CvxImageColor8* volatile image = nullptr;
  InstallErrors(info, errors);
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    delete image;
    return nullptr;
  }
  jpeg_create_decompress(&info);
  UseFileSource(info, source, file);
  jpeg_read_header(&info, TRUE);
  if (!ScanHasData(info) || (info.jpeg_color_space != JCS_GRAYSCALE && info.jpeg_color_space != JCS_YCbCr &&
                             info.jpeg_color_space != JCS_RGB)) {
    jpeg_destroy_decompress(&info);
    return nullptr;
  }
  info.out_color_space = JCS_EXT_BGR;
  info.do_fancy_upsampling = FALSE;
  jpeg_start_decompress(&info);
  // A multi-scan file has read all its data by now; its rows still come from what it read.
  errors.dataEnded = false;
  image = NewImage<CvxColor8>(static_cast<int>(info.output_width), static_cast<int>(info.output_height), false)
              .release();
  if (!image || image->m_width != static_cast<int>(info.output_width)) {
    jpeg_destroy_decompress(&info);
    delete image;
    return nullptr;
  }
  JSAMPROW* rows = reinterpret_cast<JSAMPROW*>(const_cast<uint8_t**>(image->GetRows()));
  while (info.output_scanline < info.output_height && !errors.dataEnded) {
    jpeg_read_scanlines(&info, rows + info.output_scanline, info.output_height - info.output_scanline);
  }
  if (errors.dataEnded) {
    ClearRowsFrom(*image, info.output_scanline);
  } else {
    jpeg_finish_decompress(&info);
  }
  jpeg_destroy_decompress(&info);
  image->m_format = Jpeg;
  return image;
}

struct GeneralRequest {
  std::FILE* file;                   // or null for the client source
  const JpegSourceRoutines* source;
  bool fastTransform;
  int targetWidth;
  const std::atomic<bool>* stop;
};

// The general path; returns an owned raw pointer or null.
CvxImage* DecodeGeneral(const GeneralRequest& request) {
  jpeg_decompress_struct info{};
  JpegErrors errors;
  FileSource source;
  ClientSource client{};
  CvxImage* volatile image = nullptr;
  InstallErrors(info, errors);
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    delete image;
    return nullptr;
  }
  jpeg_create_decompress(&info);
  if (request.file) {
    UseFileSource(info, source, request.file);
  } else {
    client.manager.init_source = request.source->init;
    client.manager.fill_input_buffer = request.source->fill;
    client.manager.skip_input_data = request.source->skip;
    client.manager.resync_to_restart = jpeg_resync_to_restart;
    client.manager.term_source = request.source->term;
    client.clientData = request.source->clientData;
    info.src = &client.manager;
  }
  jpeg_save_markers(&info, JPEG_COM, 0xFFFF);
  for (int n = 0; n < 16; ++n) jpeg_save_markers(&info, JPEG_APP0 + n, 0xFFFF);
  jpeg_read_header(&info, TRUE);
  info.do_fancy_upsampling = FALSE;
  const auto abandon = [&]() -> CvxImage* {
    jpeg_destroy_decompress(&info);
    delete image;
    return nullptr;
  };
  if (*request.stop || !ScanHasData(info)) return abandon();
  if (request.fastTransform) info.dct_method = JDCT_IFAST;
  const int scale = CvxLoaderJPEG::ChooseScale(static_cast<int>(info.image_width), static_cast<int>(info.image_height),
                                               request.targetWidth);
  info.scale_num = 1;
  info.scale_denom = static_cast<unsigned>(scale);
  const bool fourComponents = info.out_color_space == JCS_CMYK || info.out_color_space == JCS_YCCK;
  if (fourComponents) info.out_color_space = JCS_CMYK;
  jpeg_start_decompress(&info);
  // A multi-scan file has read all its data by now; its rows still come from what it read.
  errors.dataEnded = false;
  if (*request.stop) return abandon();

  const bool gray = info.out_color_space == JCS_GRAYSCALE;
  const int width = static_cast<int>(info.image_width) / scale;
  const int height = static_cast<int>(info.image_height) / scale;
  if (width != static_cast<int>(info.output_width) || height != static_cast<int>(info.output_height) ||
      (info.output_components != 1 && info.output_components != 3 && !fourComponents)) {
    return abandon();
  }
  image = CreateImage(gray ? Gray8 : Color8, width, height, false).release();
  if (!image || image->m_width != width) return abandon();
  JSAMPARRAY line = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                               info.output_width * static_cast<JDIMENSION>(info.output_components), 1);
  uint8_t* const* rows = image->GetRows();
  const bool inverted = info.saw_Adobe_marker;
  while (info.output_scanline < info.output_height && !errors.dataEnded) {
    jpeg_read_scanlines(&info, line, 1);
    uint8_t* out = rows[info.output_scanline - 1];
    const JSAMPLE* in = line[0];
    if (fourComponents) {
      CmykToBgr(in, reinterpret_cast<CvxColor8*>(out), info.output_width, inverted);
    } else if (gray) {
      std::memcpy(out, in, info.output_width);
    } else {
      for (JDIMENSION x = 0; x < info.output_width; ++x, in += 3) {
        out[3 * x] = in[2];
        out[3 * x + 1] = in[1];
        out[3 * x + 2] = in[0];
      }
    }
    if (*request.stop) return abandon();
  }
  if (errors.dataEnded) {
    ClearRowsFrom(*image, info.output_scanline);
  } else {
    jpeg_finish_decompress(&info);
  }
  jpeg_destroy_decompress(&info);
  image->m_format = Jpeg;
  return image;
}

}  // namespace

bool CvxLoaderJPEG::CanLoad(const std::string& path) {
  const auto start = ReadFileStart(path, 3);
  return start && start->size() == 3 && (*start)[0] == 0xFF && (*start)[1] == 0xD8 && (*start)[2] == 0xFF;
}

CvxImageHeader CvxLoaderJPEG::GetInfo(const std::string& path) {
  FilePtr file = OpenFile(path, "rb");
  if (!file) return {};
  jpeg_decompress_struct info{};
  JpegErrors errors;
  FileSource source;
  InstallErrors(info, errors);
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return {};
  }
  jpeg_create_decompress(&info);
  UseFileSource(info, source, file.get());
  jpeg_read_header(&info, TRUE);
  info.do_fancy_upsampling = FALSE;
  jpeg_start_decompress(&info);
  const int space = info.out_color_space;
  const int32_t type = space == JCS_GRAYSCALE ? Gray8 : (space >= JCS_RGB && space <= JCS_YCCK) ? Color8 : 0;
  const CvxImageHeader header(static_cast<int32_t>(info.image_width), static_cast<int32_t>(info.image_height), Jpeg,
                              type);
  jpeg_destroy_decompress(&info);
  return header;
}

std::unique_ptr<CvxImage> CvxLoaderJPEG::Load(const std::string& path, int fastTransform, int targetWidth) {
  FilePtr file = OpenFile(path, "rb");
  if (!file) return nullptr;
  if (targetWidth == 0) {
    std::unique_ptr<CvxImage> image(DecodeFast(file.get()));
    if (image) return image;
    file = OpenFile(path, "rb");
    if (!file) return nullptr;
  }
  return Decode(file.get(), fastTransform, targetWidth);
}

std::unique_ptr<CvxImage> CvxLoaderJPEG::LoadFromSource(const JpegSourceRoutines& source, int fastTransform,
                                                        int targetWidth) {
  m_source = source;
  std::unique_ptr<CvxImage> image = Decode(nullptr, fastTransform, targetWidth);
  m_source = {};
  return image;
}

std::unique_ptr<CvxImage> CvxLoaderJPEG::Decode(std::FILE* file, int fastTransform, int targetWidth) {
  if (!file && !m_source.fill) return nullptr;
  const GeneralRequest request{file, &m_source, fastTransform != 0, targetWidth, &m_stop};
  return std::unique_ptr<CvxImage>(DecodeGeneral(request));
}

int CvxLoaderJPEG::ChooseScale(int width, int height, int targetWidth) {
  if (targetWidth <= 0 || targetWidth >= width || width % 8 != 0 || height % 8 != 0) return 1;
  const double factor = static_cast<double>(width) / targetWidth;
  int best = 0;
  for (int k = 1; k <= 3; ++k) {
    if (std::fabs((1 << k) - factor) < std::fabs((1 << best) - factor)) best = k;
  }
  return 1 << best;
}

}  // namespace glintora
