#pragma once
// Opening a link's target: the system's "open" of the target, and when that fails the
// browser command registered for web pages run with the target. The system services sit
// behind LinkShell so that tests can stand in for them.

#include <windows.h>

#include <optional>
#include <string>

namespace glintora {

class LinkShell {
 public:
  virtual ~LinkShell() = default;
  // The shell's "open" of `target`, shown normally; its result: above 32 when it opened.
  virtual int Open(const std::string& target) = 0;
  // The open command of the class that ".htm" files belong to, or nothing.
  virtual std::optional<std::string> WebPageOpenCommand() = 0;
  // Runs `commandLine` shown normally; above 31 when it ran, else the error code.
  virtual int Run(const std::string& commandLine) = 0;
};

// The real shell and registry.
LinkShell& SystemLinkShell();

struct LinkOpenResult {
  bool opened = false;
  int code = 0;  // the last attempt's result: what the error message names
};

// Opens `target` through `shell`: the shell's open, else the web page command. The calling
// thread has COM initialised (apartment-threaded, unless it already is multi-threaded) while
// the shell is at work, and as before afterwards.
LinkOpenResult OpenLinkTarget(LinkShell& shell, const std::string& target);

// The web page command with its placeholder for the file ("%1", quoted or not) cut off and
// the target appended in quotes.
std::string BrowserCommandLine(const std::string& openCommand, const std::string& target);

// The default value of `root`\`path` when it is text: a REG_EXPAND_SZ value with its
// environment variables expanded. Nothing when there is none, it is empty or too long.
std::optional<std::string> RegistryDefaultText(HKEY root, const std::string& path);

// "Can't open link:\n\n" and the text for the error `code`.
std::string LinkErrorMessage(int code);

}  // namespace glintora
