#include "win/framework/message_box.h"

#include "win/framework/win_app.h"

namespace glintora {
namespace {

// The process's one replacement; message boxes are shown from the user-interface thread.
struct MessageBoxSeam {
  MessageBoxFunction replacement;
};

MessageBoxSeam& Seam() {
  static MessageBoxSeam seam;
  return seam;
}

int SystemMessageBox(HWND owner, const std::string& text, UINT type) {
  const CWinApp* app = AfxGetApp();
  const std::string caption = app ? app->AppName() : std::string();
  return MessageBoxA(owner, text.c_str(), caption.empty() ? nullptr : caption.c_str(), type);
}

}  // namespace

MessageBoxFunction ReplaceMessageBox(MessageBoxFunction function) {
  MessageBoxFunction previous = std::move(Seam().replacement);
  Seam().replacement = std::move(function);
  return previous;
}

int ShowMessageBox(HWND owner, const std::string& text, UINT type) {
  const MessageBoxSeam& seam = Seam();
  return seam.replacement ? seam.replacement(owner, text, type) : SystemMessageBox(owner, text, type);
}

}  // namespace glintora
