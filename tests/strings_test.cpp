#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>

#include "media/core/strings.h"

TEST(IntText, ShortestDecimalForm) {
  EXPECT_EQ(IntText(0), u"0");
  EXPECT_EQ(IntText(-5), u"-5");
  EXPECT_EQ(IntText(1234567), u"1234567");
  EXPECT_EQ(IntText(INT_MAX), u"2147483647");
  EXPECT_EQ(IntText(INT_MIN), u"-2147483648");
}

TEST(ParseInt, ExamplesAndBases) {
  EXPECT_EQ(ParseInt(u" 42abc"), 42);
  EXPECT_EQ(ParseInt(u"-$ff"), -255);
  EXPECT_EQ(ParseInt(u"$FF"), 255);
  EXPECT_EQ(ParseInt(u"%101"), 5);
  EXPECT_EQ(ParseInt(u"%1012"), 5);
  EXPECT_EQ(ParseInt(u"$"), 0);
  EXPECT_EQ(ParseInt(u"abc"), 0);
  EXPECT_EQ(ParseInt(u"- 5"), 0);
  EXPECT_EQ(ParseInt(u"  +17"), 17);
  EXPECT_EQ(ParseInt(u"$1A"), 26);
  EXPECT_EQ(ParseInt(u"$1ag"), 26);
  EXPECT_EQ(ParseInt(u"%11"), 3);
  EXPECT_EQ(ParseInt(u"12.9"), 12);
  EXPECT_EQ(ParseInt(u""), 0);
  EXPECT_EQ(ParseInt(u"   "), 0);
  EXPECT_EQ(ParseInt(u"-"), 0);
  EXPECT_EQ(ParseInt(u"+-5"), 0);
  EXPECT_EQ(ParseInt(u"-2147483648"), INT_MIN);
  EXPECT_EQ(ParseInt(u"\t\n\v\f\r 9"), 9);
  EXPECT_EQ(ParseInt(u"007"), 7);
}

TEST(ParseInt, WrapsIn32Bits) {
  EXPECT_EQ(ParseInt(u"4294967297"), 1);
  EXPECT_EQ(ParseInt(u"2147483648"), INT_MIN);
  EXPECT_EQ(ParseInt(u"4294967295"), -1);
  EXPECT_EQ(ParseInt(u"-4294967295"), 1);
  EXPECT_EQ(ParseInt(u"$1FFFFFFFF"), -1);
  EXPECT_EQ(ParseInt(u"%100000000000000000000000000000001"), 1);
  EXPECT_EQ(ParseInt(u"99999999999999999999"), 1661992959);  // the value mod 2^32
}

TEST(ParseInt, UnitsAbove255AreNeverBlanksOrDigits) {
  // Units whose low byte is a blank or a digit must not be taken for one.
  EXPECT_EQ(ParseInt(String{0x0120, u'5'}), 0);   // low byte 0x20 (space)
  EXPECT_EQ(ParseInt(String{u'4', 0x0131}), 4);   // low byte '1'
  EXPECT_EQ(ParseInt(String{u'$', 0x0141}), 0);   // low byte 'A'
  EXPECT_EQ(ParseInt(String{0x00A0, u'5'}), 0);   // no-break space is no C-locale blank
  EXPECT_EQ(ParseInt(String{0xFF11}), 0);         // fullwidth digit one
}

TEST(SubText, SliceRule) {
  EXPECT_EQ(SubText(u"abcdef", 0), u" abcdef");
  EXPECT_EQ(SubText(u"abcdef", -2), u"   abcdef");
  EXPECT_EQ(SubText(u"abcdef", 0, 3), u"ab");
  EXPECT_EQ(SubText(u"abcdef", -5, 3), u"");
  EXPECT_EQ(SubText(u"abcdef", 5, 10), u"ef");
  EXPECT_EQ(SubText(u"abcdef", 7, 1), u"");
  EXPECT_EQ(SubText(u"abcdef", 7), u"");
  EXPECT_EQ(SubText(u"abcdef", 6), u"f");
  EXPECT_EQ(SubText(u"abcdef", 2, 3), u"bcd");
  EXPECT_EQ(SubText(u"abcdef", 2, 0), u"");
  EXPECT_EQ(SubText(u"abcdef", 3, INT_MAX), u"cdef");
  EXPECT_EQ(SubText(u"", 1, 1), u"");
  EXPECT_EQ(SubText(u"", 0), u" ");

  String line(111, u'x');
  line[109] = u'y';
  line[110] = u'z';
  EXPECT_EQ(SubText(line, 110, 2), u"yz");
  EXPECT_EQ(SubText(line, 111, 2), u"z");
  EXPECT_EQ(SubText(line, 112, 2), u"");
}

TEST(SubText, AbsurdFillerIsAnErrorNotAHugeAllocation) {
  EXPECT_THROW(SubText(u"abc", INT_MIN), std::length_error);
  EXPECT_EQ(SubText(u"abc", INT_MIN, 5), u"");
}

TEST(LeftText, CutsToLength) {
  EXPECT_EQ(LeftText(u"abc", 5), u"abc");
  EXPECT_EQ(LeftText(u"abc", 2), u"ab");
  EXPECT_EQ(LeftText(u"abc", 0), u"");
  EXPECT_EQ(LeftText(u"abc", -1), u"");
  EXPECT_EQ(LeftText(u"abc", INT_MIN), u"");
}

TEST(CompareText, CodeUnitOrder) {
  EXPECT_LT(CompareText(u"abc", u"abd"), 0);
  EXPECT_GT(CompareText(u"abc", u"ab"), 0);
  EXPECT_LT(CompareText(u"10", u"9"), 0);
  EXPECT_LT(CompareText(u"Z", u"a"), 0);
  EXPECT_EQ(CompareText(u"same", u"same"), 0);
  EXPECT_EQ(CompareText(u"", u""), 0);
  EXPECT_EQ(CompareText(u"b", u"a"), 1);
  EXPECT_EQ(CompareText(u"abcde", u"ab"), 3);
  // Units compare as unsigned 16-bit numbers.
  EXPECT_GT(CompareText(String{0xFFFF}, u"a"), 0);
  EXPECT_GT(CompareText(String{0x8000}, String{0x7FFF}), 0);
  // The open-cell rule compares one-character cells against "5".
  EXPECT_GT(CompareText(u"6", u"5"), 0);
  EXPECT_LT(CompareText(u"5", u"50"), 0);
}

TEST(CharText, LowSixteenBits) {
  EXPECT_EQ(CharText(65), u"A");
  EXPECT_EQ(CharText(0x10041), u"A");
  EXPECT_EQ(CharText(-1), String{0xFFFF});
  EXPECT_EQ(CharText(0), String(1, u'\0'));
  EXPECT_EQ(u"ab" + CharText(99), u"abc");
}

TEST(TextConversions, BytesAndUtf8) {
  EXPECT_EQ(TextFromBytes("\xE9\x01"), (String{233, 1}));
  EXPECT_EQ(TextToBytes(String{0x20AC, u'A', 0xFF}), "\xAC" "A\xFF");
  const String mixed = {u'a', 0xE9, 0x20AC, 0xD83D, 0xDE00};
  EXPECT_EQ(TextToUtf8(mixed), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(TextFromUtf8(TextToUtf8(mixed)), mixed);
  EXPECT_EQ(TextToUtf8(String{0xD800, u'x'}), "\xEF\xBF\xBDx");
  EXPECT_EQ(TextFromUtf8("\xC3"), String{0xFFFD});
  EXPECT_EQ(TextFromUtf8("\xC0\x80z"), (String{0xFFFD, u'z'}));
  EXPECT_EQ(TextFromUtf8("\xFFq"), (String{0xFFFD, u'q'}));
}
