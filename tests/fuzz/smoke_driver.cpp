// Stand-in for libFuzzer's main when the fuzz targets are built with gcc:
// runs every file of a seed folder, then a fixed number of deterministic
// mutations of those seeds (bit flips, truncations, byte runs, splices).
// Usage: <target> [corpus-folder] [mutations]
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> LoadSeeds(const char* folder) {
  std::vector<Bytes> seeds;
  std::error_code ec;
  if (folder == nullptr || !std::filesystem::is_directory(folder, ec)) return seeds;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return seeds;
}

Bytes Mutate(const std::vector<Bytes>& seeds, std::mt19937& rng) {
  Bytes b = seeds.empty() ? Bytes{} : seeds[rng() % seeds.size()];
  int steps = 1 + static_cast<int>(rng() % 8);
  for (int i = 0; i < steps; ++i) {
    switch (rng() % 6) {
      case 0:  // flip a bit
        if (!b.empty()) b[rng() % b.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
        break;
      case 1:  // set a byte to an extreme
        if (!b.empty()) b[rng() % b.size()] = (rng() & 1) ? 0xFF : 0x00;
        break;
      case 2:  // truncate
        if (!b.empty()) b.resize(rng() % b.size());
        break;
      case 3:  // append random bytes
        for (int n = static_cast<int>(rng() % 32); n > 0; --n) b.push_back(static_cast<uint8_t>(rng()));
        break;
      case 4:  // overwrite a 32-bit field with a hostile value
        if (b.size() >= 4) {
          static const uint32_t values[] = {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0x10000u, 0u};
          uint32_t v = values[rng() % 5];
          size_t at = rng() % (b.size() - 3);
          for (int k = 0; k < 4; ++k) b[at + k] = static_cast<uint8_t>(v >> (8 * k));
        }
        break;
      case 5:  // splice in a slice of another seed
        if (!seeds.empty()) {
          const Bytes& other = seeds[rng() % seeds.size()];
          if (!other.empty()) {
            size_t from = rng() % other.size();
            size_t len = rng() % (other.size() - from + 1);
            size_t at = b.empty() ? 0 : rng() % b.size();
            b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), other.begin() + static_cast<std::ptrdiff_t>(from),
                     other.begin() + static_cast<std::ptrdiff_t>(from + len));
          }
        }
        break;
    }
  }
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  const char* folder = argc > 1 ? argv[1] : nullptr;
  long mutations = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1000;
  std::vector<Bytes> seeds = LoadSeeds(folder);
  for (const Bytes& s : seeds) LLVMFuzzerTestOneInput(s.data(), s.size());
  std::mt19937 rng(12345);
  for (long i = 0; i < mutations; ++i) {
    Bytes b = Mutate(seeds, rng);
    LLVMFuzzerTestOneInput(b.data(), b.size());
  }
  std::printf("%zu seeds and %ld mutations ran\n", seeds.size(), mutations);
  return 0;
}
