#include "saver_settings.h"

#include <atomic>
#include <filesystem>

#include "../core/fixtures.h"
#include "core/transitions/catalogue.h"

namespace glintora::e2e {

ScopedSettings::~ScopedSettings() {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  for (const auto& [name, saved] : m_saved) {
    if (saved) {
      RegSetValueExA(key, name.c_str(), 0, saved->type, saved->data.data(), static_cast<DWORD>(saved->data.size()));
    } else {
      RegDeleteValueA(key, name.c_str());
    }
  }
  RegCloseKey(key);
}

void ScopedSettings::Set(const std::string& name, DWORD type, const void* data, DWORD size) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  if (!m_saved.count(name)) {
    DWORD oldType = 0;
    DWORD oldSize = 0;
    std::optional<Saved> saved;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &oldType, nullptr, &oldSize) == ERROR_SUCCESS) {
      saved = Saved{oldType, std::vector<uint8_t>(oldSize)};
      RegQueryValueExA(key, name.c_str(), nullptr, &oldType, saved->data.data(), &oldSize);
    }
    m_saved[name] = saved;
  }
  RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(key);
}

void ScopedSettings::SetString(const std::string& name, const std::string& value) {
  Set(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void ScopedSettings::SetNumber(const std::string& name, DWORD value) { Set(name, REG_DWORD, &value, sizeof value); }

void ScopedSettings::SetBinary(const std::string& name, const std::vector<uint8_t>& bytes) {
  Set(name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

void ScopedSettings::PointAt(const std::string& folder, const char* delay, bool transitions) {
  SetString("Directory", folder);
  SetString("Delay", delay);
  SetNumber("Random", 0);
  SetNumber("Enlarge to screen", 0);
  SetNumber("Transition", transitions ? 1 : 0);
  SetString("Transition Duration", "0.5");
  std::vector<uint8_t> usage(kTransitionCount, 0);
  usage[0] = 1;
  SetBinary("Usage", usage);
}

KeySnapshot::KeySnapshot() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameSize = sizeof name;
    std::vector<uint8_t> data(4096);
    DWORD size = static_cast<DWORD>(data.size());
    DWORD type = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
    data.resize(size);
    m_values[std::string(name, nameSize)] = Value{type, std::move(data)};
  }
  RegCloseKey(key);
}

KeySnapshot::~KeySnapshot() {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  std::vector<std::string> added;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameSize = sizeof name;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    if (!m_values.count(std::string(name, nameSize))) added.emplace_back(name, nameSize);
  }
  for (const std::string& name : added) RegDeleteValueA(key, name.c_str());
  for (const auto& [name, value] : m_values) {
    RegSetValueExA(key, name.c_str(), 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
  }
  RegCloseKey(key);
}

PictureFolder::PictureFolder() {
  static std::atomic<int> count{0};
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("glintora-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(count++));
  std::filesystem::create_directories(path);
  m_path = path.string();
}

PictureFolder::~PictureFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

void PictureFolder::AddSolidBitmap(const std::string& name, int width, int height, uint32_t rgb) const {
  testing::BmpRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.rows.assign(static_cast<size_t>(height), std::vector<uint32_t>(static_cast<size_t>(width), rgb));
  testing::WriteBytes(m_path + "\\" + name, testing::EncodeBmp(recipe));
}

void PictureFolder::AddFile(const std::string& name, const std::vector<uint8_t>& bytes) const {
  testing::WriteBytes(m_path + "\\" + name, bytes);
}

}  // namespace glintora::e2e
