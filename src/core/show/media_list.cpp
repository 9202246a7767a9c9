#include "core/show/media_list.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/base/file_system.h"
#include "core/base/random.h"
#include "core/base/text.h"

namespace glintora {
namespace {

constexpr std::array<std::string_view, 12> kPictureExtensions = {
    ".jpg", ".jpeg", ".tif", ".tiff", ".png", ".gif", ".bmp", ".heic", ".heif", ".hif", ".avif", ".webp"};
constexpr std::array<std::string_view, 5> kMovieExtensions = {".avi", ".mov", ".mp4", ".m4v", ".3gp"};

template <size_t N>
bool HasExtension(const std::string& path, const std::array<std::string_view, N>& extensions) {
  const std::string lower = ToLowerAscii(PathExtension(path));
  return std::find(extensions.begin(), extensions.end(), lower) != extensions.end();
}

}  // namespace

void MediaList::ScanFolder(const FileSystem& fs, std::string folder, std::vector<std::string>& files,
                           bool recursive, std::vector<int64_t>* created) {
  for (const FindEntry& entry : fs.FindFiles(folder + "\\*.*")) {
    if (entry.name == "." || entry.name == "..") continue;
    std::string path = folder + "\\" + entry.name;
    if (!entry.isDirectory) {
      files.push_back(std::move(path));
      if (created) created->push_back(entry.created);
    } else if (recursive) {
      ScanFolder(fs, std::move(path), files, recursive, created);
    }
  }
}

bool MediaList::IsMovie(const std::string& path, bool playMovies) {
  return playMovies && HasExtension(path, kMovieExtensions);
}

bool MediaList::IsPicture(const std::string& path) { return HasExtension(path, kPictureExtensions); }

bool MediaList::Build(const FileSystem& fs, const std::string& directory, bool recursive, bool playMovies,
                      bool random) {
  m_playMovies = playMovies;
  m_random = random;
  m_files.clear();
  m_order.clear();
  m_orderPos = 0;
  m_current = 0;
  m_cycle.reset();
  std::vector<int64_t> created;
  ScanFolder(fs, directory, m_files, recursive, &created);
  // Keeps what is shown, with each kept file's creation time beside it.
  size_t kept = 0;
  for (size_t i = 0; i < m_files.size(); ++i) {
    if (!IsPicture(m_files[i]) && !IsMovie(m_files[i])) continue;
    if (kept != i) {
      m_files[kept] = std::move(m_files[i]);
      created[kept] = created[i];
    }
    ++kept;
  }
  m_files.resize(kept);
  created.resize(kept);
  if (m_files.empty()) return false;
  if (m_random && m_cycleClock) {
    std::vector<CycleItem> items(m_files.size());
    for (size_t i = 0; i < items.size(); ++i) items[i] = {PathDigest(m_files[i]), created[i]};
    m_cycle.emplace(std::move(items), FolderDigest(directory), m_storedCycle, *m_cycleClock);
  }
  if (m_random) Advance();
  return true;
}

void MediaList::ContinueShuffle(std::optional<CycleState> stored, const Clock& clock) {
  m_storedCycle = stored;
  m_cycleClock = &clock;
}

void MediaList::BuildShuffle() {
  const size_t n = m_files.size();
  m_order.resize(n);
  for (size_t i = 0; i < n; ++i) m_order[i] = static_cast<int>(i);
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t k = 0; k < n; ++k) {
      const size_t r = static_cast<unsigned>(NextRandom()) % n;
      std::swap(m_order[k], m_order[r]);
    }
  }
  m_orderPos = 0;
}

std::vector<size_t> MediaList::Upcoming(size_t count) const {
  std::vector<size_t> next;
  if (m_files.empty()) return next;
  if (!m_random) {
    count = std::min(count, m_files.size());
    for (size_t k = 1; k <= count; ++k) next.push_back((m_current + k) % m_files.size());
    return next;
  }
  if (m_cycle) return m_cycle->Upcoming(count);
  for (size_t pos = m_orderPos + 1; pos < m_order.size() && next.size() < count; ++pos) {
    next.push_back(static_cast<size_t>(m_order[pos]));
  }
  return next;
}

void MediaList::Advance() {
  if (m_files.empty()) return;
  if (!m_random) {
    if (++m_current >= m_files.size()) m_current = 0;
    return;
  }
  if (m_cycle) {
    m_current = m_cycle->Next();
    return;
  }
  if (m_order.empty() || ++m_orderPos >= m_order.size()) BuildShuffle();
  m_current = static_cast<size_t>(m_order[m_orderPos]);
}

}  // namespace glintora
