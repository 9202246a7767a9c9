#include "core/settings/profile_store.h"

#include <cstring>

namespace glintora {

RegistryValue RegistryValue::Dword(uint32_t value) {
  RegistryValue v{kRegDword, std::vector<uint8_t>(4)};
  for (int i = 0; i < 4; ++i) v.data[i] = static_cast<uint8_t>(value >> (8 * i));
  return v;
}

RegistryValue RegistryValue::String(std::string_view text) {
  RegistryValue v{kRegSz, std::vector<uint8_t>(text.begin(), text.end())};
  v.data.push_back(0);
  return v;
}

RegistryValue RegistryValue::Binary(std::vector<uint8_t> bytes) { return {kRegBinary, std::move(bytes)}; }

std::string RegistryValue::AsText() const {
  const auto* bytes = reinterpret_cast<const char*>(data.data());
  return std::string(bytes, strnlen(bytes, data.size()));
}

int ProfileStore::GetProfileInt(const std::string& section, const std::string& name, int defaultValue) {
  const auto value = ReadValue(section, name);
  if (!value || value->type != kRegDword || value->data.size() != 4) return defaultValue;
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits |= static_cast<uint32_t>(value->data[i]) << (8 * i);
  return static_cast<int>(bits);
}

std::string ProfileStore::GetProfileString(const std::string& section, const std::string& name,
                                           const std::string& defaultValue) {
  const auto value = ReadValue(section, name);
  if (!value || value->type != kRegSz) return defaultValue;
  return value->AsText();
}

std::optional<std::vector<uint8_t>> ProfileStore::GetProfileBinary(const std::string& section,
                                                                    const std::string& name) {
  auto value = ReadValue(section, name);
  if (!value) return std::nullopt;
  return std::move(value->data);
}

bool ProfileStore::WriteProfileInt(const std::string& section, const std::string& name, int value) {
  return WriteValue(section, name, RegistryValue::Dword(static_cast<uint32_t>(value)));
}

bool ProfileStore::WriteProfileString(const std::string& section, const std::string& name, std::string_view value) {
  return WriteValue(section, name, RegistryValue::String(value));
}

bool ProfileStore::WriteProfileBinary(const std::string& section, const std::string& name,
                                      const std::vector<uint8_t>& bytes) {
  return WriteValue(section, name, RegistryValue::Binary(bytes));
}

std::optional<uint32_t> ProfileStore::GetValueType(const std::string& section, const std::string& name) {
  const auto value = ReadValue(section, name);
  if (!value) return std::nullopt;
  return value->type;
}

}  // namespace glintora
