#include "win/ui/folder_browser.h"

#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>

#include <vector>

namespace glintora {
namespace {

// Selects the requested folder once the browser has started.
int CALLBACK SelectInitialFolder(HWND browser, UINT message, LPARAM, LPARAM folder) {
  if (message == BFFM_INITIALIZED && folder) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, folder);
  return 0;
}

// The path of a shell item in the program's narrow encoding, without a length limit of
// its own; empty when the item is not in the file system.
std::string ItemPath(PCIDLIST_ABSOLUTE item) {
  wchar_t wide[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(item, wide)) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::vector<char> narrow(static_cast<size_t>(size));
  WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow.data(), size, nullptr, nullptr);
  return std::string(narrow.data());
}

class ShellFolderBrowser final : public FolderBrowser {
 public:
  std::optional<std::string> Browse(const FolderBrowseRequest& request) override {
    // The browser's newer style needs the thread in a single-threaded apartment.
    const HRESULT ole = OleInitialize(nullptr);
    std::optional<std::string> chosen;
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
      char displayName[MAX_PATH] = {};
      BROWSEINFOA info{};
      info.hwndOwner = request.owner;
      info.pszDisplayName = displayName;
      info.lpszTitle = request.title.c_str();
      info.ulFlags = request.flags;
      info.lpfn = &SelectInitialFolder;
      info.lParam = reinterpret_cast<LPARAM>(request.initialFolder.c_str());
      if (PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info)) {
        chosen = ItemPath(item);
        allocator->Free(item);
      }
      allocator->Release();
    }
    if (SUCCEEDED(ole)) OleUninitialize();
    return chosen;
  }
};

}  // namespace

FolderBrowser& SystemFolderBrowser() {
  static ShellFolderBrowser browser;
  return browser;
}

}  // namespace glintora
