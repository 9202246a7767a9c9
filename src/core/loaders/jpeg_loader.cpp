#include "core/loaders/jpeg_loader.h"

#include <algorithm>
#include <csetjmp>
#include <cmath>
#include <cstring>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include "core/base/byte_source.h"

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
  // The decoder needed data that the file did not hold (reading ahead past the end of a
  // file that lacks its end marker is no loss).
  bool dataMissing;
  // Where the reading stood when the data first ended: the scan and its row of blocks.
  int endScan;
  JDIMENSION endBlockRow;
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
  const bool missing = code == JWRN_HIT_MARKER && decompress->unread_marker == JPEG_EOI;
  if ((code == JWRN_JPEG_EOF || missing) && !errors->dataEnded) {
    errors->dataEnded = true;
    errors->endScan = decompress->input_scan_number;
    errors->endBlockRow = decompress->input_iMCU_row;
  }
  errors->dataMissing = errors->dataMissing || missing;
}

void InstallErrors(jpeg_decompress_struct& info, JpegErrors& errors) {
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JumpOnError;
  errors.manager.output_message = Silence;
  errors.manager.emit_message = NoteWarning;
  errors.dataEnded = false;
  errors.dataMissing = false;
  errors.endScan = 0;
  errors.endBlockRow = 0;
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

// The byte source: blocks of the bytes, then end-of-image markers a whole block at a time.
// The library's own file source makes up one two-byte marker per refill once the data has
// ended, so a damaged header whose segment lengths run past the end (or garbage it scans
// for a marker) costs a read call for every two bytes: tens of milliseconds for a small file.
struct FileSource {
  jpeg_source_mgr manager;
  ByteSource* bytes;
  JOCTET block[4096];
};

void StartFileSource(j_decompress_ptr) {}
void EndFileSource(j_decompress_ptr) {}

boolean FillFromFile(j_decompress_ptr info) {
  auto* source = reinterpret_cast<FileSource*>(info->src);
  size_t count = source->bytes->Read(source->block, sizeof source->block);
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

void UseFileSource(jpeg_decompress_struct& info, FileSource& source, ByteSource& bytes) {
  source.manager.init_source = StartFileSource;
  source.manager.fill_input_buffer = FillFromFile;
  source.manager.skip_input_data = SkipInFile;
  source.manager.resync_to_restart = jpeg_resync_to_restart;
  source.manager.term_source = EndFileSource;
  source.manager.next_input_byte = nullptr;
  source.manager.bytes_in_buffer = 0;
  source.bytes = &bytes;
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

// One decompression: owns the library's state for one source. libjpeg leaves by longjmp on
// a fatal error, which must not skip a C++ destructor, so every library call that can fail
// runs inside one of the small methods below, each armed for the jump and holding plain
// data only; the reader itself lives in the caller's frame and destroys the state on every
// path.
class JpegReader {
 public:
  JpegReader() { InstallErrors(m_info, m_errors); }
  ~JpegReader() {
    if (m_created) jpeg_destroy_decompress(&m_info);
  }
  JpegReader(const JpegReader&) = delete;
  JpegReader& operator=(const JpegReader&) = delete;

  // Reads the header from the start of `bytes`, or from the caller's source routines when
  // `bytes` is null; with `saveMarkers` the comment and application markers are kept.
  bool ReadHeader(ByteSource* bytes, const JpegSourceRoutines* source, bool saveMarkers);
  // jpeg_start_decompress, refused before it allocates when a multi-scan file's buffer of
  // coefficients would exceed the image size limit. A multi-scan file reads all its data
  // here; its rows still come from what it read, so an early end of its data counts only
  // when it came before the first scan's first row of blocks was whole.
  bool Start();
  // Up to `count` rows into `rows`: at most one row of blocks' worth, which the library
  // decodes as one, so a call during which data went missing returns rows made partly from
  // nothing.
  bool ReadRows(JSAMPARRAY rows, JDIMENSION count);
  bool Finish();
  // A buffer of `count` rows of `samples` samples from the library's pool for this image.
  bool AllocateRows(JDIMENSION samples, JDIMENSION count, JSAMPARRAY& rows);

  jpeg_decompress_struct& Info() { return m_info; }
  // False when the first scan's header is followed straight by the end of the picture.
  bool HasScanData() const { return m_hasScanData; }
  // The data ended early: the rows from here on would be made up.
  bool DataEnded() const { return m_errors.dataEnded; }
  // The rows read so far whose data was all in the file.
  JDIMENSION CompleteRows() const { return m_completeRows; }

 private:
  jpeg_decompress_struct m_info{};
  JpegErrors m_errors;
  FileSource m_fileSource;
  ClientSource m_clientSource{};
  bool m_created = false;
  bool m_hasScanData = false;
  JDIMENSION m_completeRows = 0;
};

// A file of several scans is read whole into coefficients at the picture's full size
// (64 two-byte coefficients a block, per component) before any row comes out, at every scale.
bool CoefficientsFit(jpeg_decompress_struct& info) {
  if (!jpeg_has_multiple_scans(&info)) return true;
  int64_t bytes = 0;
  for (int c = 0; c < info.num_components; ++c) {
    const jpeg_component_info& component = info.comp_info[c];
    const int64_t h = std::max(component.h_samp_factor, 1);
    const int64_t v = std::max(component.v_samp_factor, 1);
    const int64_t columns = (int64_t{component.width_in_blocks} + h - 1) / h * h;
    const int64_t rows = (int64_t{component.height_in_blocks} + v - 1) / v * v;
    bytes += columns * rows * static_cast<int64_t>(sizeof(JBLOCK));
    if (bytes > kMaxImageBytes) return false;
  }
  return true;
}

bool JpegReader::ReadHeader(ByteSource* bytes, const JpegSourceRoutines* source, bool saveMarkers) {
  if (bytes && !bytes->Seek(0)) return false;
  if (setjmp(m_errors.jump)) return false;
  m_created = true;  // destroying a half-made decompressor is safe
  jpeg_create_decompress(&m_info);
  if (bytes) {
    UseFileSource(m_info, m_fileSource, *bytes);
  } else {
    m_clientSource.manager.init_source = source->init;
    m_clientSource.manager.fill_input_buffer = source->fill;
    m_clientSource.manager.skip_input_data = source->skip;
    m_clientSource.manager.resync_to_restart = jpeg_resync_to_restart;
    m_clientSource.manager.term_source = source->term;
    m_clientSource.clientData = source->clientData;
    m_info.src = &m_clientSource.manager;
  }
  if (saveMarkers) {
    jpeg_save_markers(&m_info, JPEG_COM, 0xFFFF);
    for (int n = 0; n < 16; ++n) jpeg_save_markers(&m_info, JPEG_APP0 + n, 0xFFFF);
  }
  jpeg_read_header(&m_info, TRUE);
  m_hasScanData = ScanHasData(m_info);
  return true;
}

bool JpegReader::Start() {
  if (!CoefficientsFit(m_info)) return false;
  if (setjmp(m_errors.jump)) return false;
  jpeg_start_decompress(&m_info);
  if (m_errors.dataEnded && m_errors.endScan <= 1 && m_errors.endBlockRow == 0) return false;
  m_errors.dataEnded = false;
  return true;
}

bool JpegReader::ReadRows(JSAMPARRAY rows, JDIMENSION count) {
  if (setjmp(m_errors.jump)) return false;
  jpeg_read_scanlines(&m_info, rows, count);
  if (!m_errors.dataMissing) m_completeRows = m_info.output_scanline;
  return true;
}

bool JpegReader::Finish() {
  if (setjmp(m_errors.jump)) return false;
  jpeg_finish_decompress(&m_info);
  return true;
}

bool JpegReader::AllocateRows(JDIMENSION samples, JDIMENSION count, JSAMPARRAY& rows) {
  if (setjmp(m_errors.jump)) return false;
  rows = (*m_info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&m_info), JPOOL_IMAGE, samples, count);
  return true;
}

// The end of a decode whose rows are all read or whose data ended: a picture cut short
// keeps its complete rows and the rest black. A file that gives no complete row is no
// picture, at whatever scale it is decoded: a row of blocks is the same part of the file at
// every scale.
bool FinishRows(JpegReader& reader, const CvxImage& image) {
  if (reader.DataEnded()) {
    if (reader.CompleteRows() == 0) return false;
    ClearRowsFrom(image, reader.CompleteRows());
    return true;
  }
  return reader.Finish();
}

// Full size, straight into a Color8 image's rows in blue-green-red order; grey pictures
// give three equal channels. Null when the library cannot produce that (for example four
// output components) or the data is damaged.
std::unique_ptr<CvxImage> DecodeFast(ByteSource& bytes) {
  JpegReader reader;
  if (!reader.ReadHeader(&bytes, nullptr, false) || !reader.HasScanData()) return nullptr;
  jpeg_decompress_struct& info = reader.Info();
  if (info.jpeg_color_space != JCS_GRAYSCALE && info.jpeg_color_space != JCS_YCbCr &&
      info.jpeg_color_space != JCS_RGB) {
    return nullptr;
  }
  if (!FitsImageLimit(info.image_width, info.image_height, sizeof(CvxColor8))) return nullptr;
  info.out_color_space = JCS_EXT_BGR;
  info.do_fancy_upsampling = FALSE;
  if (!reader.Start()) return nullptr;
  auto image = NewImage<CvxColor8>(static_cast<int>(info.output_width), static_cast<int>(info.output_height), false);
  if (!image || image->m_width != static_cast<int>(info.output_width)) return nullptr;
  JSAMPROW* rows = reinterpret_cast<JSAMPROW*>(const_cast<uint8_t**>(image->GetRows()));
  while (info.output_scanline < info.output_height && !reader.DataEnded()) {
    if (!reader.ReadRows(rows + info.output_scanline, info.output_height - info.output_scanline)) return nullptr;
  }
  if (!FinishRows(reader, *image)) return nullptr;
  image->m_format = Jpeg;
  return image;
}

// One decoded row of the general path into an image row: blue-green-red, grey as it is,
// or four components brought to three.
void StoreRow(const JSAMPLE* in, uint8_t* out, const jpeg_decompress_struct& info, bool fourComponents, bool gray) {
  if (fourComponents) {
    CmykToBgr(in, reinterpret_cast<CvxColor8*>(out), info.output_width, info.saw_Adobe_marker);
  } else if (gray) {
    std::memcpy(out, in, info.output_width);
  } else {
    for (JDIMENSION x = 0; x < info.output_width; ++x, in += 3) {
      out[3 * x] = in[2];
      out[3 * x + 1] = in[1];
      out[3 * x + 2] = in[0];
    }
  }
}

struct GeneralRequest {
  ByteSource* bytes;                 // or null for the client source
  const JpegSourceRoutines* source;
  bool fastTransform;
  int targetWidth;                   // chooses the scale, unless `scale` names it
  const std::atomic<bool>* stop;
  int scale = 0;                     // 1, 2, 4 or 8; 0: by the target width
};

// The general path: any scale, grey, colour and four-component pictures, row by row.
std::unique_ptr<CvxImage> DecodeGeneral(const GeneralRequest& request) {
  JpegReader reader;
  if (!reader.ReadHeader(request.bytes, request.source, true)) return nullptr;
  jpeg_decompress_struct& info = reader.Info();
  info.do_fancy_upsampling = FALSE;
  if (*request.stop || !reader.HasScanData()) return nullptr;
  if (request.fastTransform) info.dct_method = JDCT_IFAST;
  const int scale = request.scale > 0 ? request.scale
                                      : CvxLoaderJPEG::ChooseScale(static_cast<int>(info.image_width),
                                                                   static_cast<int>(info.image_height), request.targetWidth);
  info.scale_num = 1;
  info.scale_denom = static_cast<unsigned>(scale);
  const bool fourComponents = info.out_color_space == JCS_CMYK || info.out_color_space == JCS_YCCK;
  if (fourComponents) info.out_color_space = JCS_CMYK;
  const bool gray = info.out_color_space == JCS_GRAYSCALE;
  // The library rounds a scaled side up.
  const int width = static_cast<int>((info.image_width + static_cast<unsigned>(scale) - 1) / static_cast<unsigned>(scale));
  const int height = static_cast<int>((info.image_height + static_cast<unsigned>(scale) - 1) / static_cast<unsigned>(scale));
  if (!FitsImageLimit(width, height, gray ? 1 : 3)) return nullptr;
  if (!reader.Start() || *request.stop) return nullptr;

  if (width != static_cast<int>(info.output_width) || height != static_cast<int>(info.output_height) ||
      (info.output_components != 1 && info.output_components != 3 && !fourComponents)) {
    return nullptr;
  }
  std::unique_ptr<CvxImage> image = CreateImage(gray ? Gray8 : Color8, width, height, false);
  // Room for a whole row of blocks (at most four sampling rows of eight), so that every read
  // brings one.
  const auto blockRowLines = static_cast<JDIMENSION>(std::clamp(info.max_v_samp_factor, 1, 4) * DCTSIZE);
  JSAMPARRAY lines = nullptr;
  if (!image || image->m_width != width ||
      !reader.AllocateRows(info.output_width * static_cast<JDIMENSION>(info.output_components), blockRowLines,
                           lines)) {
    return nullptr;
  }
  uint8_t* const* rows = image->GetRows();
  while (info.output_scanline < info.output_height && !reader.DataEnded()) {
    const JDIMENSION first = info.output_scanline;
    if (!reader.ReadRows(lines, blockRowLines)) return nullptr;
    for (JDIMENSION y = first; y < info.output_scanline; ++y) {
      StoreRow(lines[y - first], rows[y], info, fourComponents, gray);
    }
    if (*request.stop) return nullptr;
  }
  if (!FinishRows(reader, *image)) return nullptr;
  image->m_format = Jpeg;
  return image;
}

}  // namespace

bool CvxLoaderJPEG::Recognises(std::span<const uint8_t> head) {
  return head.size() >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

CvxImageHeader CvxLoaderJPEG::ReadInfo(ByteSource& source) {
  JpegReader reader;
  // The header alone: starting the decoder would read a multi-scan file whole, into a
  // buffer as large as the header claims.
  if (!reader.ReadHeader(&source, nullptr, false)) return {};
  const jpeg_decompress_struct& info = reader.Info();
  const int space = info.out_color_space;
  const int32_t type = space == JCS_GRAYSCALE ? Gray8 : (space >= JCS_RGB && space <= JCS_YCCK) ? Color8 : 0;
  return CvxImageHeader(static_cast<int32_t>(info.image_width), static_cast<int32_t>(info.image_height), Jpeg, type);
}

std::unique_ptr<CvxImage> CvxLoaderJPEG::Decode(ByteSource& source, const LoadOptions& options) {
  if (options.scale != 0 && options.scale != 1 && options.scale != 2 && options.scale != 4 && options.scale != 8) {
    return nullptr;
  }
  if (options.targetWidth == 0 && options.scale == 0) {
    if (std::unique_ptr<CvxImage> image = DecodeFast(source)) return image;
  }
  return DecodeGeneral(GeneralRequest{&source, nullptr, options.fastTransform, options.targetWidth, &m_stop,
                                      options.scale});
}

std::unique_ptr<CvxImage> CvxLoaderJPEG::LoadFromSource(const JpegSourceRoutines& source, const LoadOptions& options) {
  if (!source.fill) return nullptr;
  return DecodeGeneral(GeneralRequest{nullptr, &source, options.fastTransform, options.targetWidth, &m_stop,
                                      options.scale});
}

int CvxLoaderJPEG::CoveringScale(ImageSize stored, ImageSize shown) {
  for (int scale : {8, 4, 2}) {
    if ((stored.width + scale - 1) / scale >= shown.width && (stored.height + scale - 1) / scale >= shown.height) {
      return scale;
    }
  }
  return 1;
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
