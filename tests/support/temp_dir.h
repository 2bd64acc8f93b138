// Temporary folders for tests.
#pragma once

#include <filesystem>
#include <string>

namespace test_support {

// A fresh folder under the system's temporary folder, removed with everything in
// it when the object goes, folders a test made read-only included.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  std::filesystem::path operator/(const std::string& relative) const { return std::filesystem::path(path_) / relative; }
  // Makes the folder `relative` (with the folders above it) and returns its path.
  std::filesystem::path Make(const std::string& relative) const;

 private:
  std::string path_;
};

}  // namespace test_support
