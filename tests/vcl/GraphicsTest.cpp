#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "Graphics.h"

namespace {

TEST(GraphicsTest, ColorTextRoundTrips) {
  struct Case {
    int32_t value;
    const char* text;
  } cases[] = {
      {clBlack, "clBlack"},          {clWhite, "clWhite"},        {clRed, "clRed"},
      {clBtnFace, "clBtnFace"},      {clWindowText, "clWindowText"}, {clInfoBk, "clInfoBk"},
      {clNone, "clNone"},            {0x00123456, "$00123456"},   {int32_t(0x80000040u), "$80000040"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColorToString(TColor(c.value)), c.text) << c.text;
    EXPECT_EQ(int32_t(StringToColor(c.text)), c.value) << c.text;
  }
}

TEST(GraphicsTest, StringToColorAcceptsIdentInAnyCaseAndNumbers) {
  EXPECT_EQ(StringToColor("CLRED"), clRed);
  EXPECT_EQ(StringToColor("255"), clRed);
  EXPECT_EQ(StringToColor("$FF"), clRed);
  EXPECT_EQ(int32_t(StringToColor("-2147483640")), int32_t(clWindowText));
  EXPECT_THROW(StringToColor("clRedd"), EConvertError);
  EXPECT_THROW(StringToColor(""), EConvertError);
}

TEST(GraphicsTest, IdentifierListsAreCompleteAndUnique) {
  EXPECT_EQ(ColorIdents().size(), 42u);
  EXPECT_EQ(CursorIdents().size(), 21u);
  for (const auto* list : {&ColorIdents(), &CursorIdents()})
    for (size_t i = 0; i < list->size(); ++i)
      for (size_t j = i + 1; j < list->size(); ++j) EXPECT_FALSE(SameText((*list)[i], (*list)[j])) << (*list)[i];
  // Every system colour is its index with the high bit set.
  for (const AnsiString& ident : ColorIdents()) {
    int32_t v = 0;
    ASSERT_TRUE(IdentToColor(ident, v)) << ident;
    if (v < 0) {
      EXPECT_LE(uint32_t(v) & 0x7FFFFFFFu, 24u) << ident;
    }
  }
}

TEST(GraphicsTest, CursorTextRoundTrips) {
  struct Case {
    int32_t value;
    const char* text;
  } cases[] = {{crDefault, "crDefault"}, {crNone, "crNone"}, {crHourGlass, "crHourGlass"},
               {crHelp, "crHelp"},       {-21, "-21"},         {5, "5"}};
  for (const Case& c : cases) {
    EXPECT_EQ(CursorToString(TCursor(c.value)), c.text) << c.text;
    EXPECT_EQ(int32_t(StringToCursor(c.text)), c.value) << c.text;
  }
  EXPECT_EQ(StringToCursor("crhourglass"), crHourGlass);
  EXPECT_THROW(StringToCursor("crWait"), EConvertError);
}

TEST(GraphicsTest, ColorAndCursorHaveNamedIntegerTypes) {
  const TPropInfo* color = GetPropInfo(TFont::StaticClass(), "Color");
  ASSERT_NE(color, nullptr);
  EXPECT_EQ(color->PropType->Kind, tkInteger);
  EXPECT_EQ(color->PropType->Name, "TColor");
  EXPECT_EQ(TypeInfoOf<TCursor>()->Name, "TCursor");
  EXPECT_EQ(TypeInfoOf<TCursor>()->OrdType, otSWord);
}

TEST(GraphicsTest, FontSizeAndHeightAreTiedAt96Dpi) {
  struct Case {
    int size, height;
  } cases[] = {{8, -11}, {9, -12}, {10, -13}, {12, -16}, {14, -19}, {72, -96}};
  for (const Case& c : cases) {
    TFont f;
    f.SetSize(c.size);
    EXPECT_EQ(f.Height(), c.height) << c.size;
    TFont g;
    g.SetHeight(c.height);
    EXPECT_EQ(g.Size(), c.size) << c.size;
  }
  TFont f;
  EXPECT_EQ(f.Name(), "Arial");
  EXPECT_EQ(f.Size(), 8);
  EXPECT_EQ(f.Color(), clWindowText);
  EXPECT_EQ(f.Charset(), DEFAULT_CHARSET);
}

TEST(GraphicsTest, FontChangesNotifyOnceAndAssignCopiesEverything) {
  TFont f;
  int changes = 0;
  f.OnChange.Handler = [&](TObject* sender) {
    EXPECT_EQ(sender, &f);
    ++changes;
  };
  f.SetSize(12);
  f.SetSize(12);  // same value: no notice
  f.SetStyle(TFontStyles{fsBold, fsItalic});
  EXPECT_EQ(changes, 2);

  TFont g;
  g.SetName("Courier New");
  g.SetColor(clRed);
  g.SetPitch(fpFixed);
  g.SetCharset(EASTEUROPE_CHARSET);
  f.Assign(g);
  EXPECT_EQ(changes, 3);
  EXPECT_TRUE(f == g);
  f.Assign(g);
  EXPECT_EQ(changes, 3);
  TPen pen;
  EXPECT_THROW(f.Assign(pen), EConvertError);
}

TEST(GraphicsTest, FontStyleIsASetOfFourNamedMembers) {
  const TPropInfo* style = GetPropInfo(TFont::StaticClass(), "Style");
  ASSERT_NE(style, nullptr);
  ASSERT_EQ(style->PropType->Kind, tkSet);
  const TTypeInfo* el = style->PropType->CompType;
  ASSERT_NE(el, nullptr);
  EXPECT_EQ(el->EnumNames, (std::vector<AnsiString>{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}));
  TFont f;
  SetOrdProp(&f, style, (1 << fsUnderline) | (1 << fsStrikeOut));
  EXPECT_TRUE(f.Style().Contains(fsUnderline));
  EXPECT_FALSE(f.Style().Contains(fsBold));
}

// A 3x2 BMP header is enough for the size reader.
std::string TinyBmp() {
  std::string d(54, '\0');
  d[0] = 'B';
  d[1] = 'M';
  d[18] = 3;
  d[22] = char(0xFE);  // -2: top-down rows
  d[23] = d[24] = d[25] = char(0xFF);
  return d;
}

TEST(GraphicsTest, PictureKeepsItsGraphicClassThroughBytes) {
  TPicture p;
  int changes = 0;
  p.OnChange.Handler = [&](TObject*) { ++changes; };
  p.Bitmap()->SetData(TinyBmp());
  EXPECT_GE(changes, 1);
  EXPECT_EQ(p.Width(), 3);
  EXPECT_EQ(p.Height(), 2);

  TPicture q;
  q.LoadFromBytes(p.SaveToBytes());
  ASSERT_NE(q.Graphic(), nullptr);
  EXPECT_EQ(q.Graphic()->ClassName(), "TBitmap");
  EXPECT_EQ(q.Graphic()->Data(), TinyBmp());

  q.Icon();  // another kind replaces the bitmap
  EXPECT_EQ(q.Graphic()->ClassName(), "TIcon");
  EXPECT_TRUE(q.Empty());
  q.Assign(p);
  EXPECT_EQ(q.Graphic()->ClassName(), "TBitmap");
  EXPECT_NE(q.Graphic(), p.Graphic());
  EXPECT_THROW(q.LoadFromBytes(std::string("\x09TBit")), EReadError);
}

TEST(GraphicsTest, PictureFileClassFollowsExtension) {
  auto dir = std::filesystem::temp_directory_path() / ("vcl_pic_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  AnsiString file = (dir / "a.BMP").string();
  TBitmap bmp;
  bmp.SetData(TinyBmp());
  bmp.SaveToFile(file);
  TPicture p;
  p.LoadFromFile(file);
  EXPECT_EQ(p.Graphic()->ClassName(), "TBitmap");
  EXPECT_EQ(p.Graphic()->Data(), TinyBmp());
  EXPECT_THROW(p.LoadFromFile((dir / "missing.png").string()), EFOpenError);
  std::filesystem::remove_all(dir);
}

}  // namespace
