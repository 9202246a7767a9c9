#pragma once
// The screen saver's application object: reads the command line and performs its mode.

#include "core/app/command_line.h"
#include "win/framework/win_app.h"

namespace glintora {

class CSaverApp final : public CWinApp {
 public:
  BOOL InitInstance() override;
  // The framework's loop; an exception escaping it ends the application with code 0.
  int Run() override;

  // Classifies GetCommandLineA(); `window` receives the handle the switch names.
  static SaverMode ParseCommandLine(HWND* window);
  // Shows the options dialog modally; the handle is accepted and not used.
  void RunOptionsDialog(HWND window);
  // Asks the system to change the screen-saver password, where it lets the saver do so.
  static void ChangePassword(HWND window);

 private:
  // The preview: a slide-show child filling `parent`'s client area.
  BOOL OpenPreview(HWND parent);
  // The full-screen saver window.
  BOOL OpenFullScreen();
  static void DiscardWindow(class CDrawWnd* window);
};

}  // namespace glintora
