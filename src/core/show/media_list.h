#pragma once
// The list of media files a slide-show window shows, built once from the configured folder,
// and the order it is walked in: list order with wrap-around, or shuffled cycles in which
// every item comes once.

#include <string>
#include <vector>

namespace glintora {

class FileSystem;

class MediaList {
 public:
  // Appends the full path of every file below `folder` in find-first/find-next order, walking
  // subfolders depth first where they are met when `recursive` is set. Hidden and system
  // files are included.
  static void ScanFolder(const FileSystem& fs, std::string folder, std::vector<std::string>& files, bool recursive);

  // True for ".avi" and ".mov" in any case, when movies are played.
  static bool IsMovie(const std::string& path, bool playMovies);
  // True for the seven picture extensions in any case.
  static bool IsPicture(const std::string& path);

  // Scans `directory`, keeps pictures and (when `playMovies`) movies, and selects the first
  // item: the first of a new shuffled cycle when `random`, else the first in the list.
  // Returns false when nothing is left to show.
  bool Build(const FileSystem& fs, const std::string& directory, bool recursive, bool playMovies, bool random);

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
  // The current shuffled cycle: position → index into Files(); empty in list order.
  const std::vector<int>& Order() const { return m_order; }

 private:
  std::vector<std::string> m_files;  // full paths in discovery order
  size_t m_current = 0;              // index of the item being shown
  std::vector<int> m_order;          // one permutation of 0..n-1 while shuffled
  size_t m_orderPos = 0;             // position in m_order
  bool m_playMovies = true;
  bool m_random = true;
};

}  // namespace glintora
