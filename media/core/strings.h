// The program's text type and the string operations the game applies to what it
// reads and shows.
//
// A text is an immutable sequence of 16-bit code units (UTF-16); `String` is simply
// std::u16string, so literals are written u"like this". Every operation returns a new
// text and leaves its arguments alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using String = std::u16string;

// Shortest decimal form: "-" for negatives, no "+", no padding; INT_MIN gives
// "-2147483648".
String IntText(int value);

// Integer parsing that never fails: leading C-locale blanks, an optional sign, then
// "%" binary digits, "$" hexadecimal digits (either case) or decimal digits, up to
// the first unit that is not a digit of that base. 32-bit arithmetic that wraps
// silently; no digits gives 0. Code units above 255 are never blanks or digits.
int ParseInt(std::u16string_view text);

// Substring counting from 1. Without a size (size < 0) it runs to the end, and a pos
// below 1 puts one filler space in front per position before the first unit.
// With a size the result never holds filler: it is clipped to the text.
// A pos beyond the length gives the empty text.
String SubText(std::u16string_view text, int pos, int size = -1);

// The first n units (n is cut to the length; n <= 0 gives the empty text).
String LeftText(std::u16string_view text, int n);

// Code-unit order: at the first difference, a's unit minus b's unit (as unsigned
// 16-bit numbers); when one is a prefix of the other, a's length minus b's length.
// Only the sign is meant: "10" < "9", "Z" < "a".
int CompareText(std::u16string_view a, std::u16string_view b);

// A text of one code unit: the low 16 bits of code.
String CharText(int code);

// Byte <-> text conversions used by the file layer: one unit per byte (0..255), and
// back with the low 8 bits of each unit.
String TextFromBytes(std::string_view bytes);
std::string TextToBytes(std::u16string_view text);

// UTF-8 form of a text, for handing paths and messages to the C library. Unpaired
// surrogates become U+FFFD.
std::string TextToUtf8(std::u16string_view text);
// UTF-16 text of UTF-8 input; malformed sequences become U+FFFD.
String TextFromUtf8(std::string_view utf8);
