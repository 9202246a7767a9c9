// Measures the hot paths of the picture pipeline beside a reference tool run on the same
// input in the same process.
//   usage: bench [--runs N] [SECTION...]   (sections: opens decode show transitions resize movie
//   monitors phones; all when none is named)
// Section "opens": how many times the loader front door opens a file to show it, per format,
// beside the figures from when each loader opened the file again for every question.
// Section "phones": 12-megapixel HEIC, AVIF and WebP pictures (made by heif-enc and cwebp)
// through the front door, whole and to cover 1920 × 1080, beside heif-convert, avifdec and dwebp
// writing into /dev/null, each run of ours followed by one of the reference.
// Section "decode": a 12-megapixel JPEG (4000 × 3000) made here, decoded through the loader
// front door beside djpeg writing a BMP to /dev/null.
// Section "decode" also times a PNG and a TIFF of the same picture through the front door,
// and a GIF (the picture in 256 colours), a PSD (8-bit RGB, raw and run-length) and a PNM
// (8-bit pixel map) of it,
// and the same picture as a camera RAW file (a 4000 × 3000 colour filter array in a DNG
// named ".nef") at full and half size.
// Section "transitions": frames per second of the blend, a mask transition and a rectangle
// transition at 1920 × 1080 and 3840 × 2160 on the memory device, beside the blend's
// memory-bandwidth bound (bytes touched per frame over a measured memcpy rate); and of
// three 3D transitions (91, 92, 99) at 1920 × 1080 beside the blend, rendered by the memory
// device's OpenGL area: off-screen Mesa, a software renderer on the processor.
// Section "show": from "file due" to the first transition frame at 1920 × 1080: decode the
// 4000 × 3000 JPEG, convert, fit and compose it with the previous picture, beside the decode
// alone, the decode at the needed scale, what is left when the picture was decoded ahead
// (placing it on the canvas), and the peak working set of ten changes either way; and the
// change due and decoded ahead for a HEIC, an AVIF and a WebP of the same picture.
// The transitions run on one core and then in row bands on every core.
// Section "resize": a 4000 × 3000 Color8 picture resized to 1920 × 1440 (bilinear and
// Lanczos3) and scaled by 0.5, each the median of N runs, beside ImageMagick's convert with
// the matching filter (its load-only time subtracted), with its default threads and with
// one thread.
// Section "movie": a movie frame converted from the decoders' layouts and encoded as JPEG.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/base/file_io.h"
#include "core/image/image.h"
#include "core/image/memory_device.h"
#include "core/loaders/image_loader.h"
#include "core/media/movie_writer.h"
#include "core/media/video_frame.h"
#include "core/show/frame_composition.h"
#include "core/show/picture_prefetch.h"
#include "core/transitions/engine.h"
#include "core/transitions/gl_api.h"
#include "fixtures.h"
#include "format_fixtures.h"

namespace {

using glintora::CvxColor8;
using glintora::CvxImageColor8;

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double MedianOf(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) times.push_back(Seconds(work));
  return Median(times);
}

// A photograph-like test picture: smooth colour fields, edges and fine noise.
std::unique_ptr<CvxImageColor8> MakePicture(int width, int height) {
  auto image = glintora::NewImage<CvxColor8>(width, height, false);
  uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    CvxColor8* row = image->Row(y);
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = static_cast<int>(seed >> 28) - 8;
      const double u = static_cast<double>(x) / width;
      const double v = static_cast<double>(y) / height;
      const int r = static_cast<int>(255 * (0.5 + 0.5 * std::sin(6 * u + 2 * v))) + noise;
      const int g = static_cast<int>(255 * v) + noise;
      const int b = ((x / 97 + y / 61) % 2 ? 200 : 40) + noise;
      row[x] = CvxColor8(static_cast<uint8_t>(std::clamp(b, 0, 255)), static_cast<uint8_t>(std::clamp(g, 0, 255)),
                         static_cast<uint8_t>(std::clamp(r, 0, 255)));
    }
  }
  return image;
}

bool WritePpm(const CvxImageColor8& image, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << image.m_width << " " << image.m_height << "\n255\n";
  std::vector<uint8_t> line(static_cast<size_t>(image.m_width) * 3);
  for (int y = 0; y < image.m_height; ++y) {
    const CvxColor8* row = image.Row(y);
    for (int x = 0; x < image.m_width; ++x) {
      line[3 * x] = row[x].Red();
      line[3 * x + 1] = row[x].Green();
      line[3 * x + 2] = row[x].Blue();
    }
    out.write(reinterpret_cast<const char*>(line.data()), static_cast<std::streamsize>(line.size()));
  }
  return static_cast<bool>(out);
}

std::string FindConvert() {
  // Debian's ImageMagick 6 binary itself, not whatever "convert" comes first on the PATH.
  for (const char* path : {"/usr/bin/convert-im6.q16", "/usr/bin/convert"}) {
    if (access(path, X_OK) == 0) return path;
  }
  return {};
}

// Median wall time of a shell command; negative when it fails.
double CommandSeconds(int runs, const std::string& command) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    int status = 0;
    times.push_back(Seconds([&] { status = std::system(command.c_str()); }));
    if (status != 0) return -1;
  }
  return Median(times);
}

void ResizeSection(int runs) {
  std::printf("== resize: 4000x3000 Color8, median of %d runs (seconds)\n", runs);
  const auto picture = MakePicture(4000, 3000);
  struct Job {
    const char* name;
    std::function<std::unique_ptr<glintora::CvxImage>()> run;
    const char* magickFilter;
    const char* magickGeometry;
  };
  const Job jobs[] = {
      {"Resize 1920x1440 bilinear (1)", [&] { return picture->Resize(1920, 1440, glintora::kBilinear); }, "Triangle",
       "1920x1440!"},
      {"Resize 1920x1440 Lanczos3 (8)", [&] { return picture->Resize(1920, 1440, glintora::kLanczos3); }, "Lanczos",
       "1920x1440!"},
      {"Scale 0.5 bilinear (1)", [&] { return picture->Scale(0.5f, 0.5f, glintora::kBilinear); }, "Triangle",
       "2000x1500!"},
  };

  const std::string convert = FindConvert();
  const std::string input = (std::filesystem::temp_directory_path() / ("glintora-bench-" + std::to_string(getpid()) +
                                                                       ".ppm"))
                                .string();
  const bool haveMagick = !convert.empty() && WritePpm(*picture, input);
  double loadAll = -1;
  double loadOne = -1;
  if (haveMagick) {
    loadAll = CommandSeconds(runs, convert + " " + input + " null:");
    loadOne = CommandSeconds(runs, "MAGICK_THREAD_LIMIT=1 " + convert + " " + input + " null:");
  }
  std::printf("%-32s %10s %14s %14s\n", "operation", "glintora", "magick (all)", "magick (1 thr)");
  for (const Job& job : jobs) {
    const double ours = MedianOf(runs, [&] {
      auto result = job.run();
      if (!result) std::abort();
    });
    double all = -1;
    double one = -1;
    if (haveMagick) {
      const std::string tail = std::string(" ") + input + " -filter " + job.magickFilter + " -resize '" +
                               job.magickGeometry + "' null:";
      all = CommandSeconds(runs, convert + tail) - loadAll;
      one = CommandSeconds(runs, "MAGICK_THREAD_LIMIT=1 " + convert + tail) - loadOne;
    }
    std::printf("%-32s %10.3f %14.3f %14.3f\n", job.name, ours, all, one);
  }
  if (haveMagick) {
    std::printf("(magick: its run minus its load-only run; %s)\n", convert.c_str());
    std::filesystem::remove(input);
  } else {
    std::printf("(ImageMagick not found: no reference figures)\n");
  }
}

// The picture in the 256 colours of three bits of red, three of green and two of blue.
std::vector<uint8_t> EncodeGifOf(const CvxImageColor8& picture) {
  glintora::testing::GifRecipe recipe{picture.m_width, picture.m_height};
  for (uint32_t i = 0; i < 256; ++i) {
    recipe.palette.push_back((i >> 5) * 255 / 7 << 16 | ((i >> 2) & 7) * 255 / 7 << 8 | (i & 3) * 255 / 3);
  }
  glintora::testing::GifFrame frame{0, 0, picture.m_width, picture.m_height};
  frame.indices.reserve(static_cast<size_t>(picture.m_width) * picture.m_height);
  for (int y = 0; y < picture.m_height; ++y) {
    for (const CvxColor8* p = picture.Row(y); p != picture.Row(y) + picture.m_width; ++p) {
      frame.indices.push_back(static_cast<uint8_t>((p->Red() >> 5) << 5 | (p->Green() >> 5) << 2 | p->Blue() >> 6));
    }
  }
  recipe.frames.push_back(std::move(frame));
  return glintora::testing::EncodeGif(recipe);
}

std::vector<uint8_t> EncodePsdOf(const CvxImageColor8& picture, int compression) {
  glintora::testing::PsdRecipe recipe{picture.m_width, picture.m_height, 3, 8, 3, 1, compression};
  recipe.planes.assign(3, {});
  for (int c = 0; c < 3; ++c) {
    recipe.planes[static_cast<size_t>(c)].reserve(static_cast<size_t>(picture.m_width) * picture.m_height);
    for (int y = 0; y < picture.m_height; ++y) {
      // File channels red, green, blue are image channels 2, 1, 0.
      for (const CvxColor8* p = picture.Row(y); p != picture.Row(y) + picture.m_width; ++p) {
        recipe.planes[static_cast<size_t>(c)].push_back(p->c[2 - c]);
      }
    }
  }
  return glintora::testing::EncodePsd(recipe);
}

// Front-door decode times of the picture in the formats without a reference tool here.
void DecodeOtherFormats(int runs, const CvxImageColor8& picture, glintora::CvxImageLoader& loader,
                        const std::string& stem) {
  struct Entry {
    const char* label;
    std::string path;
    std::function<bool(const std::string&)> write;
  };
  const Entry entries[] = {
      {"gif, 256 colours", stem + ".gif",
       [&](const std::string& path) {
         glintora::testing::WriteBytes(path, EncodeGifOf(picture));
         return true;
       }},
      {"psd, 8-bit RGB raw", stem + "-raw.psd",
       [&](const std::string& path) {
         glintora::testing::WriteBytes(path, EncodePsdOf(picture, 0));
         return true;
       }},
      {"psd, 8-bit RGB run-length", stem + "-rle.psd",
       [&](const std::string& path) {
         glintora::testing::WriteBytes(path, EncodePsdOf(picture, 1));
         return true;
       }},
      {"pnm, 8-bit P6", stem + ".ppm", [&](const std::string& path) { return WritePpm(picture, path); }},
  };
  for (const Entry& entry : entries) {
    const std::string label = std::string("glintora Load (") + entry.label + ")";
    if (!entry.write(entry.path) || !loader.Load(entry.path)) {
      std::printf("%-40s %8s\n", label.c_str(), "failed");
    } else {
      const double seconds = MedianOf(runs, [&] { loader.Load(entry.path); });
      std::printf("%-40s %8.3f  (%.1f MB file)\n", label.c_str(), seconds,
                  static_cast<double>(std::filesystem::file_size(entry.path)) / 1e6);
    }
    std::filesystem::remove(entry.path);
  }
}

void DecodeSection(int runs) {
  std::printf("== decode: 4000x3000 JPEG (quality 90), median of %d runs (seconds)\n", runs);
  const auto picture = MakePicture(4000, 3000);
  const std::string path =
      (std::filesystem::temp_directory_path() / ("glintora-bench-" + std::to_string(getpid()) + ".jpg")).string();
  {
    glintora::testing::WriteBytes(path, glintora::testing::EncodeJpeg(*picture, {90}));
  }
  glintora::CvxImageLoader loader(CvxColor8{});
  const double ours = MedianOf(runs, [&] {
    if (!loader.Load(path)) std::abort();
  });
  std::printf("%-40s %8.3f\n", "glintora Load (full size)", ours);
  const double reduced = MedianOf(runs, [&] {
    if (!loader.Load(path, {.targetWidth = 1000})) std::abort();
  });
  std::printf("%-40s %8.3f\n", "glintora Load (target width 1000: 1/4)", reduced);
  if (access("/usr/bin/djpeg", X_OK) == 0) {
    const double djpeg = CommandSeconds(runs, "/usr/bin/djpeg -bmp -outfile /dev/null " + path);
    const double nosmooth = CommandSeconds(runs, "/usr/bin/djpeg -nosmooth -bmp -outfile /dev/null " + path);
    std::printf("%-40s %8.3f\n", "djpeg -bmp > /dev/null", djpeg);
    std::printf("%-40s %8.3f\n", "djpeg -nosmooth -bmp > /dev/null", nosmooth);
    std::printf("(glintora / djpeg -nosmooth: %.2f; both without fancy upsampling)\n", ours / nosmooth);
  } else {
    std::printf("(djpeg not found: no reference figures)\n");
  }
  std::filesystem::remove(path);

  for (const auto& [name, write] :
       {std::pair{"png", &glintora::testing::WritePng}, std::pair{"tif", &glintora::testing::WriteTiff}}) {
    const std::string other = path.substr(0, path.size() - 3) + name;
    if (!write(*picture, other)) continue;
    if (!loader.Load(other)) {
      std::printf("%-40s %8s\n", (std::string("glintora Load (") + name + ")").c_str(), "failed");
      std::filesystem::remove(other);
      continue;
    }
    const double seconds = MedianOf(runs, [&] { loader.Load(other); });
    std::printf("%-40s %8.3f\n", (std::string("glintora Load (") + name + ", 8-bit RGB)").c_str(), seconds);
    std::filesystem::remove(other);
  }
  DecodeOtherFormats(runs, *picture, loader, path.substr(0, path.size() - 4));

  const std::string raw = path.substr(0, path.size() - 3) + "nef";
  if (glintora::testing::WriteDng(*picture, raw) && loader.Load(raw)) {
    const double full = MedianOf(runs, [&] {
      if (!loader.Load(raw)) std::abort();
    });
    const double half = MedianOf(runs, [&] {
      if (!loader.Load(raw, {.halfSize = true})) std::abort();
    });
    std::printf("%-40s %8.3f\n", "glintora Load (nef: 16-bit CFA, full)", full);
    std::printf("%-40s %8.3f\n", "glintora Load (nef: half size)", half);
  } else {
    std::printf("%-40s %8s\n", "glintora Load (nef)", "failed");
  }
  std::filesystem::remove(raw);
}

// Processor seconds (user and system) of this process's threads, or of its waited-for children.
double ProcessorSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The formats phones and the web hand out, 4000 × 3000, made by Debian's encoders from a PNG
// of the same picture: decoded through the front door, whole and to cover a 1920 × 1080
// screen, beside the reference tool. Each run times ours and then the reference, so that
// what else the machine does weighs on both alike; processor time (all threads) is shown
// beside the wall time, being less moved by other work. The references write into /dev/null
// (through a link named for the format they choose by the name): no file is written.
// What each reference does, beside our decode to blue-green-red pixels:
//   heif-convert to y4m: libheif decodes with libde265, converts to RGB (as for us) and,
//     for y4m, back to 4:2:0 YCbCr: one conversion more than ours.
//   avifdec to y4m: dav1d's decode only, with as many threads as libheif's dav1d (one a
//     core); the YCbCr planes as decoded are written out, no conversion to RGB at all.
//   dwebp to PPM: decode and conversion to RGB, as ours.
void PhoneFormatsSection(int runs) {
  std::printf("== decode: 4000x3000 HEIC, AVIF and WebP, median of %d runs (seconds)\n", runs);
  const std::string base =
      (std::filesystem::temp_directory_path() / ("glintora-bench-" + std::to_string(getpid()))).string();
  if (!glintora::testing::WritePng(*MakePicture(4000, 3000), base + ".png")) return;
  const std::string sink = base + "-null.y4m";
  std::filesystem::remove(sink);
  std::filesystem::create_symlink("/dev/null", sink);
  struct Format {
    const char* name;
    std::string encode;
    std::string reference;
    const char* includes;
  };
  const Format formats[] = {
      {"heic", "heif-enc -q 80 " + base + ".png -o " + base + ".heic", "heif-convert " + base + ".heic " + sink,
       "heif-convert to y4m: decode, RGB, back to YCbCr"},
      {"avif", "heif-enc -A -q 80 " + base + ".png -o " + base + ".avif", "avifdec -j all " + base + ".avif " + sink,
       "avifdec -j all to y4m: decode only, no RGB"},
      {"webp", "cwebp -quiet -q 80 " + base + ".png -o " + base + ".webp",
       "dwebp -quiet " + base + ".webp -ppm -o /dev/null", "dwebp to PPM: decode and RGB"},
  };
  glintora::CvxImageLoader loader(CvxColor8{});
  const auto screen = [](glintora::ImageSize size) {
    const double s = std::min({1.0, 1920.0 / size.width, 1080.0 / size.height});
    return glintora::ImageSize{static_cast<int>(size.width * s), static_cast<int>(size.height * s)};
  };
  for (const Format& f : formats) {
    const std::string file = base + "." + f.name;
    if (std::system((f.encode + " >/dev/null 2>&1").c_str()) != 0 || !loader.Load(file)) {
      std::printf("%-40s %8s\n", f.name, "no encoder or no decode");
      continue;
    }
    const std::string reference = f.reference + " >/dev/null 2>&1";
    std::vector<double> ours, oursCpu, theirs, theirsCpu;
    bool referenceRan = true;
    for (int i = 0; i < runs; ++i) {
      double cpu = ProcessorSeconds(RUSAGE_SELF);
      ours.push_back(Seconds([&] { loader.Load(file); }));
      oursCpu.push_back(ProcessorSeconds(RUSAGE_SELF) - cpu);
      cpu = ProcessorSeconds(RUSAGE_CHILDREN);
      int status = 0;
      theirs.push_back(Seconds([&] { status = std::system(reference.c_str()); }));
      theirsCpu.push_back(ProcessorSeconds(RUSAGE_CHILDREN) - cpu);
      referenceRan = referenceRan && status == 0;
    }
    const double covering = MedianOf(runs, [&] {
      glintora::ImageSize stored;
      loader.LoadToCover(file, screen, stored);
    });
    std::printf("%-6s glintora %6.3f whole (processor %6.3f), %6.3f for 1920x1080\n", f.name, Median(ours),
                Median(oursCpu), covering);
    if (referenceRan) {
      std::printf("       reference %6.3f (processor %6.3f), %s; glintora / reference %.2f\n", Median(theirs),
                  Median(theirsCpu), f.includes, Median(ours) / Median(theirs));
    } else {
      std::printf("       reference failed: %s\n", f.reference.c_str());
    }
    std::filesystem::remove(file);
  }
  std::filesystem::remove(base + ".png");
  std::filesystem::remove(sink);
}

// Files of each format for the opens section: a small picture, so that the count is about
// recognising and decoding, not about the picture. `before` is how often the front door
// opened such a file when every loader went back to it by path (counted with strace).
struct FormatFile {
  const char* format;
  std::string path;
  int before;
};

std::vector<FormatFile> WriteFormatFiles(const std::string& stem) {
  const auto picture = MakePicture(64, 48);
  std::vector<FormatFile> files = {{"JPEG", stem + ".jpg", 3}, {"PNG", stem + ".png", 5}, {"TIFF", stem + ".tif", 6},
                                   {"GIF", stem + ".gif", 6},  {"BMP", stem + ".bmp", 3}, {"PSD", stem + ".psd", 8},
                                   {"PNM", stem + ".ppm", 7},  {"RAW (nef)", stem + ".nef", 2}};
  glintora::testing::WriteBytes(files[0].path, glintora::testing::EncodeJpeg(*picture, {90}));
  glintora::testing::WritePng(*picture, files[1].path);
  glintora::testing::WriteTiff(*picture, files[2].path);
  glintora::testing::WriteBytes(files[3].path, EncodeGifOf(*picture));
  glintora::testing::BmpRecipe bmp{picture->m_width, picture->m_height, 24};
  for (int y = 0; y < picture->m_height; ++y) {
    bmp.rows.emplace_back();
    for (const CvxColor8* p = picture->Row(y); p != picture->Row(y) + picture->m_width; ++p) {
      bmp.rows.back().push_back(uint32_t{p->Red()} << 16 | uint32_t{p->Green()} << 8 | p->Blue());
    }
  }
  glintora::testing::WriteBytes(files[4].path, glintora::testing::EncodeBmp(bmp));
  glintora::testing::WriteBytes(files[5].path, EncodePsdOf(*picture, 1));
  WritePpm(*picture, files[6].path);
  glintora::testing::WriteDng(*picture, files[7].path);
  return files;
}

// Opens counted in the process (every loader opens files through one function), on the
// first load of each file: a TIFF file's RAW test is remembered for later loads.
void OpensSection() {
  std::printf("== opens per picture through the front door (first load of each file)\n");
  std::printf("%-12s %8s %8s\n", "format", "before", "now");
  const std::string stem =
      (std::filesystem::temp_directory_path() / ("glintora-bench-opens-" + std::to_string(getpid()))).string();
  glintora::CvxImageLoader loader(CvxColor8{});
  for (const FormatFile& file : WriteFormatFiles(stem)) {
    const int64_t opensBefore = glintora::FileOpenCount();
    const bool loaded = loader.Load(file.path) != nullptr;
    const int64_t opens = glintora::FileOpenCount() - opensBefore;
    std::printf("%-12s %8d %8lld%s\n", file.format, file.before, static_cast<long long>(opens),
                loaded ? "" : "  (not loaded)");
    std::filesystem::remove(file.path);
  }
}

// Peak resident memory of `work` run in a child process of its own, in megabytes.
double PeakMegabytes(const std::function<void()>& work) {
  const pid_t child = fork();
  if (child == 0) {
    work();
    std::_Exit(0);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return -1;
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes
}

void ShowSection(int runs) {
  std::printf("== show: file due to first transition frame on 1920x1080, median of %d runs (seconds)\n", runs);
  const std::string path =
      (std::filesystem::temp_directory_path() / ("glintora-bench-show-" + std::to_string(getpid()) + ".jpg")).string();
  glintora::testing::WriteBytes(path, glintora::testing::EncodeJpeg(*MakePicture(4000, 3000), {90}));
  glintora::CvxImageLoader loader(CvxColor8{});
  glintora::FrameComposer composer;
  composer.SetGeometry(0, 0, 1920, 1080, 1920);
  const auto portrait = [&composer] { composer.Compose(MakePicture(1000, 1400)); };  // the canvas is shared
  portrait();
  const double decode = MedianOf(runs, [&] {
    if (!loader.Load(path)) std::abort();
  });
  const double reduced = MedianOf(runs, [&] {
    if (!glintora::LoadFitted(loader, composer, path)) std::abort();
  });
  const double due = MedianOf(runs, [&] {
    auto from = composer.Compose(loader.Load(path));
    if (!from || !composer.m_frame) std::abort();
    portrait();
  });
  // Decoding ahead leaves only the placing on the canvas for the moment the change is due.
  std::vector<double> placing;
  for (int i = 0; i < runs; ++i) {
    auto fitted = glintora::LoadFitted(loader, composer, path);
    placing.push_back(Seconds([&] {
      if (!composer.Place(std::move(fitted)) || !composer.m_frame) std::abort();
    }));
    portrait();
  }
  std::printf("%-44s %8.3f\n", "decode only (whole)", decode);
  std::printf("%-44s %8.3f  (%.2f of the whole decode)\n", "decode at the needed scale + fit", reduced,
              reduced / decode);
  std::printf("%-44s %8.3f\n", "due: decode + convert + fit + compose", due);
  std::printf("%-44s %8.4f\n", "due with decoding ahead: place on the canvas", Median(placing));
  // Ten changes of the show, each picture due after the last: decoded when due at its
  // stored size, or ahead on another thread at the needed scale while the last one shows.
  const double whenDue = PeakMegabytes([&] {
    for (int i = 0; i < 10; ++i) composer.Compose(loader.Load(path));
  });
  const double ahead = PeakMegabytes([&] {
    auto next = std::async(std::launch::async, [&] { return glintora::LoadFitted(loader, composer, path); });
    for (int i = 0; i < 10; ++i) {
      auto fitted = next.get();
      next = std::async(std::launch::async, [&] { return glintora::LoadFitted(loader, composer, path); });
      composer.Place(std::move(fitted));
    }
    next.get();
  });
  std::printf("peak working set of ten changes: %.0f MB decoded when due, %.0f MB decoded ahead\n", whenDue, ahead);
  std::filesystem::remove(path);

  // The same change for the formats phones write, 4000 × 3000 from Debian's encoders: decoded
  // when due, or ahead, leaving only the placing.
  const std::string png = path.substr(0, path.size() - 3) + "png";
  if (!glintora::testing::WritePng(*MakePicture(4000, 3000), png)) return;
  for (const auto& [format, encoder] : {std::pair{"heic", "heif-enc -q 80"}, std::pair{"avif", "heif-enc -A -q 80"},
                                        std::pair{"webp", "cwebp -quiet -q 80"}}) {
    const std::string file = path.substr(0, path.size() - 3) + format;
    const std::string encode = std::string(encoder) + " " + png + " -o " + file + " >/dev/null 2>&1";
    if (std::system(encode.c_str()) != 0 || !loader.Load(file)) {
      std::printf("%s: no encoder or no decode\n", format);
      continue;
    }
    const double formatDue = MedianOf(runs, [&] {
      if (!composer.Compose(loader.Load(file)) || !composer.m_frame) std::abort();
      portrait();
    });
    std::vector<double> formatPlacing;
    for (int i = 0; i < runs; ++i) {
      auto fitted = glintora::LoadFitted(loader, composer, file);
      formatPlacing.push_back(Seconds([&] {
        if (!composer.Place(std::move(fitted)) || !composer.m_frame) std::abort();
      }));
      portrait();
    }
    std::printf("%s: due %.3f decoded when due, %.4f decoded ahead (placing only)\n", format, formatDue,
                Median(formatPlacing));
    std::filesystem::remove(file);
  }
  std::filesystem::remove(png);
}

bool CountFrame(void* context) {
  ++*static_cast<int*>(context);
  return true;
}


// Frames of a transition and when the first and the last of them were on the screen.
struct FrameTimes {
  int frames = 0;
  std::chrono::steady_clock::time_point first, last;
  static bool Record(void* context) {
    auto* self = static_cast<FrameTimes*>(context);
    self->last = std::chrono::steady_clock::now();
    if (self->frames++ == 0) self->first = self->last;
    return true;
  }
};

// The 3D transitions beside the blend at 1920 × 1080. Frames per second count from the
// first frame on, after the set-up (context, texture copies and uploads), which is shown
// apart.
void GlTransitionsSection(int runs) {
  const int width = 1920;
  const int height = 1080;
  const auto oldFrame = MakePicture(width, height);
  auto newFrame = MakePicture(width, height);
  newFrame->Invert();
  CvxImageColor8 screen(width, height, true);
  glintora::MemoryDevice device(screen);
  std::unique_ptr<glintora::GlArea> probe = device.OpenGlArea();
  if (!probe || !probe->HasContext()) {
    std::printf("== 3D transitions: no off-screen OpenGL context\n");
    return;
  }
  std::printf("== 3D transitions at %dx%d on the memory device's OpenGL area, median of %d runs\n", width, height,
              runs);
  std::printf("   (off-screen Mesa, a software renderer on the processor: %s, OpenGL %s)\n",
              reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
              reinterpret_cast<const char*>(glGetString(GL_VERSION)));
  probe.reset();
  for (const auto& transition : {std::pair{"Fade in/out (0)", 0}, std::pair{"[3D] Fade in/out (91)", 91},
                                 std::pair{"[3D] Cube faces (92)", 92}, std::pair{"[3D] Tunnel Warp (99)", 99}}) {
    std::vector<double> rates, setups;
    int frames = 0;
    for (int i = 0; i < runs; ++i) {
      FrameTimes times;
      const auto start = std::chrono::steady_clock::now();
      glintora::RunTransition(device, {0, 0, width, height}, *oldFrame, *newFrame, transition.second, 0.0f,
                              &FrameTimes::Record, &times);
      frames = times.frames;
      rates.push_back((times.frames - 1) / std::chrono::duration<double>(times.last - times.first).count());
      setups.push_back(std::chrono::duration<double>(times.first - start).count());
    }
    std::printf("  %-32s %7.1f fps (%d frames; first frame after %.0f ms)\n", transition.first, Median(rates), frames,
                Median(setups) * 1000);
  }
}

void TransitionsSection(int runs) {
  std::printf("== transitions: frames per second on the memory device, median of %d runs\n", runs);
  for (const auto& size : {std::pair{1920, 1080}, std::pair{3840, 2160}}) {
    const int width = size.first;
    const int height = size.second;
    const auto oldFrame = MakePicture(width, height);
    auto newFrame = MakePicture(width, height);
    newFrame->Invert();
    CvxImageColor8 screen(width, height, true);
    // memcpy rate over a frame-sized buffer.
    const size_t frameBytes = static_cast<size_t>(newFrame->GetStride()) * height;
    std::vector<uint8_t> from(frameBytes, 1), to(frameBytes);
    const double copySeconds = MedianOf(runs, [&] {
      for (int i = 0; i < 10; ++i) std::memcpy(to.data(), from.data(), frameBytes);
    }) / 10;
    const double bytesPerSecond = static_cast<double>(frameBytes) / copySeconds;
    // The blend reads two frames and writes one, then the draw reads it and writes the
    // screen: five frame-sized streams.
    const double bound = bytesPerSecond / (2.5 * static_cast<double>(frameBytes));
    std::printf("%dx%d  (memcpy %.1f GB/s; blend bound %.0f fps)\n", width, height, bytesPerSecond / 1e9, bound);
    for (const auto& transition : {std::pair{"Fade in/out (0)", 0}, std::pair{"Circle from Center Out (76)", 76},
                                   std::pair{"Slide and Push from Left (29)", 29}}) {
      const char* name = transition.first;
      const int id = transition.second;
      // On one core, then in row bands on every core.
      double fps[2] = {};
      int frames = 0;
      for (int pass = 0; pass < 2; ++pass) {
        glintora::TransitionOptions options;
        options.bands = pass == 0 ? 1 : 0;
        glintora::MemoryDevice device(screen, options.bands);
        const double seconds = MedianOf(runs, [&] {
          frames = 0;
          glintora::RunTransition(device, {0, 0, width, height}, *oldFrame, *newFrame, id, 0.0f, &CountFrame, &frames,
                                  options);
        });
        fps[pass] = frames / seconds;
      }
      std::printf("  %-32s %7.1f fps on one core, %7.1f on %u (%.2fx)\n", name, fps[0], fps[1],
                  std::thread::hardware_concurrency(), fps[1] / fps[0]);
    }
  }
}

// Two 3840 × 2160 monitors, each with its own show. Their changes are staggered, so mostly one
// transition runs at a time; where a transition outlasts the share of the delay between two
// monitors' turns, both run at once, each in row bands on every core.
void MonitorsSection(int runs) {
  constexpr int kWidth = 3840;
  constexpr int kHeight = 2160;
  std::printf("== two %dx%d monitors: frames per second of each show's transition, median of %d runs\n", kWidth,
              kHeight, runs);
  const auto oldFrame = MakePicture(kWidth, kHeight);
  auto newFrame = MakePicture(kWidth, kHeight);
  newFrame->Invert();
  CvxImageColor8 left(kWidth, kHeight, true), right(kWidth, kHeight, true);
  glintora::MemoryDevice leftDevice(left, 0), rightDevice(right, 0);
  for (const auto& transition : {std::pair{"Fade in/out (0)", 0}, std::pair{"Circle from Center Out (76)", 76},
                                 std::pair{"Slide and Push from Left (29)", 29}}) {
    const auto run = [&](glintora::MemoryDevice& device, int& frames) {
      frames = 0;
      glintora::RunTransition(device, {0, 0, kWidth, kHeight}, *oldFrame, *newFrame, transition.second, 0.0f,
                              &CountFrame, &frames);
    };
    int frames = 0, otherFrames = 0;
    const double alone = MedianOf(runs, [&] { run(leftDevice, frames); });
    const double aloneFps = frames / alone;
    double slower = 0;
    const double together = MedianOf(runs, [&] {
      double otherSeconds = 0;
      std::thread other([&] { otherSeconds = Seconds([&] { run(rightDevice, otherFrames); }); });
      const double seconds = Seconds([&] { run(leftDevice, frames); });
      other.join();
      slower = std::max(seconds, otherSeconds);
    });
    (void)together;
    std::printf("  %-32s %7.1f fps one at a time, %7.1f each when both change at once\n", transition.first, aloneFps,
                frames / slower);
  }
}

// The movie window's per-frame work at 1920 × 1080: a decoder's NV12 (or 32-bit) sample turned
// into the frame it paints, beside copying the frame's bytes once; and one frame encoded as
// JPEG, as saving a selection does for each frame.
void MovieSection(int runs) {
  constexpr int kWidth = 1920;
  constexpr int kHeight = 1080;
  std::printf("== movie frames %dx%d, median of %d runs of 10\n", kWidth, kHeight, runs);
  std::vector<uint8_t> nv12(static_cast<size_t>(kWidth) * kHeight * 3 / 2);
  for (size_t i = 0; i < nv12.size(); ++i) nv12[i] = static_cast<uint8_t>(i * 7 + i / kWidth);
  std::vector<uint8_t> rgb32(static_cast<size_t>(kWidth) * kHeight * 4);
  for (size_t i = 0; i < rgb32.size(); ++i) rgb32[i] = static_cast<uint8_t>(i * 5 + i / kWidth);
  glintora::VideoFrame frame;
  const auto perFrame = [&](const std::function<void()>& work) {
    return MedianOf(runs, [&] {
      for (int i = 0; i < 10; ++i) work();
    }) / 10 * 1000;
  };
  const double fromNv12 = perFrame([&] {
    glintora::ConvertVideoFrame(glintora::ReaderPixelLayout::Nv12, nv12.data(), nv12.size(), kWidth, kHeight, kWidth,
                                kHeight, frame);
  });
  const double fromRgb32 = perFrame([&] {
    glintora::ConvertVideoFrame(glintora::ReaderPixelLayout::Rgb32, rgb32.data(), rgb32.size(), kWidth, kHeight,
                                kWidth * 4, kHeight, frame);
  });
  std::vector<uint8_t> copy(rgb32.size());
  const double copied = perFrame([&] { std::memcpy(copy.data(), rgb32.data(), rgb32.size()); });
  std::printf("  NV12 to frame    %6.2f ms\n  32-bit to frame  %6.2f ms\n  memcpy of a frame %5.2f ms\n", fromNv12,
              fromRgb32, copied);
  size_t jpegBytes = 0;
  const double encoded = MedianOf(runs, [&] { jpegBytes = glintora::EncodeJpegFrame(frame, 90).size(); }) * 1000;
  std::printf("  JPEG of a frame  %6.2f ms (%zu bytes)\n", encoded, jpegBytes);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  int runs = 5;
  std::vector<std::string> sections;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      sections.emplace_back(argv[i]);
    }
  }
  auto wanted = [&](const char* name) {
    return sections.empty() || std::find(sections.begin(), sections.end(), name) != sections.end();
  };
  if (wanted("opens")) OpensSection();
  if (wanted("decode")) DecodeSection(runs);
  if (wanted("show")) ShowSection(runs);
  if (wanted("transitions")) {
    TransitionsSection(runs);
    GlTransitionsSection(runs);
  }
  if (wanted("resize")) ResizeSection(runs);
  if (wanted("movie")) MovieSection(runs);
  if (wanted("monitors")) MonitorsSection(runs);
  if (wanted("phones")) PhoneFormatsSection(runs);
  return 0;
}
