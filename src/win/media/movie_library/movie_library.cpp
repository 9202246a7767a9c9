#include "win/media/movie_library/movie_library.h"

#include <mfapi.h>

#include <atomic>
#include <cstdio>

#include "win/platform/system_library.h"

namespace glintora {
namespace {

enum Library : size_t { kPlatform, kReadWrite };
enum Entry : size_t { kStartUp, kShutDown, kCreateAttributes, kCreateMediaType, kCreateSourceReader };

// What each entry point is while the library is not loaded.
HRESULT WINAPI NotLoadedStartUp(ULONG, DWORD) { return kLibraryNotLoaded; }
HRESULT WINAPI NotLoadedShutDown() { return kLibraryNotLoaded; }
HRESULT WINAPI NotLoadedCreateAttributes(IMFAttributes** attributes, UINT32) {
  if (attributes) *attributes = nullptr;
  return kLibraryNotLoaded;
}
HRESULT WINAPI NotLoadedCreateMediaType(IMFMediaType** type) {
  if (type) *type = nullptr;
  return kLibraryNotLoaded;
}
HRESULT WINAPI NotLoadedCreateSourceReader(const WCHAR*, IMFAttributes*, IMFSourceReader** reader) {
  if (reader) *reader = nullptr;
  return kLibraryNotLoaded;
}

template <typename F>
void* Routine(F* routine) {
  return reinterpret_cast<void*>(routine);
}

template <typename F>
F* Current(Entry entry) {
  return reinterpret_cast<F*>(MovieLibrary().Entry(entry));
}

}  // namespace

std::optional<std::string> CWinLibrarySystem::LoadedModulePath(const std::string& name) {
  HMODULE module = GetModuleHandleA(name.c_str());
  if (!module) return std::nullopt;
  return ReadWholePath([&](char* path, DWORD size) { return GetModuleFileNameA(module, path, size); });
}

std::optional<std::string> CWinLibrarySystem::SystemFolder() { return SystemFolderPath(); }

LibrarySystem::Handle CWinLibrarySystem::Load(const std::string& path) { return LoadLibraryFile(path); }

void* CWinLibrarySystem::Lookup(Handle library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CWinLibrarySystem::Free(Handle library) { FreeLibrary(static_cast<HMODULE>(library)); }

std::string CWinLibrarySystem::MutexName(DWORD processId) {
  char name[64];
  std::snprintf(name, sizeof name, "QTMLInitTermMutex%lx", static_cast<unsigned long>(processId));
  return name;
}

void CWinLibrarySystem::Lock() {
  m_mutex = CreateMutexA(nullptr, FALSE, MutexName(GetCurrentProcessId()).c_str());
  if (m_mutex) WaitForSingleObject(m_mutex, INFINITE);
}

void CWinLibrarySystem::Unlock() {
  if (!m_mutex) return;
  ReleaseMutex(m_mutex);
  CloseHandle(m_mutex);
  m_mutex = nullptr;
}

LibraryBinding& MovieLibrary() {
  static CWinLibrarySystem system;
  static LibraryBinding binding(
      system, {"mfplat.dll", "mfreadwrite.dll"},
      {{kPlatform, "MFStartup", Routine(&NotLoadedStartUp)},
       {kPlatform, "MFShutdown", Routine(&NotLoadedShutDown)},
       {kPlatform, "MFCreateAttributes", Routine(&NotLoadedCreateAttributes)},
       {kPlatform, "MFCreateMediaType", Routine(&NotLoadedCreateMediaType)},
       {kReadWrite, "MFCreateSourceReaderFromURL", Routine(&NotLoadedCreateSourceReader)}},
      kStartUp, kShutDown);
  return binding;
}

namespace movie_library {
HRESULT CreateAttributes(IMFAttributes** attributes, UINT32 size) {
  return Current<decltype(NotLoadedCreateAttributes)>(kCreateAttributes)(attributes, size);
}
HRESULT CreateMediaType(IMFMediaType** type) {
  return Current<decltype(NotLoadedCreateMediaType)>(kCreateMediaType)(type);
}
HRESULT CreateSourceReader(const wchar_t* url, IMFAttributes* attributes, IMFSourceReader** reader) {
  return Current<decltype(NotLoadedCreateSourceReader)>(kCreateSourceReader)(url, attributes, reader);
}
}  // namespace movie_library

namespace {
std::atomic<int> g_callsInFlight{0};
}  // namespace

LibraryCallInFlight::LibraryCallInFlight() { ++g_callsInFlight; }
LibraryCallInFlight::~LibraryCallInFlight() { --g_callsInFlight; }
int LibraryCallInFlight::Count() { return g_callsInFlight.load(); }

Cqt::~Cqt() {
  // A given-up opening still inside the library: shutting it down or unloading its code
  // under that thread would crash the process at its exit, which is about to free it anyway.
  if (m_started && LibraryCallInFlight::Count() == 0) MovieLibrary().ShutDown();
}

bool Cqt::Start() {
  // The binding is made first, so that it outlives the instance, whose destructor at exit
  // shuts it down.
  MovieLibrary();
  static Cqt instance;
  static const bool started = [] {
    // Files only: the library need not open network sockets.
    instance.m_started = MovieLibrary().StartUp(MF_VERSION, MFSTARTUP_LITE) == 0;
    return instance.m_started;
  }();
  return started;
}

}  // namespace glintora
