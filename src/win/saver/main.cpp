// Entry point of glintora.scr.

#include <windows.h>

#include "win/saver/saver_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
  glintora::CSaverApp app;
  return glintora::RunApplication(app, instance);
}
