#include "core/settings/memory_profile_store.h"

#include "core/base/text.h"

namespace glintora {

std::optional<RegistryValue> MemoryProfileStore::ReadValue(const std::string& section, const std::string& name) {
  ValueMap& values = m_appKeys[ToLowerAscii(section)];  // reading creates the key
  const auto it = values.find(ToLowerAscii(name));
  if (it == values.end()) return std::nullopt;
  return it->second;
}

bool MemoryProfileStore::WriteValue(const std::string& section, const std::string& name,
                                    const RegistryValue& value) {
  m_appKeys[ToLowerAscii(section)][ToLowerAscii(name)] = value;
  return true;
}

std::optional<RegistryValue> MemoryProfileStore::ReadUserValue(const std::string& keyPath, const std::string& name,
                                                               size_t capacity) {
  const auto key = m_userKeys.find(ToLowerAscii(keyPath));
  if (key == m_userKeys.end()) return std::nullopt;
  const auto it = key->second.find(ToLowerAscii(name));
  if (it == key->second.end() || it->second.data.size() > capacity) return std::nullopt;
  return it->second;
}

void MemoryProfileStore::SetUserValue(const std::string& keyPath, const std::string& name,
                                      const RegistryValue& value) {
  m_userKeys[ToLowerAscii(keyPath)][ToLowerAscii(name)] = value;
}

bool MemoryProfileStore::HasKey(const std::string& section) const {
  return m_appKeys.count(ToLowerAscii(section)) != 0;
}

const std::map<std::string, RegistryValue>& MemoryProfileStore::Values(const std::string& section) const {
  static const ValueMap kNone;
  const auto key = m_appKeys.find(ToLowerAscii(section));
  return key == m_appKeys.end() ? kNone : key->second;
}

bool MemoryProfileStore::DeleteValue(const std::string& section, const std::string& name) {
  return m_appKeys[ToLowerAscii(section)].erase(ToLowerAscii(name)) != 0;
}

}  // namespace glintora
