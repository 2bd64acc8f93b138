// Arbitrary bytes through the line reader and the integer parser.
//
// The bytes are read as lines twice, by the memory stream's fast reader and by the
// byte-at-a-time reader every stream inherits, and the two must agree; no line may
// hold a line end or NUL, and together they cannot hold more bytes than the input.
// The same bytes, as byte-per-unit text and as UTF-16 units, go to ParseInt and
// the slicing operations.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "media/files/streams.h"
#include "media/core/strings.h"

namespace {

class OneByteAtATime : public TStream {
 public:
  OneByteAtATime(const uint8_t* data, size_t size) : _data(data), _size(size) {}
  int Read(void* buffer, int count) override {
    if (count <= 0 || _at >= _size) return 0;
    *static_cast<uint8_t*>(buffer) = _data[_at++];
    return 1;
  }

 private:
  const uint8_t* _data;
  size_t _size;
  size_t _at = 0;
};

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  TMemoryStream fast(data, size);
  OneByteAtATime slow(data, size);
  size_t total = 0;
  while (!fast.Eof()) {
    const String line = fast.ReadLine();
    Check(line == slow.ReadLine());
    for (char16_t c : line) Check(c != 0 && c != 10 && c != 13 && c < 256);
    total += line.size();
  }
  Check(total <= size);
  Check(slow.ReadLine().empty() && fast.ReadLine().empty());

  const String bytes = TextFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  String units(size / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  const int a = ParseInt(bytes);
  const int b = ParseInt(units);
  // Formatting and parsing back is the identity.
  Check(ParseInt(IntText(a)) == a && ParseInt(IntText(b)) == b);

  if (size >= 8) {
    int32_t pos, len;
    std::memcpy(&pos, data, 4);
    std::memcpy(&len, data + 4, 4);
    pos %= 4096;  // keep the filler of SubText without a size within reason
    const String sub = SubText(bytes, pos, len);
    const int64_t length = static_cast<int64_t>(bytes.size());
    if (len >= 0) {
      Check(sub.size() <= bytes.size());  // a given size never adds filler
    } else {
      Check(static_cast<int64_t>(sub.size()) == (pos > length ? 0 : length - pos + 1));
    }
    Check(LeftText(units, len).size() <= units.size());
    Check(CompareText(bytes, units) == -CompareText(units, bytes));
    (void)SubText(units, pos);
  }
  return 0;
}
