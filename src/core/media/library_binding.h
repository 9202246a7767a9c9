#pragma once
// The binding to the movie library: a system component that the program loads at run time,
// so that the saver starts (and shows pictures) on a system without it. The binding finds and
// loads the library's files, looks its entry points up, and counts start-ups, so that several
// users in one process share one loaded library: the library's own start-up runs with the
// first, its shut-down with the last. Start-up and shut-down run under a per-process lock.
//
// While the library is not loaded, every entry point is a routine of the program's own that
// does nothing and answers kLibraryNotLoaded, so that a caller needs no check of its own.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace glintora {

// The binding's answers besides the library's own.
inline constexpr long kLibraryNotFound = -2093;   // a library file was not found or not loaded
inline constexpr long kEntryPointMissing = -2094;  // a library lacks an entry point
inline constexpr long kLibraryNotLoaded = -2095;   // what every entry point answers meanwhile

// The longest library path, its terminating zero included; a longer one is refused, never cut.
inline constexpr size_t kLibraryPathLimit = 260;

// The path of the library file `name` in `folder` (one separator between them). Nothing when
// the folder is empty, when the name is not a bare file name (empty, or with a drive or
// folder part), or when the path would not fit kLibraryPathLimit.
std::optional<std::string> LibraryPathInFolder(const std::string& folder, const std::string& name);

// What the binding needs of the system.
class LibrarySystem {
 public:
  using Handle = void*;
  virtual ~LibrarySystem() = default;
  // The full path of a module of this name already loaded in the process; nothing when none
  // is, or when its path cannot be read whole.
  virtual std::optional<std::string> LoadedModulePath(const std::string& name) = 0;
  // The system's own library folder; nothing when it cannot be read whole.
  virtual std::optional<std::string> SystemFolder() = 0;
  // Loads a library from a full path; null when that fails.
  virtual Handle Load(const std::string& path) = 0;
  virtual void* Lookup(Handle library, const char* name) = 0;
  virtual void Free(Handle library) = 0;
  // Serialises start-up and shut-down within the process.
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
};

class LibraryBinding {
 public:
  struct EntryPoint {
    size_t library;   // index into the library names
    const char* name;
    void* notLoaded;  // the routine that stands for it while the library is not loaded
  };
  // The library's start-up (version, flags) and shut-down, both answering 0 on success.
  using StartUpRoutine = long (*)(unsigned long version, unsigned long flags);
  using ShutDownRoutine = long (*)();

  // `startUp` and `shutDown` index `entries`, whose routines have those two types.
  LibraryBinding(LibrarySystem& system, std::vector<std::string> libraries, std::vector<EntryPoint> entries,
                 size_t startUp, size_t shutDown);
  ~LibraryBinding() = default;
  LibraryBinding(const LibraryBinding&) = delete;
  LibraryBinding& operator=(const LibraryBinding&) = delete;

  // 0 when the library is (already) started; kLibraryNotFound, kEntryPointMissing or the
  // library's own failure otherwise, with the binding back in its not-loaded state.
  long StartUp(unsigned long version, unsigned long flags);
  // Undoes one successful start-up; the last one shuts the library down and lets it go.
  void ShutDown();

  int StartCount() const { return m_startCount; }
  bool Loaded() const { return !m_handles.empty(); }
  // The routine to call for entry `index`: the library's, or the not-loaded one.
  void* Entry(size_t index) const { return m_current[index]; }

  // Where a library of `name` is looked for, in order: the module of that name the process
  // already has (one more reference to it), then the system folder. Null when neither loads.
  LibrarySystem::Handle Find(const std::string& name);

 private:
  // Frees every loaded library and puts the not-loaded routines back.
  void Unload();

  LibrarySystem& m_system;
  std::vector<std::string> m_libraries;
  std::vector<EntryPoint> m_entries;
  size_t m_startUp;
  size_t m_shutDown;
  std::vector<void*> m_current;
  std::vector<LibrarySystem::Handle> m_handles;  // one per library while loaded, else empty
  int m_startCount = 0;
};

}  // namespace glintora
