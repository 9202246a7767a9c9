#pragma once
// Saving a movie over a file that may be the one being read: it is written whole into a
// temporary file beside the target, checked, forced to the disk, and only then put in the
// target's place, so a failure never costs the target, and nothing is deleted before the new
// file exists.

#include <string>

namespace glintora {

// The file operations that putting a finished file in place takes, one call each, so that a
// failure of any one of them can be shown to leave the target as it was.
class FileOperations {
 public:
  virtual ~FileOperations() = default;
  virtual bool Exists(const std::string& path) = 0;
  // Writes what the system still holds of the file out to the disk.
  virtual bool Flush(const std::string& path) = 0;
  // `replacement` takes the name of the existing `target`, which keeps its attributes.
  virtual bool Replace(const std::string& replacement, const std::string& target) = 0;
  // `from` takes the name `to`, where no file is, on the disk before this returns.
  virtual bool Move(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;
};

// The system's own calls.
class SystemFileOperations : public FileOperations {
 public:
  bool Exists(const std::string& path) override;
  bool Flush(const std::string& path) override;
  bool Replace(const std::string& replacement, const std::string& target) override;
  bool Move(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override;
};

// Whether two names are one file (full paths, any case).
bool SameFile(const std::string& a, const std::string& b);
// A new empty temporary file in the target's folder; empty when none can be made there, or
// when the target's name is past the path limit (it is refused, never cut).
std::string TemporaryBeside(const std::string& target);
// Puts the finished `temporary` in the place of `target`: flushed to the disk first, then
// replacing the target with the target's attributes kept, or moved in where there is no
// target. False when any step fails; the target is then as it was and `temporary` removed.
// One case differs: when the system took the target away but could not give the new file its
// name, the new file (whole, on the disk) is moved there instead, and kept as `temporary`
// should that fail too, being the only copy left.
bool ReplaceWith(const std::string& temporary, const std::string& target, FileOperations& files);
bool ReplaceWith(const std::string& temporary, const std::string& target);

}  // namespace glintora
