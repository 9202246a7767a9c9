#include "core/media/library_binding.h"

#include <utility>

namespace glintora {
namespace {

// Holds the system's lock for one start-up or shut-down, whatever path leaves it.
class LockHeld {
 public:
  explicit LockHeld(LibrarySystem& system) : m_system(system) { m_system.Lock(); }
  ~LockHeld() { m_system.Unlock(); }
  LockHeld(const LockHeld&) = delete;
  LockHeld& operator=(const LockHeld&) = delete;

 private:
  LibrarySystem& m_system;
};

bool WithinLimit(const std::string& path) { return path.size() < kLibraryPathLimit; }

}  // namespace

std::optional<std::string> LibraryPathInFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || name.empty() || name.find_first_of("\\/:") != std::string::npos) return std::nullopt;
  std::string path = folder;
  if (path.back() != '\\' && path.back() != '/') path += '\\';
  path += name;
  if (!WithinLimit(path)) return std::nullopt;
  return path;
}

LibraryBinding::LibraryBinding(LibrarySystem& system, std::vector<std::string> libraries,
                               std::vector<EntryPoint> entries, size_t startUp, size_t shutDown)
    : m_system(system),
      m_libraries(std::move(libraries)),
      m_entries(std::move(entries)),
      m_startUp(startUp),
      m_shutDown(shutDown) {
  for (const EntryPoint& entry : m_entries) m_current.push_back(entry.notLoaded);
}

LibrarySystem::Handle LibraryBinding::Find(const std::string& name) {
  if (const std::optional<std::string> loaded = m_system.LoadedModulePath(name); loaded && WithinLimit(*loaded)) {
    if (LibrarySystem::Handle handle = m_system.Load(*loaded)) return handle;
  }
  // A library beside the program or named by a registry value is not looked for: the
  // system's own component is meant, and a saver often lies in a folder others can write.
  const std::optional<std::string> folder = m_system.SystemFolder();
  if (!folder) return nullptr;
  const std::optional<std::string> path = LibraryPathInFolder(*folder, name);
  return path ? m_system.Load(*path) : nullptr;
}

long LibraryBinding::StartUp(unsigned long version, unsigned long flags) {
  LockHeld lock(m_system);
  if (m_startCount > 0) {
    ++m_startCount;
    return 0;
  }
  for (const std::string& name : m_libraries) {
    LibrarySystem::Handle handle = Find(name);
    if (!handle) {
      Unload();
      return kLibraryNotFound;
    }
    m_handles.push_back(handle);
  }
  std::vector<void*> found;
  for (const EntryPoint& entry : m_entries) {
    void* routine = m_system.Lookup(m_handles[entry.library], entry.name);
    if (!routine) {
      Unload();
      return kEntryPointMissing;
    }
    found.push_back(routine);
  }
  const long started = reinterpret_cast<StartUpRoutine>(found[m_startUp])(version, flags);
  if (started != 0) {
    Unload();
    return started;
  }
  m_current = std::move(found);
  ++m_startCount;
  return 0;
}

void LibraryBinding::ShutDown() {
  LockHeld lock(m_system);
  if (m_startCount <= 0) {
    m_startCount = 0;
    return;
  }
  if (--m_startCount > 0) return;
  reinterpret_cast<ShutDownRoutine>(m_current[m_shutDown])();
  Unload();
}

void LibraryBinding::Unload() {
  for (size_t i = 0; i < m_entries.size(); ++i) m_current[i] = m_entries[i].notLoaded;
  // Last loaded, first freed: a later library may depend on an earlier one.
  while (!m_handles.empty()) {
    m_system.Free(m_handles.back());
    m_handles.pop_back();
  }
}

}  // namespace glintora
