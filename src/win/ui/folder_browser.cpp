#include "win/ui/folder_browser.h"

#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>

#include "win/platform/handles.h"

namespace glintora {
namespace {

// Selects the requested folder once the browser has started.
int CALLBACK SelectInitialFolder(HWND browser, UINT message, LPARAM, LPARAM folder) {
  if (message == BFFM_INITIALIZED && folder) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, folder);
  return 0;
}

// `wide` in the program's narrow encoding when that writes it exactly and it is not longer
// than kLongestFolderPath; else empty.
std::string NarrowFolderPath(const wchar_t* wide) {
  // A character the code page lacks would come out as another one, naming another folder. A
  // UTF-8 code page has every character, and takes neither the flag nor the question.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL replaced = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, flags, wide, -1, nullptr, 0, nullptr, utf8 ? nullptr : &replaced);
  if (size <= 1 || replaced || static_cast<size_t>(size - 1) > kLongestFolderPath) return {};
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide, -1, narrow.data(), size, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(size - 1));
  return narrow;
}

class ShellFolderBrowser final : public FolderBrowser {
 public:
  std::optional<std::string> Browse(const FolderBrowseRequest& request) override {
    // The browser's newer style needs the thread in a single-threaded apartment.
    const OleInitialisation ole;
    std::optional<std::string> chosen;
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
      // The browser writes the chosen item's name for display here, MAX_PATH at most by its
      // interface; the path is asked for apart.
      char displayName[MAX_PATH] = {};
      BROWSEINFOA info{};
      info.hwndOwner = request.owner;
      info.pszDisplayName = displayName;
      info.lpszTitle = request.title.c_str();
      info.ulFlags = request.flags;
      info.lpfn = &SelectInitialFolder;
      info.lParam = reinterpret_cast<LPARAM>(request.initialFolder.c_str());
      if (PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info)) {
        chosen = FolderPathOfItem(item);
        allocator->Free(item);
      }
      allocator->Release();
    }
    return chosen;
  }
};

}  // namespace

std::string FolderPathOfItem(PCIDLIST_ABSOLUTE item) {
  // The item's whole path, however long: the shell's MAX_PATH buffer would refuse or cut it.
  PWSTR wide = nullptr;
  if (FAILED(SHGetNameFromIDList(item, SIGDN_FILESYSPATH, &wide)) || !wide) return {};
  std::string path = NarrowFolderPath(wide);
  CoTaskMemFree(wide);
  return path;
}

FolderBrowser& SystemFolderBrowser() {
  static ShellFolderBrowser browser;
  return browser;
}

}  // namespace glintora
