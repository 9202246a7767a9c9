#pragma once
// Values of the saver's settings key set for a test and put back afterwards, and picture
// folders made for a run.

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace glintora::e2e {

inline constexpr const char* kSettingsKey = "Software\\vostrand.\\glintora";

class ScopedSettings {
 public:
  ScopedSettings() = default;
  ~ScopedSettings();  // restores every value it changed (or removes it again)
  ScopedSettings(const ScopedSettings&) = delete;
  ScopedSettings& operator=(const ScopedSettings&) = delete;

  void SetString(const std::string& name, const std::string& value);
  void SetNumber(const std::string& name, DWORD value);
  void SetBinary(const std::string& name, const std::vector<uint8_t>& bytes);
  // A show of `folder` in list order, `delay` seconds a picture, transitions as asked
  // (only the cross-fade enabled).
  void PointAt(const std::string& folder, const char* delay, bool transitions);

 private:
  struct Saved {
    DWORD type;
    std::vector<uint8_t> data;
  };
  void Set(const std::string& name, DWORD type, const void* data, DWORD size);
  std::map<std::string, std::optional<Saved>> m_saved;
};

// Every value of the saver's settings key, put back exactly (values added meanwhile
// removed) when the object goes: for tests that let the saver write its settings.
class KeySnapshot {
 public:
  KeySnapshot();
  ~KeySnapshot();
  KeySnapshot(const KeySnapshot&) = delete;
  KeySnapshot& operator=(const KeySnapshot&) = delete;

 private:
  struct Value {
    DWORD type;
    std::vector<uint8_t> data;
  };
  std::map<std::string, Value> m_values;
};

// A new empty folder under the temporary folder, removed with the object.
class PictureFolder {
 public:
  PictureFolder();
  ~PictureFolder();
  PictureFolder(const PictureFolder&) = delete;
  PictureFolder& operator=(const PictureFolder&) = delete;
  const std::string& Path() const { return m_path; }
  // A 24-bit bitmap of one colour (0xRRGGBB).
  void AddSolidBitmap(const std::string& name, int width, int height, uint32_t rgb) const;
  // Any file, byte for byte (a movie, a broken file).
  void AddFile(const std::string& name, const std::vector<uint8_t>& bytes) const;

 private:
  std::string m_path;
};

}  // namespace glintora::e2e
