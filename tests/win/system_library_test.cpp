// Loading the system's own libraries: from the system folder only, never beside the program,
// and never by a name that has a folder part or would have to be cut.

#include "win/platform/system_library.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/base/text.h"

namespace glintora {
namespace {

std::string ModulePath(HMODULE module) {
  return ReadWholePath([&](char* path, DWORD size) { return GetModuleFileNameA(module, path, size); }).value_or("");
}

TEST(SystemLibrary, LoadsSystemLibrariesFromTheSystemFolderOnly) {
  const std::optional<std::string> folder = SystemFolderPath();
  ASSERT_TRUE(folder && !folder->empty());
  const std::string systemFolder = *folder + (folder->back() == '\\' ? "" : "\\");

  // The test's own library beside it: the ordinary search does find it there.
  HMODULE beside = LoadLibraryA(GLINTORA_BESIDE_LIBRARY);
  ASSERT_NE(beside, nullptr) << "the library beside the test program is missing";
  FreeLibrary(beside);

  struct Case {
    std::string name;
    bool loads;
  };
  const Case cases[] = {
      {"uxtheme.dll", true},
      {"KERNEL32.DLL", true},
      {GLINTORA_BESIDE_LIBRARY, false},
      // A system library named with a folder part, relative or whole.
      {"..\\system32\\uxtheme.dll", false},
      {systemFolder + "uxtheme.dll", false},
      // Cut at the path limit, the trailing dots would go and the name would load.
      {"uxtheme.dll" + std::string(kLibraryPathLimit, '.'), false},
      {"", false},
  };
  for (const Case& c : cases) {
    HMODULE module = LoadSystemLibrary(c.name.c_str());
    EXPECT_EQ(module != nullptr, c.loads) << c.name;
    if (!module) continue;
    EXPECT_EQ(ToLowerAscii(ModulePath(module)), ToLowerAscii(systemFolder + c.name));
    FreeLibrary(module);
  }
  EXPECT_EQ(LoadSystemLibrary(nullptr), nullptr);
}

}  // namespace
}  // namespace glintora
