#include "support/temp_dir.h"

#include <stdlib.h>

#include <stdexcept>

namespace fs = std::filesystem;

namespace test_support {

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "zarn-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  for (const auto& entry : fs::recursive_directory_iterator(path_, ec))
    if (entry.is_directory(ec)) fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

fs::path TempDir::Make(const std::string& relative) const {
  const fs::path dir = *this / relative;
  fs::create_directories(dir);
  return dir;
}

}  // namespace test_support
