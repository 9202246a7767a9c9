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

void ServeMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
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
    // Messages are served while waiting: a preview's window is a child of a window of this
    // thread, and its creation waits for this thread's answers.
    if (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) break;
    ServeMessages();
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

SaverProcess::SaverProcess(const std::string& program, const std::string& arguments) {
  std::string line = "\"" + program + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    CloseHandle(process.hThread);
    m_process = process.hProcess;
    m_processId = process.dwProcessId;
  }
}

SaverProcess::~SaverProcess() {
  if (!m_process) return;
  if (WaitForSingleObject(m_process, 0) != WAIT_OBJECT_0) {
    TerminateProcess(m_process, 255);
    WaitForSingleObject(m_process, 5000);
  }
  CloseHandle(m_process);
}

HWND SaverProcess::WaitForWindow(DWORD limitMs) {
  struct Search {
    DWORD processId;
    HWND found;
  } search{m_processId, nullptr};
  const DWORD begin = GetTickCount();
  while (m_process && GetTickCount() - begin <= limitMs) {
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
          auto* s = reinterpret_cast<Search*>(context);
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          if (owner != s->processId || !IsWindowVisible(window)) return TRUE;
          s->found = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (MsgWaitForMultipleObjects(1, &m_process, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) break;
    ServeMessages();
  }
  return nullptr;
}

bool SaverProcess::WaitForExit(DWORD limitMs, DWORD* exitCode) {
  if (!m_process) return false;
  const DWORD begin = GetTickCount();
  for (;;) {
    const DWORD waited = GetTickCount() - begin;
    const DWORD left = waited >= limitMs ? 0 : limitMs - waited;
    if (MsgWaitForMultipleObjects(1, &m_process, FALSE, left < 50 ? left : 50, QS_ALLINPUT) == WAIT_OBJECT_0) break;
    ServeMessages();
    if (waited >= limitMs) return false;
  }
  if (exitCode) GetExitCodeProcess(m_process, exitCode);
  return true;
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
