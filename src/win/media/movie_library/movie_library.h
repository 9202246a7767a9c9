#pragma once
// The process's binding to the movie library, the system's Media Foundation: "mfplat.dll"
// (start-up, shut-down, attribute stores, media types) and "mfreadwrite.dll" (the source
// reader), loaded at run time so that the saver starts without them. Each entry point below
// answers kLibraryNotLoaded and does nothing while the library is not loaded.

#include <windows.h>
// The interfaces the entry points hand out.
#include <mfidl.h>
#include <mfreadwrite.h>

#include <optional>
#include <string>

#include "core/media/library_binding.h"

namespace glintora {

// The real system: modules of the process, the system folder, and the named mutex of the
// process that serialises start-up and shut-down.
class CWinLibrarySystem : public LibrarySystem {
 public:
  std::optional<std::string> LoadedModulePath(const std::string& name) override;
  std::optional<std::string> SystemFolder() override;
  Handle Load(const std::string& path) override;
  void* Lookup(Handle library, const char* name) override;
  void Free(Handle library) override;
  void Lock() override;
  void Unlock() override;

  // The per-process mutex's name, from the process id.
  static std::string MutexName(DWORD processId);

 private:
  HANDLE m_mutex = nullptr;
};

// The binding every movie of the process shares.
LibraryBinding& MovieLibrary();

// The library's entry points, through the binding.
namespace movie_library {
HRESULT CreateAttributes(IMFAttributes** attributes, UINT32 size);
HRESULT CreateMediaType(IMFMediaType** type);
HRESULT CreateSourceReader(const wchar_t* url, IMFAttributes* attributes, IMFSourceReader** reader);
}  // namespace movie_library

// Marks a call into the library on a thread that may be given up (an opening that does not
// come back): while one is running, the library is neither shut down nor freed at exit, as
// its code may still be running on that thread.
class LibraryCallInFlight {
 public:
  LibraryCallInFlight();
  ~LibraryCallInFlight();
  LibraryCallInFlight(const LibraryCallInFlight&) = delete;
  LibraryCallInFlight& operator=(const LibraryCallInFlight&) = delete;
  static int Count();
};

// The library's start-up for the whole process: made on first use (the first movie or size
// measurement), it starts the binding once and, when that worked, shuts it down at exit.
class Cqt {
 public:
  virtual ~Cqt();
  Cqt(const Cqt&) = delete;
  Cqt& operator=(const Cqt&) = delete;
  // The instance, started on first use; true when the library is there.
  static bool Start();

 private:
  Cqt() = default;
  bool m_started = false;
};

}  // namespace glintora
