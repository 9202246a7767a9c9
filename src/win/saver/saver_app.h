#pragma once
// The screen saver's application object: reads the command line and performs its mode.

#include <windows.h>

#include <optional>

#include "core/app/command_line.h"
#include "core/show/item_dealer.h"
#include "core/show/media_list.h"
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
  // The full-screen saver: a window over every monitor, the primary's first; a show on each
  // with "All Monitors", else on the primary only and the others black.
  BOOL OpenFullScreen();
  // Covers monitor `k` of the run beside `primary`: a show dealt from the shared list when
  // there is one, else black.
  void CoverMonitor(class CglintoraWnd& primary, const RECT& monitor, size_t k, size_t shows);
  static void DiscardWindow(class CDrawWnd* window);

  // The items every monitor's show is dealt from, when there are several; they outlive the
  // windows, which all end before Run returns.
  MediaList m_sharedList;
  std::optional<ItemDealer> m_dealer;
};

}  // namespace glintora
