#pragma once
// An in-memory profile store with value types, for tests and tools. Key paths and value
// names compare without regard to ASCII case, as the registry's do.

#include <map>
#include <set>

#include "core/settings/profile_store.h"

namespace glintora {

class MemoryProfileStore final : public ProfileStore {
 public:
  std::optional<RegistryValue> ReadValue(const std::string& section, const std::string& name) override;
  bool WriteValue(const std::string& section, const std::string& name, const RegistryValue& value) override;
  std::optional<RegistryValue> ReadUserValue(const std::string& keyPath, const std::string& name,
                                             size_t capacity) override;

  // Places a value under another key of the current user (what ReadUserValue reads).
  void SetUserValue(const std::string& keyPath, const std::string& name, const RegistryValue& value);
  // True once the application key (or its `section` subkey) exists.
  bool HasKey(const std::string& section) const;
  // Every value of the application key (or a section), by lower-cased name.
  const std::map<std::string, RegistryValue>& Values(const std::string& section = "") const;
  // Removes one value of the application key; true when it existed.
  bool DeleteValue(const std::string& section, const std::string& name);

 private:
  using ValueMap = std::map<std::string, RegistryValue>;
  std::map<std::string, ValueMap> m_appKeys;   // section (lower case) → values
  std::map<std::string, ValueMap> m_userKeys;  // key path (lower case) → values
};

}  // namespace glintora
