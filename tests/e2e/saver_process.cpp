#include "saver_process.h"

#include <algorithm>

namespace glintora::e2e {
namespace {

struct WindowSearch {
  DWORD processId;
  std::vector<std::string>* titles;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window)) {
    char title[256] = {};
    GetWindowTextA(window, title, sizeof title);
    const std::string text = std::string("\"") + title + "\"";
    if (std::find(search->titles->begin(), search->titles->end(), text) == search->titles->end()) {
      search->titles->push_back(text);
    }
  }
  return TRUE;
}

}  // namespace

std::string SaverPath() {
  std::string path = "Z:" GLINTORA_SCR_PATH;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

SaverRun RunSaver(const std::string& program, const std::string& arguments, DWORD limitMs,
                  const std::string* commandLine) {
  SaverRun run;
  std::string line = commandLine ? *commandLine : "\"" + program + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const DWORD begin = GetTickCount();
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return run;
  }
  run.started = true;
  WindowSearch search{process.dwProcessId, &run.windowTitles};
  for (;;) {
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) break;
    if (GetTickCount() - begin > limitMs) {
      run.timedOut = true;
      TerminateProcess(process.hProcess, 255);
      WaitForSingleObject(process.hProcess, 5000);
      break;
    }
  }
  run.milliseconds = GetTickCount() - begin;
  GetExitCodeProcess(process.hProcess, &run.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return run;
}

std::string DumpKey(const std::string& keyPath) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  std::string dump = "[key]";
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameSize = sizeof name;
    BYTE data[4096];
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    dump += std::string(name, nameSize) + "=" + std::to_string(type) + ":" +
            std::string(reinterpret_cast<char*>(data), dataSize) + ";";
  }
  RegCloseKey(key);
  return dump;
}

}  // namespace glintora::e2e
