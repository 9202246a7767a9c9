#pragma once
// The profile store on the real registry, under HKEY_CURRENT_USER.

#include <string>

#include "core/settings/profile_store.h"

namespace glintora {

class RegistryProfileStore final : public ProfileStore {
 public:
  // `appKeyPath` is the application's key below HKEY_CURRENT_USER, such as
  // "Software\\vostrand.\\glintora".
  explicit RegistryProfileStore(std::string appKeyPath) : m_appKeyPath(std::move(appKeyPath)) {}

  std::optional<RegistryValue> ReadValue(const std::string& section, const std::string& name) override;
  bool WriteValue(const std::string& section, const std::string& name, const RegistryValue& value) override;
  std::optional<RegistryValue> ReadUserValue(const std::string& keyPath, const std::string& name,
                                             size_t capacity) override;

  const std::string& AppKeyPath() const { return m_appKeyPath; }

 private:
  std::string KeyPath(const std::string& section) const;

  std::string m_appKeyPath;
};

}  // namespace glintora
