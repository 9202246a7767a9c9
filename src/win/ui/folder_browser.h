#pragma once
// Choosing a folder: the system's folder browser behind a seam that tests replace.

#include <windows.h>

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
  // start. A chosen item without a file-system path gives an empty path.
  virtual std::optional<std::string> Browse(const FolderBrowseRequest& request) = 0;
};

// The shell's folder browser.
FolderBrowser& SystemFolderBrowser();

}  // namespace glintora
