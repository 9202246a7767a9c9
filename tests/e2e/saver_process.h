#pragma once
// Starts the real glintora.scr with a command line and watches it: its exit code, the
// windows it shows and how long it ran.

#include <windows.h>

#include <string>
#include <vector>

namespace glintora::e2e {

// How long the tests wait for the saver to show something, to react or to end: generous,
// since Wine may take seconds to start a program or to let a window go.
inline constexpr DWORD kSaverWaitMs = 10000;

struct SaverRun {
  bool started = false;
  bool timedOut = false;    // still running at the limit; it was then ended
  DWORD exitCode = 0;
  DWORD milliseconds = 0;
  std::vector<std::string> windowTitles;  // visible top-level windows it showed
};

// The saver's path in the Windows form.
std::string SaverPath();

// Runs `program` with `arguments` (the command line is the quoted program followed by a
// space and the arguments, or `commandLine` verbatim when given) and waits up to `limitMs`.
SaverRun RunSaver(const std::string& program, const std::string& arguments, DWORD limitMs = 20000,
                  const std::string* commandLine = nullptr);

// A saver started in the background, for tests that look at its windows and give it input.
class SaverProcess {
 public:
  SaverProcess(const std::string& program, const std::string& arguments);
  ~SaverProcess();  // ends the process if it still runs
  SaverProcess(const SaverProcess&) = delete;
  SaverProcess& operator=(const SaverProcess&) = delete;

  bool Started() const { return m_process != nullptr; }
  DWORD ProcessId() const { return m_processId; }
  // Its first visible top-level window, waiting up to `limitMs`; null if none appeared.
  HWND WaitForWindow(DWORD limitMs);
  // True when it ended within `limitMs`; `exitCode` then holds its code.
  bool WaitForExit(DWORD limitMs, DWORD* exitCode = nullptr);

 private:
  HANDLE m_process = nullptr;
  DWORD m_processId = 0;
};

// Every value name and data under a key of the current user, as one comparable text;
// empty when the key is missing.
std::string DumpKey(const std::string& keyPath);

}  // namespace glintora::e2e
