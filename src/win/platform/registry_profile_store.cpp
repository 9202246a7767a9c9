#include "win/platform/registry_profile_store.h"

#include <windows.h>

#include "win/platform/handles.h"

namespace glintora {
namespace {

// Reads a value whose size is first asked for; nothing when missing or unreadable.
std::optional<RegistryValue> QueryValue(HKEY key, const std::string& name) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  RegistryValue value{type, std::vector<uint8_t>(size)};
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, value.data.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;  // changed in between, or vanished
  }
  value.type = type;
  value.data.resize(size);
  return value;
}

}  // namespace

std::string RegistryProfileStore::KeyPath(const std::string& section) const {
  return section.empty() ? m_appKeyPath : m_appKeyPath + "\\" + section;
}

std::optional<RegistryValue> RegistryProfileStore::ReadValue(const std::string& section, const std::string& name) {
  RegistryKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath(section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return QueryValue(key.Get(), name);
}

bool RegistryProfileStore::WriteValue(const std::string& section, const std::string& name,
                                      const RegistryValue& value) {
  RegistryKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath(section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExA(key.Get(), name.c_str(), 0, value.type, value.data.data(),
                        static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

std::optional<RegistryValue> RegistryProfileStore::ReadUserValue(const std::string& keyPath, const std::string& name,
                                                                 size_t capacity) {
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  RegistryValue value{kRegNone, std::vector<uint8_t>(capacity)};
  DWORD type = 0;
  DWORD size = static_cast<DWORD>(capacity);
  // A value longer than the buffer answers ERROR_MORE_DATA and is not taken.
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, value.data.data(), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.type = type;
  value.data.resize(size);
  return value;
}

}  // namespace glintora
