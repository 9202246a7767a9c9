#pragma once
// Test doubles for the core's seams.

#include <map>
#include <string>
#include <vector>

#include "core/base/clock.h"
#include "core/base/file_system.h"

namespace glintora::testing {

// A clock whose readings the test sets.
class ScriptedClock final : public Clock {
 public:
  bool QueryCounter(int64_t& counts) const override {
    counts = counter;
    return counterWorks;
  }
  bool QueryFrequency(int64_t& countsPerSecond) const override {
    countsPerSecond = frequency;
    return counterWorks;
  }
  uint32_t TickCount() const override { return tick; }
  int64_t CalendarSeconds() const override { return calendarSeconds; }

  int64_t counter = 0;
  int64_t frequency = 1000000;
  bool counterWorks = true;
  uint32_t tick = 0;
  int64_t calendarSeconds = 0;
};

// A file system of folders whose entries, in enumeration order, the test lists. It answers
// only the match-all pattern and records every pattern asked for.
class FakeFileSystem final : public FileSystem {
 public:
  // Adds `name` to `folder`; a name ending in '\\' is a subfolder. `created` is the entry's
  // creation time, seconds since 1970.
  FakeFileSystem& Add(const std::string& folder, const std::string& name, int64_t created = 0) {
    const bool isDirectory = !name.empty() && name.back() == '\\';
    m_folders[folder].push_back({isDirectory ? name.substr(0, name.size() - 1) : name, isDirectory, created});
    return *this;
  }
  // Takes `name` out of `folder`.
  void Remove(const std::string& folder, const std::string& name) {
    std::erase_if(m_folders[folder], [&](const FindEntry& entry) { return entry.name == name; });
  }

  std::vector<FindEntry> FindFiles(const std::string& pattern) const override {
    patterns.push_back(pattern);
    const std::string suffix = "\\*.*";
    if (pattern.size() < suffix.size() || pattern.substr(pattern.size() - suffix.size()) != suffix) return {};
    const auto it = m_folders.find(pattern.substr(0, pattern.size() - suffix.size()));
    if (it == m_folders.end()) return {};
    std::vector<FindEntry> entries = {{".", true}, {"..", true}};
    entries.insert(entries.end(), it->second.begin(), it->second.end());
    return entries;
  }

  mutable std::vector<std::string> patterns;

 private:
  std::map<std::string, std::vector<FindEntry>> m_folders;
};

}  // namespace glintora::testing
