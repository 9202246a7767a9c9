#pragma once
// A table-driven binding between settings members and registry values: each entry names a
// value, the member that receives it and its default, and is read and written by the rules
// of its kind.

#include <cstdint>
#include <string>
#include <vector>

namespace glintora {

class ProfileStore;

// Kinds of entry, with their stored codes. The second integer code (5) and obscured text (3)
// are codes of the format that no setting of this program uses.
enum class SerializerKind : int32_t {
  Integer = 0,
  Truth = 1,
  Text = 2,
  ObscuredText = 3,
  Real = 4,
  IntegerAlt = 5,
};

struct SerializerEntry {
  SerializerKind kind = SerializerKind::Truth;
  std::string section;
  std::string valueName;
  void* target = nullptr;  // the member bound to the value; owned by the settings record
  uint32_t defaultInteger = 0;
  bool defaultTruth = false;
  std::string defaultText;
  double defaultReal = 0.0;
};

class CvxSerializer {
 public:
  explicit CvxSerializer(ProfileStore& store) : m_store(store) {}
  virtual ~CvxSerializer() = default;
  CvxSerializer(const CvxSerializer&) = delete;
  CvxSerializer& operator=(const CvxSerializer&) = delete;

  void AddBool(const std::string& section, const std::string& valueName, bool* target, bool defaultValue);
  void AddString(const std::string& section, const std::string& valueName, std::string* target,
                 const std::string& defaultValue);
  void AddDouble(const std::string& section, const std::string& valueName, double* target, double defaultValue);
  // A REG_DWORD number; a value of another type reads as the default.
  void AddNumber(const std::string& section, const std::string& valueName, uint32_t* target, uint32_t defaultValue);

  // Reads every entry into its target, in registration order.
  void LoadValues();
  // Writes every entry from its target, in registration order.
  void StoreValues();

  const std::vector<SerializerEntry>& Entries() const { return m_entries; }

 private:
  ProfileStore& m_store;
  std::vector<SerializerEntry> m_entries;
};

}  // namespace glintora
