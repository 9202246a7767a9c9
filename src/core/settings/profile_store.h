#pragma once
// The profile-store seam: the application's own per-user settings key and read-only access
// to other keys of the current user. The Windows implementation is the real registry; tests
// use the in-memory store. The framework's profile functions are built on top of it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// <windows.h> maps these names to its own ANSI/wide functions by macro; in this program they
// are always the profile store's (the system's .ini functions are not used).
#undef GetProfileInt
#undef GetProfileString
#undef WriteProfileString

namespace glintora {

// Registry value types, with the system's numbers.
enum RegistryType : uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
};

struct RegistryValue {
  uint32_t type = kRegNone;
  std::vector<uint8_t> data;

  static RegistryValue Dword(uint32_t value);
  static RegistryValue String(std::string_view text);  // REG_SZ, stored with its terminator
  static RegistryValue Binary(std::vector<uint8_t> bytes);

  // The data up to its first zero byte (or all of it): how a string value reads.
  std::string AsText() const;
  bool operator==(const RegistryValue&) const = default;
};

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;

  // A value of the application key (`section` empty) or of one of its subkeys. Reading
  // creates the key when it is missing, as the framework's profile functions do.
  virtual std::optional<RegistryValue> ReadValue(const std::string& section, const std::string& name) = 0;
  // Writes a value, creating the key; false when the system refused.
  virtual bool WriteValue(const std::string& section, const std::string& name, const RegistryValue& value) = 0;
  // A value of another key under the current user (a path such as
  // "Software\\Microsoft\\..."), read into a buffer of `capacity` bytes: a longer value, a
  // missing key or a missing value gives nothing. Never creates anything.
  virtual std::optional<RegistryValue> ReadUserValue(const std::string& keyPath, const std::string& name,
                                                     size_t capacity) = 0;

  // The framework's profile functions.
  // The REG_DWORD value, or `defaultValue` when it is missing or of another type.
  int GetProfileInt(const std::string& section, const std::string& name, int defaultValue);
  // The REG_SZ value, or `defaultValue` when it is missing or of another type.
  std::string GetProfileString(const std::string& section, const std::string& name,
                               const std::string& defaultValue);
  // The value's bytes whatever its type, or nothing when it is missing.
  std::optional<std::vector<uint8_t>> GetProfileBinary(const std::string& section, const std::string& name);
  bool WriteProfileInt(const std::string& section, const std::string& name, int value);
  bool WriteProfileString(const std::string& section, const std::string& name, std::string_view value);
  bool WriteProfileBinary(const std::string& section, const std::string& name, const std::vector<uint8_t>& bytes);
  // The stored type of a value, or nothing when it is missing.
  std::optional<uint32_t> GetValueType(const std::string& section, const std::string& name);
};

}  // namespace glintora
