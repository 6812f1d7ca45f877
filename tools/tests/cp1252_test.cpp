#include "tools/common/cp1252.h"

#include <gtest/gtest.h>

#include <string>

TEST(Cp1252FromUtf8, AsciiAndLatin1LettersMapToSingleBytes) {
  EXPECT_EQ(utf8_to_cp1252(""), std::string());
  EXPECT_EQ(utf8_to_cp1252("data\\b.bin"), std::string("data\\b.bin"));
  EXPECT_EQ(utf8_to_cp1252("Grüße"), std::string("Gr\xFC\xDF" "e"));
  EXPECT_EQ(utf8_to_cp1252("\u00A0\u00FF"), std::string("\xA0\xFF"));
}

TEST(Cp1252FromUtf8, BytesHex80To9FHoldTheirOwnCharacters) {
  EXPECT_EQ(utf8_to_cp1252("€"), std::string("\x80"));
  EXPECT_EQ(utf8_to_cp1252("‚"), std::string("\x82"));
  EXPECT_EQ(utf8_to_cp1252("Š"), std::string("\x8A"));
  EXPECT_EQ(utf8_to_cp1252("Ž"), std::string("\x8E"));
  EXPECT_EQ(utf8_to_cp1252("™"), std::string("\x99"));
  EXPECT_EQ(utf8_to_cp1252("Ÿ"), std::string("\x9F"));
  // The C1 control characters themselves are not in Windows-1252.
  EXPECT_FALSE(utf8_to_cp1252("\u0080"));
  EXPECT_FALSE(utf8_to_cp1252("\u0081"));
  EXPECT_FALSE(utf8_to_cp1252("\u009F"));
}

TEST(Cp1252FromUtf8, CharactersOutsideTheCodePageAreRefused) {
  EXPECT_FALSE(utf8_to_cp1252("Ω"));
  EXPECT_FALSE(utf8_to_cp1252("a日本"));
  EXPECT_FALSE(utf8_to_cp1252("\xF0\x9F\x98\x80"));  // U+1F600
  EXPECT_FALSE(utf8_to_cp1252("\uFFFD"));
}

TEST(Cp1252FromUtf8, MalformedUtf8IsRefused) {
  EXPECT_FALSE(utf8_to_cp1252("\x80"));              // lone continuation byte
  EXPECT_FALSE(utf8_to_cp1252("ab\xC3"));            // cut short
  EXPECT_FALSE(utf8_to_cp1252("\xC3" "("));          // bad continuation
  EXPECT_FALSE(utf8_to_cp1252("\xFF"));
  EXPECT_FALSE(utf8_to_cp1252("\xED\xA0\x80"));      // a surrogate
  // Overlong forms of "/" and "." must not sneak separators or dots past a check.
  EXPECT_FALSE(utf8_to_cp1252("\xC0\xAF"));
  EXPECT_FALSE(utf8_to_cp1252("\xE0\x80\xAE"));
  EXPECT_FALSE(utf8_to_cp1252("\xC1\xBF"));
}

TEST(Cp1252ToUtf8, EveryAssignedByteRoundTrips) {
  for (int b = 1; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = cp1252_to_utf8(byte);
    if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
      EXPECT_EQ(utf8, "\uFFFD") << b;
    } else {
      EXPECT_EQ(utf8_to_cp1252(utf8), byte) << b;
    }
  }
  EXPECT_EQ(cp1252_to_utf8("Gr\xFC\xDF" "e \x80"), "Grüße €");
}
