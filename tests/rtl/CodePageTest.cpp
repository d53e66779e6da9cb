// The Windows-1252 and Windows-1250 tables: case, letters, order and the
// conversions to and from UTF-8.
#include "SysUtilsTestSupport.h"

namespace {

class CodePageTest : public TNeutralSettings {};

TEST_F(CodePageTest, DefaultIsWindows1252AndSelectable) {
  EXPECT_EQ(AnsiCodePage(), TCodePage::Windows1252);
  SetAnsiCodePage(TCodePage::Windows1250);
  EXPECT_EQ(AnsiCodePage(), TCodePage::Windows1250);
}

struct CaseRow {
  TCodePage Page;
  unsigned char Lower, Upper;
  const char* Name;
};

TEST_F(CodePageTest, UpperAndLowerCaseOfAccentedLetters) {
  const CaseRow rows[] = {
      {TCodePage::Windows1252, 0xE9, 0xC9, "e acute"},
      {TCodePage::Windows1252, 0xFF, 0x9F, "y diaeresis"},
      {TCodePage::Windows1252, 0x9A, 0x8A, "s caron"},
      {TCodePage::Windows1252, 0x9C, 0x8C, "oe"},
      {TCodePage::Windows1252, 0x9E, 0x8E, "z caron"},
      {TCodePage::Windows1252, 0xE6, 0xC6, "ae"},
      {TCodePage::Windows1252, 0xFE, 0xDE, "thorn"},
      {TCodePage::Windows1252, 0xF1, 0xD1, "n tilde"},
      {TCodePage::Windows1250, 0xB9, 0xA5, "a ogonek"},
      {TCodePage::Windows1250, 0xB3, 0xA3, "l stroke"},
      {TCodePage::Windows1250, 0xE8, 0xC8, "c caron"},
      {TCodePage::Windows1250, 0x9F, 0x8F, "z acute"},
      {TCodePage::Windows1250, 0xBF, 0xAF, "z dot"},
      {TCodePage::Windows1250, 0xF8, 0xD8, "r caron"},
      {TCodePage::Windows1250, 0xBE, 0xBC, "l caron"},
      {TCodePage::Windows1250, 0xFB, 0xDB, "u double acute"},
  };
  for (const CaseRow& r : rows) {
    SetAnsiCodePage(r.Page);
    EXPECT_EQ(static_cast<unsigned char>(AnsiUpperChar(char(r.Lower))), r.Upper) << r.Name;
    EXPECT_EQ(static_cast<unsigned char>(AnsiLowerChar(char(r.Upper))), r.Lower) << r.Name;
    EXPECT_TRUE(AnsiIsLetter(char(r.Lower))) << r.Name;
    EXPECT_TRUE(AnsiIsLetter(char(r.Upper))) << r.Name;
  }
}

TEST_F(CodePageTest, LettersWithoutASingleByteCasePartnerStay) {
  // sharp s (upper case "SS"), micro sign (Greek capital mu) and ordinals.
  for (unsigned char c : {0xDF, 0xB5, 0xAA, 0xBA}) {
    EXPECT_EQ(static_cast<unsigned char>(AnsiUpperChar(char(c))), c) << int(c);
    EXPECT_TRUE(AnsiIsLetter(char(c))) << int(c);
  }
  // The same byte is a different letter in each page: 0x9F is Y diaeresis in
  // 1252 (lower case is 0xFF) and z acute in 1250 (upper case is 0x8F).
  EXPECT_EQ(static_cast<unsigned char>(AnsiLowerChar('\x9F')), 0xFF);
  SetAnsiCodePage(TCodePage::Windows1250);
  EXPECT_EQ(static_cast<unsigned char>(AnsiUpperChar('\x9F')), 0x8F);
  EXPECT_EQ(AnsiUpperCase("\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF"), "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
}

TEST_F(CodePageTest, NonLettersAreNotLettersAndKeepTheirCase) {
  const unsigned char nonLetters[] = {'1', ' ', '_', 0x80, 0x88, 0xA0, 0xD7, 0xF7, 0xB2};
  for (unsigned char c : nonLetters) {
    EXPECT_FALSE(AnsiIsLetter(char(c))) << int(c);
    EXPECT_EQ(static_cast<unsigned char>(AnsiUpperChar(char(c))), c) << int(c);
    EXPECT_EQ(static_cast<unsigned char>(AnsiLowerChar(char(c))), c) << int(c);
  }
  EXPECT_TRUE(AnsiIsLetter('a'));
  EXPECT_EQ(AnsiUpperChar('q'), 'Q');
}

TEST_F(CodePageTest, CaseMappingIsConsistentOverEveryByte) {
  for (TCodePage page : {TCodePage::Windows1252, TCodePage::Windows1250}) {
    SetAnsiCodePage(page);
    for (int b = 0; b < 256; ++b) {
      const char c = char(b);
      const char up = AnsiUpperChar(c);
      const char low = AnsiLowerChar(c);
      EXPECT_EQ(AnsiUpperChar(up), up) << int(page) << " " << b;
      EXPECT_EQ(AnsiLowerChar(low), low) << int(page) << " " << b;
      if (up != c) {
        EXPECT_EQ(AnsiLowerChar(up), c) << int(page) << " " << b;
      }
      if (up != c || low != c) {
        EXPECT_TRUE(AnsiIsLetter(c)) << int(page) << " " << b;
      }
    }
  }
}

TEST_F(CodePageTest, UnicodeOfBytes) {
  struct Row { TCodePage Page; unsigned char Byte; char32_t Code; };
  const Row rows[] = {
      {TCodePage::Windows1252, 'A', U'A'},     {TCodePage::Windows1252, 0x80, U'\u20AC'},
      {TCodePage::Windows1252, 0x9F, U'\u0178'}, {TCodePage::Windows1252, 0xE9, U'\u00E9'},
      {TCodePage::Windows1252, 0x81, 0xFFFD},  {TCodePage::Windows1252, 0x8D, 0xFFFD},
      {TCodePage::Windows1250, 0xB9, U'\u0105'}, {TCodePage::Windows1250, 0x8A, U'\u0160'},
      {TCodePage::Windows1250, 0xF8, U'\u0159'}, {TCodePage::Windows1250, 0x83, 0xFFFD},
  };
  for (const Row& r : rows) {
    SetAnsiCodePage(r.Page);
    EXPECT_EQ(AnsiCharToUnicode(r.Byte), r.Code) << int(r.Page) << " " << int(r.Byte);
    if (r.Code != 0xFFFD) {
      EXPECT_EQ(UnicodeToAnsiChar(r.Code), r.Byte) << int(r.Page) << " " << int(r.Byte);
    }
  }
  EXPECT_EQ(UnicodeToAnsiChar(0xFFFD), -1);
  EXPECT_EQ(UnicodeToAnsiChar(U'\u4E2D'), -1);
  EXPECT_EQ(UnicodeToAnsiChar(U'\U0001F600'), -1);
}

TEST_F(CodePageTest, EveryAssignedByteRoundTripsThroughUtf8) {
  for (TCodePage page : {TCodePage::Windows1252, TCodePage::Windows1250}) {
    SetAnsiCodePage(page);
    for (int b = 1; b < 256; ++b) {
      const std::string one(1, char(b));
      if (AnsiCharToUnicode(static_cast<unsigned char>(b)) == 0xFFFD) {
        EXPECT_EQ(AnsiToUtf8(one), "\xEF\xBF\xBD") << int(page) << " " << b;
        EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(one)), "?") << int(page) << " " << b;
      } else {
        EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(one)), one) << int(page) << " " << b;
      }
    }
  }
}

TEST_F(CodePageTest, Utf8Conversions) {
  struct Row { TCodePage Page; const char* Ansi; const char* Utf8; };
  const Row rows[] = {
      {TCodePage::Windows1252, "caf\xE9", "caf\xC3\xA9"},
      {TCodePage::Windows1252, "\x80 5", "\xE2\x82\xAC 5"},
      {TCodePage::Windows1252, "\x93quoted\x94", "\xE2\x80\x9Cquoted\xE2\x80\x9D"},
      {TCodePage::Windows1250, "\xA3\xF3\x9F", "\xC5\x81\xC3\xB3\xC5\xBA"},
      {TCodePage::Windows1250, "\x8A" "koda", "\xC5\xA0koda"},
  };
  for (const Row& r : rows) {
    SetAnsiCodePage(r.Page);
    EXPECT_EQ(AnsiToUtf8(r.Ansi), r.Utf8) << r.Ansi;
    EXPECT_EQ(Utf8ToAnsi(r.Utf8), r.Ansi) << r.Ansi;
  }
  EXPECT_EQ(AnsiToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST_F(CodePageTest, CharactersOutsideThePageAndMalformedUtf8BecomeReplacement) {
  struct Row { const char* Utf8; const char* Ansi; const char* Name; };
  const Row rows[] = {
      {"\xE4\xB8\xAD\xE6\x96\x87", "??", "two CJK characters"},
      {"a\xF0\x9F\x98\x80" "b", "a?b", "emoji"},
      {"\xC5\x81", "?", "L stroke is not in 1252"},
      {"a\xFF" "b", "a?b", "invalid lead byte"},
      {"a\x80" "b", "a?b", "lone continuation byte"},
      {"a\xC3", "a?", "truncated at the end"},
      {"\xC3(", "?(", "truncated before ASCII"},
      // A complete sequence that encodes no valid character is one replacement.
      {"\xC0\xAF", "?", "overlong slash"},
      {"\xED\xA0\x80", "?", "surrogate"},
      {"\xF4\x90\x80\x80", "?", "beyond U+10FFFF"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Utf8ToAnsi(r.Utf8), r.Ansi) << r.Name;
  }
  EXPECT_EQ(Utf8ToAnsi("\xE4\xB8\xAD", '_'), "_");
}

TEST_F(CodePageTest, AnsiCompareTextFollowsThePolishAlphabetIn1250) {
  SetAnsiCodePage(TCodePage::Windows1250);
  // a < ą < b, l < ł < m, z < ź < ż; both cases alike.
  EXPECT_LT(AnsiCompareText("a", "\xB9"), 0);
  EXPECT_LT(AnsiCompareText("\xB9", "b"), 0);
  EXPECT_LT(AnsiCompareText("l", "\xB3"), 0);
  EXPECT_LT(AnsiCompareText("\xB3", "m"), 0);
  EXPECT_LT(AnsiCompareText("z", "\x9F"), 0);
  EXPECT_EQ(AnsiCompareText("\xA5\xA3", "\xB9\xB3"), 0);
  EXPECT_TRUE(AnsiSameText("\xA3\xF3" "d\x9F", "\xB3\xD3" "D\x8F"));
}

}  // namespace
