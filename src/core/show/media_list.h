#pragma once
// The list of media files a slide-show window shows, built once from the configured folder,
// and the order it is walked in: list order with wrap-around, or shuffled cycles in which
// every item comes once.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/show/shuffle_cycle.h"

namespace glintora {

class Clock;
class FileSystem;

class MediaList {
 public:
  // Appends the full path of every file below `folder` in find-first/find-next order, walking
  // subfolders depth first where they are met when `recursive` is set. Hidden and system
  // files are included. With `created`, each file's creation time is appended there too.
  static void ScanFolder(const FileSystem& fs, std::string folder, std::vector<std::string>& files, bool recursive,
                         std::vector<int64_t>* created = nullptr);

  // True for ".avi", ".mov" and the phone videos ".mp4", ".m4v" and ".3gp" in any case, when
  // movies are played.
  static bool IsMovie(const std::string& path, bool playMovies);
  // True for the picture extensions in any case: the seven classic ones, and the HEIF
  // (".heic", ".heif", ".hif", ".avif") and WebP ones.
  static bool IsPicture(const std::string& path);

  // Scans `directory`, keeps pictures and (when `playMovies`) movies, and selects the first
  // item: the first of a new shuffled cycle when `random`, else the first in the list.
  // Returns false when nothing is left to show.
  bool Build(const FileSystem& fs, const std::string& directory, bool recursive, bool playMovies, bool random);

  // Asked before Build: shuffled, the list walks one cycle across runs (ShuffleCycle),
  // continuing `stored` (what an earlier run left, or nothing), rather than drawing a new
  // permutation at every start. `clock` dates and keys the cycles it begins; it must outlive
  // the list.
  void ContinueShuffle(std::optional<CycleState> stored, const Clock& clock);
  // Where the cycle across runs has got; null unless the list walks one.
  const CycleState* CycleProgress() const { return m_cycle ? &m_cycle->State() : nullptr; }

  // Moves to the next item to show.
  void Advance();
  // The indices (into Files()) that the next Advance calls reach, at most `count` of them,
  // as far as they are known without drawing a new shuffle: in list order up to one round,
  // shuffled up to the end of the current cycle.
  std::vector<size_t> Upcoming(size_t count) const;
  // Draws a new permutation of the items and selects its first position.
  void BuildShuffle();

  bool IsMovie(const std::string& path) const { return IsMovie(path, m_playMovies); }
  bool Empty() const { return m_files.empty(); }
  size_t Size() const { return m_files.size(); }
  // The item being shown; the list must not be empty.
  const std::string& Current() const { return m_files[m_current]; }
  size_t CurrentIndex() const { return m_current; }
  const std::vector<std::string>& Files() const { return m_files; }
  // The current shuffled cycle: position → index into Files(); empty in list order and while
  // the list walks a cycle across runs.
  const std::vector<int>& Order() const { return m_order; }

 private:
  std::vector<std::string> m_files;  // full paths in discovery order
  size_t m_current = 0;              // index of the item being shown
  std::vector<int> m_order;          // one permutation of 0..n-1 while shuffled
  size_t m_orderPos = 0;             // position in m_order
  bool m_playMovies = true;
  bool m_random = true;
  // The cycle across runs, when asked for (ContinueShuffle) and shuffled.
  std::optional<CycleState> m_storedCycle;
  const Clock* m_cycleClock = nullptr;
  std::optional<ShuffleCycle> m_cycle;
};

}  // namespace glintora
