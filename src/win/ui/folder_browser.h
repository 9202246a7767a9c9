#pragma once
// Choosing a folder: the system's folder browser behind a seam that tests replace.

#include <windows.h>

#include <shlobj.h>

#include <optional>
#include <string>

namespace glintora {

struct FolderBrowseRequest {
  HWND owner = nullptr;
  std::string title;          // shown above the folder tree
  UINT flags = 0;             // the browser's BIF_ flags
  std::string initialFolder;  // selected when the browser opens
};

class FolderBrowser {
 public:
  virtual ~FolderBrowser() = default;
  // The chosen folder's path, or nothing when the user cancelled or the browser could not
  // start. A chosen item whose path the show cannot use (see FolderPathOfItem) gives an empty
  // path.
  virtual std::optional<std::string> Browse(const FolderBrowseRequest& request) = 0;
};

// The longest folder path the show can use, in characters of the program's narrow encoding:
// its file functions take fewer than MAX_PATH, and the folder gets a backslash at its end.
inline constexpr size_t kLongestFolderPath = MAX_PATH - 2;

// The file-system path of the shell item `item` in the program's narrow encoding; empty when
// the item has none, or when its path is longer than kLongestFolderPath or has characters
// that encoding cannot write (refused, never cut or changed).
std::string FolderPathOfItem(PCIDLIST_ABSOLUTE item);

// The shell's folder browser.
FolderBrowser& SystemFolderBrowser();

}  // namespace glintora
