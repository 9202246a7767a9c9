#pragma once
// Starts the real glintora.scr with a command line and watches it: its exit code, the
// windows it shows and how long it ran.

#include <windows.h>

#include <string>
#include <vector>

namespace glintora::e2e {

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

// Every value name and data under a key of the current user, as one comparable text;
// empty when the key is missing.
std::string DumpKey(const std::string& keyPath);

}  // namespace glintora::e2e
