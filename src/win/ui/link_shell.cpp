#include "win/ui/link_shell.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <vector>

#include "win/platform/com_initialisation.h"
#include "win/platform/handles.h"

namespace glintora {
namespace {

// The longest command line the system runs.
constexpr size_t kCommandLineCapacity = 32767;
// The longest registry text read here.
constexpr DWORD kRegistryTextCapacity = 4096;

class SystemShell final : public LinkShell {
 public:
  int Open(const std::string& target) override {
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOW));
    return static_cast<int>(result);
  }
  std::optional<std::string> WebPageOpenCommand() override {
    const std::optional<std::string> type = RegistryDefaultText(HKEY_CLASSES_ROOT, ".htm");
    if (!type) return std::nullopt;
    return RegistryDefaultText(HKEY_CLASSES_ROOT, *type + "\\shell\\open\\command");
  }
  int Run(const std::string& commandLine) override { return static_cast<int>(WinExec(commandLine.c_str(), SW_SHOW)); }
};

}  // namespace

std::optional<std::string> RegistryDefaultText(HKEY root, const std::string& path) {
  RegistryKey key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) return std::nullopt;
  std::vector<char> text(kRegistryTextCapacity + 1, '\0');
  DWORD type = 0;
  DWORD size = kRegistryTextCapacity;
  const LONG result =
      RegQueryValueExA(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
  std::string value(text.data(), strnlen(text.data(), size));  // the data need not end in a zero
  if (type == REG_EXPAND_SZ && !value.empty()) {
    // Such a command names its program through variables such as %ProgramFiles%.
    const DWORD needed = ExpandEnvironmentStringsA(value.c_str(), nullptr, 0);
    if (needed == 0 || needed > kCommandLineCapacity + 1) return std::nullopt;
    std::vector<char> expanded(needed, '\0');
    const DWORD written = ExpandEnvironmentStringsA(value.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) return std::nullopt;
    value = expanded.data();
  }
  if (value.empty()) return std::nullopt;
  return value;
}

LinkShell& SystemLinkShell() {
  static SystemShell shell;
  return shell;
}

std::string BrowserCommandLine(const std::string& openCommand, const std::string& target) {
  size_t cut = openCommand.find("\"%1\"");
  if (cut == std::string::npos) cut = openCommand.find("%1");
  std::string line = openCommand.substr(0, cut);
  // The target in quotes; a quote inside it could end them, so it is written as %22.
  line += " \"";
  for (char c : target) {
    if (c == '"') {
      line += "%22";
    } else {
      line += c;
    }
  }
  line += '"';
  return line;
}

LinkOpenResult OpenLinkTarget(LinkShell& shell, const std::string& target) {
  // The shell's open may hand the target to extensions that are COM objects, some of which
  // need a single-threaded apartment; without an old DDE conversation.
  const ComInitialisation com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const int opened = shell.Open(target);
  if (opened > 32) return {true, opened};
  const std::optional<std::string> command = shell.WebPageOpenCommand();
  if (!command) return {false, opened};
  const std::string line = BrowserCommandLine(*command, target);
  if (line.size() > kCommandLineCapacity) return {false, 0};
  const int ran = shell.Run(line);
  return {ran > 31, ran};
}

std::string LinkErrorMessage(int code) {
  struct Known {
    int code;
    const char* text;
  };
  static const Known kKnown[] = {
      {0, "The operating system is out\nof memory or resources."},
      {2, "The specified file was not found."},
      {3, "The specified path was not found."},
      {5, "The operating system denied\naccess to the specified file."},
      {8, "There was not enough memory to complete the operation."},
      {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
      {26, "A sharing violation occurred. "},
      {27, "The filename association is\nincomplete or invalid."},
      {28, "The DDE transaction could not\nbe completed because the request timed out."},
      {29, "The DDE transaction failed."},
      {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
      {31, "There is no application associated\nwith the given filename extension."},
      {32, "The specified dynamic-link library was not found."},
  };
  std::string message = "Can't open link:\n\n";
  for (const Known& known : kKnown) {
    if (known.code == code) return message + known.text;
  }
  char unknown[64];
  std::snprintf(unknown, sizeof unknown, "Unknown Error (%d) occurred.", code);
  return message + unknown;
}

}  // namespace glintora
