// A folder of its own for a fuzz target that needs files, made on first use and
// removed when the program ends.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz_support {

inline const std::string& ScratchFolder(const char* target) {
  static const std::string folder = [&] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("zarn_" + std::string(target) + "_fuzz_XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    static std::string removed_at_exit;
    removed_at_exit = pattern;
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(removed_at_exit, ec);
    });
    return pattern;
  }();
  return folder;
}

}  // namespace fuzz_support
