#include "media/core/strings.h"

#include <algorithm>
#include <stdexcept>

namespace {

// A slice may pad with spaces outside the text (SubText with a pos below 1). A
// caller passing an absurd pos would otherwise ask for gigabytes of spaces.
constexpr int64_t kMaxFiller = 1 << 20;

// slice(text, begin, end) over zero-based positions: positions inside the text take
// its units, positions outside it become spaces.
String Slice(std::u16string_view text, int64_t begin, int64_t end) {
  if (end - begin <= 0) return String();
  const int64_t length = static_cast<int64_t>(text.size());
  const int64_t filler = std::max<int64_t>(0, -begin) + std::max<int64_t>(0, end - std::max(length, begin));
  if (filler > kMaxFiller) {
    throw std::length_error("text slice would need " + std::to_string(filler) + " filler spaces");
  }
  String out;
  out.reserve(static_cast<size_t>(end - begin));
  for (int64_t i = begin; i < end && i < 0; ++i) out.push_back(u' ');
  const int64_t from = std::clamp<int64_t>(begin, 0, length);
  const int64_t to = std::clamp<int64_t>(end, 0, length);
  if (to > from) out.append(text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from)));
  for (int64_t i = std::max(begin, length); i < end; ++i) out.push_back(u' ');
  return out;
}

bool IsBlank(char16_t c) { return c == u' ' || (c >= 9 && c <= 13); }

// Value of c as a digit of the base, or -1.
int DigitValue(char16_t c, int base) {
  int v = -1;
  if (c >= u'0' && c <= u'9') {
    v = c - u'0';
  } else if (c >= u'a' && c <= u'f') {
    v = c - u'a' + 10;
  } else if (c >= u'A' && c <= u'F') {
    v = c - u'A' + 10;
  }
  return v < base ? v : -1;
}

}  // namespace

String IntText(int value) {
  const std::string digits = std::to_string(value);
  return String(digits.begin(), digits.end());
}

int ParseInt(std::u16string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  if (i == n) return 0;
  bool negative = false;
  if (text[i] == u'+' || text[i] == u'-') {
    negative = text[i] == u'-';
    ++i;
  }
  if (i == n) return 0;
  int base = 10;
  if (text[i] == u'%') {
    base = 2;
    ++i;
  } else if (text[i] == u'$') {
    base = 16;
    ++i;
  }
  uint32_t value = 0;  // unsigned: overflow wraps by definition
  for (; i < n; ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) break;
    value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

String SubText(std::u16string_view text, int pos_from_one, int size_arg) {
  const int64_t length = static_cast<int64_t>(text.size());
  int64_t pos = pos_from_one;
  int64_t size = size_arg;
  if (pos > length) return String();
  pos -= 1;
  if (size < 0) return Slice(text, pos, length);
  if (pos < 0) {
    size += pos;
    pos = 0;
  }
  if (pos + size > length) size = length - pos;
  return Slice(text, pos, pos + size);
}

String LeftText(std::u16string_view text, int n) {
  const int64_t length = static_cast<int64_t>(text.size());
  return Slice(text, 0, std::min<int64_t>(n, length));
}

int CompareText(std::u16string_view a, std::u16string_view b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    if (a[i] != b[i]) return static_cast<int>(a[i]) - static_cast<int>(b[i]);
  }
  const int64_t diff = static_cast<int64_t>(a.size()) - static_cast<int64_t>(b.size());
  return static_cast<int>(std::clamp<int64_t>(diff, -0x7FFFFFFF, 0x7FFFFFFF));
}

String CharText(int code) { return String(1, static_cast<char16_t>(static_cast<uint32_t>(code) & 0xFFFFu)); }

String TextFromBytes(std::string_view bytes) {
  String out(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
  return out;
}

std::string TextToBytes(std::u16string_view text) {
  std::string out(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) out[i] = static_cast<char>(text[i] & 0xFF);
  return out;
}

std::string TextToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

String TextFromUtf8(std::string_view utf8) {
  String out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    int extra = 0;
    uint32_t c = 0;
    uint32_t min = 0;
    if (lead < 0x80) {
      c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, c = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, c = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, c = lead & 0x07, min = 0x10000;
    } else {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    size_t j = i + 1;
    for (int k = 0; k < extra; ++k, ++j) {
      if (j >= utf8.size() || (static_cast<unsigned char>(utf8[j]) & 0xC0) != 0x80) break;
      c = (c << 6) | (static_cast<unsigned char>(utf8[j]) & 0x3F);
    }
    if (j - i != static_cast<size_t>(extra) + 1 || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out.push_back(0xFFFD);
      i = j > i + 1 ? j : i + 1;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i = j;
  }
  return out;
}
