#include "core/settings/serializer.h"

#include <cstdlib>

#include "core/base/text.h"
#include "core/settings/profile_store.h"

namespace glintora {
namespace {

// A real value reads as text with this default; reading it back means "no value".
const std::string kRealSentinel = "dummy";

}  // namespace

void CvxSerializer::AddBool(const std::string& section, const std::string& valueName, bool* target,
                            bool defaultValue) {
  SerializerEntry entry{SerializerKind::Truth, section, valueName, target};
  entry.defaultTruth = defaultValue;
  m_entries.push_back(std::move(entry));
}

void CvxSerializer::AddString(const std::string& section, const std::string& valueName, std::string* target,
                              const std::string& defaultValue) {
  SerializerEntry entry{SerializerKind::Text, section, valueName, target};
  entry.defaultText = defaultValue;
  m_entries.push_back(std::move(entry));
}

void CvxSerializer::AddDouble(const std::string& section, const std::string& valueName, double* target,
                              double defaultValue) {
  SerializerEntry entry{SerializerKind::Real, section, valueName, target};
  entry.defaultReal = defaultValue;
  m_entries.push_back(std::move(entry));
}

void CvxSerializer::AddNumber(const std::string& section, const std::string& valueName, uint32_t* target,
                              uint32_t defaultValue) {
  SerializerEntry entry{SerializerKind::Integer, section, valueName, target};
  entry.defaultInteger = defaultValue;
  m_entries.push_back(std::move(entry));
}

void CvxSerializer::LoadValues() {
  for (const SerializerEntry& e : m_entries) {
    switch (e.kind) {
      case SerializerKind::Truth: {
        bool& target = *static_cast<bool*>(e.target);
        const auto type = m_store.GetValueType(e.section, e.valueName);
        if (type && *type != kRegDword) {
          target = e.defaultTruth;
        } else {
          target = m_store.GetProfileInt(e.section, e.valueName, e.defaultTruth ? 1 : 0) != 0;
        }
        break;
      }
      case SerializerKind::Integer: {
        uint32_t& target = *static_cast<uint32_t*>(e.target);
        const auto type = m_store.GetValueType(e.section, e.valueName);
        if (type && *type != kRegDword) {
          target = e.defaultInteger;
        } else {
          target = static_cast<uint32_t>(
              m_store.GetProfileInt(e.section, e.valueName, static_cast<int>(e.defaultInteger)));
        }
        break;
      }
      case SerializerKind::Text: {
        std::string& target = *static_cast<std::string*>(e.target);
        const auto type = m_store.GetValueType(e.section, e.valueName);
        if (type && *type != kRegSz) {
          target = e.defaultText;
        } else {
          target = m_store.GetProfileString(e.section, e.valueName, e.defaultText);
        }
        break;
      }
      case SerializerKind::Real: {
        double& target = *static_cast<double*>(e.target);
        const std::string text = m_store.GetProfileString(e.section, e.valueName, kRealSentinel);
        target = text == kRealSentinel ? e.defaultReal : std::strtod(text.c_str(), nullptr);
        break;
      }
      default:
        break;  // no setting is of the other kinds
    }
  }
}

void CvxSerializer::StoreValues() {
  for (const SerializerEntry& e : m_entries) {
    switch (e.kind) {
      case SerializerKind::Truth:
        m_store.WriteProfileInt(e.section, e.valueName, *static_cast<const bool*>(e.target) ? 1 : 0);
        break;
      case SerializerKind::Integer:
        m_store.WriteProfileInt(e.section, e.valueName, static_cast<int>(*static_cast<const uint32_t*>(e.target)));
        break;
      case SerializerKind::Text:
        m_store.WriteProfileString(e.section, e.valueName, *static_cast<const std::string*>(e.target));
        break;
      case SerializerKind::Real:
        m_store.WriteProfileString(e.section, e.valueName, FormatFixed(*static_cast<const double*>(e.target)));
        break;
      default:
        break;
    }
  }
}

}  // namespace glintora
