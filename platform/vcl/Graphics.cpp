#include "Graphics.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "CodePage.h"

namespace {

struct TIdentEntry {
  int32_t Value;
  const char* Name;
};

const TIdentEntry ColorTable[] = {
  {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
  {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
  {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
  {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
  {clActiveBorder, "clActiveBorder"}, {clActiveCaption, "clActiveCaption"},
  {clAppWorkSpace, "clAppWorkSpace"}, {clBackground, "clBackground"},
  {clBtnFace, "clBtnFace"}, {clBtnHighlight, "clBtnHighlight"}, {clBtnShadow, "clBtnShadow"},
  {clBtnText, "clBtnText"}, {clCaptionText, "clCaptionText"}, {clGrayText, "clGrayText"},
  {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"},
  {clInactiveBorder, "clInactiveBorder"}, {clInactiveCaption, "clInactiveCaption"},
  {clInactiveCaptionText, "clInactiveCaptionText"}, {clInfoBk, "clInfoBk"},
  {clInfoText, "clInfoText"}, {clMenu, "clMenu"}, {clMenuText, "clMenuText"},
  {clNone, "clNone"}, {clScrollBar, "clScrollBar"}, {cl3DDkShadow, "cl3DDkShadow"},
  {cl3DLight, "cl3DLight"}, {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"},
  {clWindowText, "clWindowText"},
};

const TIdentEntry CursorTable[] = {
  {crDefault, "crDefault"}, {crNone, "crNone"}, {crArrow, "crArrow"}, {crCross, "crCross"},
  {crIBeam, "crIBeam"}, {crSize, "crSize"}, {crSizeNESW, "crSizeNESW"}, {crSizeNS, "crSizeNS"},
  {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"}, {crUpArrow, "crUpArrow"},
  {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"}, {crNoDrop, "crNoDrop"},
  {crHSplit, "crHSplit"}, {crVSplit, "crVSplit"}, {crMultiDrag, "crMultiDrag"},
  {crSQLWait, "crSQLWait"}, {crNo, "crNo"}, {crAppStart, "crAppStart"}, {crHelp, "crHelp"},
};

// The default scheme's RGB values of the system colours, by index.
const int32_t SystemColorRGB[] = {
  0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
  0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0,
  0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
  0xE1FFFF,
};

template <size_t N> bool ValueToIdent(const TIdentEntry (&table)[N], int32_t value, AnsiString& ident) {
  for (const TIdentEntry& e : table)
    if (e.Value == value) {
      ident = e.Name;
      return true;
    }
  return false;
}

template <size_t N> bool IdentToValue(const TIdentEntry (&table)[N], const AnsiString& ident, int32_t& value) {
  for (const TIdentEntry& e : table)
    if (SameText(ident, e.Name)) {
      value = e.Value;
      return true;
    }
  return false;
}

template <size_t N> std::vector<AnsiString> NamesOf(const TIdentEntry (&table)[N]) {
  std::vector<AnsiString> names;
  for (const TIdentEntry& e : table) names.push_back(e.Name);
  return names;
}

std::string ReadWholeFile(const AnsiString& fileName) {
  std::ifstream in(AnsiToUtf8(fileName), std::ios::binary);
  if (!in) throw EFOpenError("Cannot open file \"" + fileName + "\"");
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const AnsiString& fileName, const std::string& data) {
  std::ofstream out(AnsiToUtf8(fileName), std::ios::binary | std::ios::trunc);
  if (!out) throw EFCreateError("Cannot create file \"" + fileName + "\"");
  out.write(data.data(), std::streamsize(data.size()));
  if (!out) throw EWriteError("Stream write error");
}

uint32_t LittleEndian(const std::string& d, size_t at, size_t bytes) {
  uint32_t v = 0;
  for (size_t i = 0; i < bytes; ++i) v |= uint32_t(uint8_t(d[at + i])) << (8 * i);
  return v;
}

uint32_t BigEndian32(const std::string& d, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = (v << 8) | uint8_t(d[at + i]);
  return v;
}

// Width and height from the header of the common image formats.
bool ImageSize(const std::string& d, int32_t& w, int32_t& h) {
  if (d.size() >= 26 && d.compare(0, 2, "BM") == 0) {
    w = int32_t(LittleEndian(d, 18, 4));
    h = std::abs(int32_t(LittleEndian(d, 22, 4)));
    return true;
  }
  if (d.size() >= 24 && d.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) {
    w = int32_t(BigEndian32(d, 16));
    h = int32_t(BigEndian32(d, 20));
    return true;
  }
  if (d.size() >= 10 && d.compare(0, 3, "GIF") == 0) {
    w = int32_t(LittleEndian(d, 6, 2));
    h = int32_t(LittleEndian(d, 8, 2));
    return true;
  }
  if (d.size() >= 8 && LittleEndian(d, 0, 4) == 0x00010000u) {  // icon directory, first entry
    w = uint8_t(d[6]) ? uint8_t(d[6]) : 256;
    h = uint8_t(d[7]) ? uint8_t(d[7]) : 256;
    return true;
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------

template <> const TTypeInfo* TypeInfoOf<TColor>() {
  static const TTypeInfo* t = MakeIntegerType("TColor", otSLong, INT32_MIN, INT32_MAX);
  return t;
}
template <> const TTypeInfo* TypeInfoOf<TCursor>() {
  static const TTypeInfo* t = MakeIntegerType("TCursor", otSWord, -32768, 32767);
  return t;
}

bool ColorToIdent(int32_t color, AnsiString& ident) { return ValueToIdent(ColorTable, color, ident); }
bool IdentToColor(const AnsiString& ident, int32_t& color) { return IdentToValue(ColorTable, ident, color); }

AnsiString ColorToString(TColor color) {
  AnsiString ident;
  if (ColorToIdent(color, ident)) return ident;
  return "$" + IntToHex(uint32_t(color), 8);
}

TColor StringToColor(const AnsiString& text) {
  int32_t value = 0;
  if (!IdentToColor(Trim(text), value)) value = StrToInt(text);
  return TColor(value);
}

const std::vector<AnsiString>& ColorIdents() {
  static const std::vector<AnsiString> names = NamesOf(ColorTable);
  return names;
}

int32_t ColorToRGB(TColor color) {
  uint32_t c = uint32_t(color);
  if ((c & 0x80000000u) && (c & 0xFFu) < std::size(SystemColorRGB)) return SystemColorRGB[c & 0xFFu];
  return color;
}

bool CursorToIdent(int32_t cursor, AnsiString& ident) { return ValueToIdent(CursorTable, cursor, ident); }
bool IdentToCursor(const AnsiString& ident, int32_t& cursor) { return IdentToValue(CursorTable, ident, cursor); }

AnsiString CursorToString(TCursor cursor) {
  AnsiString ident;
  return CursorToIdent(cursor, ident) ? ident : IntToStr(cursor);
}

TCursor StringToCursor(const AnsiString& text) {
  int32_t value = 0;
  if (!IdentToCursor(Trim(text), value)) value = StrToInt(text);
  return TCursor(int16_t(value));
}

const std::vector<AnsiString>& CursorIdents() {
  static const std::vector<AnsiString> names = NamesOf(CursorTable);
  return names;
}

// ---------------------------------------------------------------------------

DEFINE_ENUM_TYPE(TFontStyle, "fsBold,fsItalic,fsUnderline,fsStrikeOut")
DEFINE_SET_TYPE(TFontStyles, TFontStyle)
DEFINE_ENUM_TYPE(TFontPitch, "fpDefault,fpVariable,fpFixed")
DEFINE_ENUM_TYPE(TPenStyle, "psSolid,psDash,psDot,psDashDot,psDashDotDot,psClear,psInsideFrame")
DEFINE_ENUM_TYPE(TPenMode,
                 "pmBlack,pmWhite,pmNop,pmNot,pmCopy,pmNotCopy,pmMergePenNot,pmMaskPenNot,"
                 "pmMergeNotPen,pmMaskNotPen,pmMerge,pmNotMerge,pmMask,pmNotMask,pmXor,pmNotXor")
DEFINE_ENUM_TYPE(TBrushStyle, "bsSolid,bsClear,bsHorizontal,bsVertical,bsFDiagonal,bsBDiagonal,bsCross,bsDiagCross")

BEGIN_CLASS(TGraphicsObject) {}

BEGIN_CLASS(TFont) {
  static const TTypeInfo* charset = MakeIntegerType("TFontCharset", otUByte, 0, 255);
  b.Property("Charset", &TFont::Charset, &TFont::SetCharset, charset).Default(DEFAULT_CHARSET);
  b.Property("Color", &TFont::Color, &TFont::SetColor).Default(clWindowText);
  b.Property("Height", &TFont::Height, &TFont::SetHeight);
  b.Property("Name", &TFont::Name, &TFont::SetName);
  b.Property("Pitch", &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
  b.Property("Size", &TFont::Size, &TFont::SetSize).NotStored();
  b.Property("Style", &TFont::Style, &TFont::SetStyle).Default(TFontStyles{});
}

namespace {
int32_t MulDivRound(int32_t a, int32_t b, int32_t c) { return int32_t(std::lround(double(a) * b / c)); }
}  // namespace

void TFont::SetName(const AnsiString& name) {
  if (name == FName) return;
  FName = name;
  Changed();
}
int32_t TFont::Size() const { return -MulDivRound(FHeight, 72, ScreenPixelsPerInch); }
void TFont::SetSize(int32_t size) { SetHeight(-MulDivRound(size, ScreenPixelsPerInch, 72)); }
void TFont::SetHeight(int32_t height) {
  if (height == FHeight) return;
  FHeight = height;
  Changed();
}
void TFont::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  Changed();
}
void TFont::SetStyle(TFontStyles style) {
  if (style == FStyle) return;
  FStyle = style;
  Changed();
}
void TFont::SetCharset(TFontCharset charset) {
  if (charset == FCharset) return;
  FCharset = charset;
  Changed();
}
void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == FPitch) return;
  FPitch = pitch;
  Changed();
}

bool TFont::operator==(const TFont& o) const {
  return FName == o.FName && FHeight == o.FHeight && FColor == o.FColor && FStyle == o.FStyle &&
         FCharset == o.FCharset && FPitch == o.FPitch;
}

void TFont::Assign(const TPersistent& source) {
  const auto* f = dynamic_cast<const TFont*>(&source);
  if (!f) return TGraphicsObject::Assign(source);
  if (*f == *this) return;
  FName = f->FName;
  FHeight = f->FHeight;
  FColor = f->FColor;
  FStyle = f->FStyle;
  FCharset = f->FCharset;
  FPitch = f->FPitch;
  Changed();
}

// ---------------------------------------------------------------------------

BEGIN_CLASS(TPen) {
  b.Property("Color", &TPen::Color, &TPen::SetColor).Default(clBlack);
  b.Property("Mode", &TPen::Mode, &TPen::SetMode).Default(pmCopy);
  b.Property("Style", &TPen::Style, &TPen::SetStyle).Default(psSolid);
  b.Property("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

void TPen::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  Changed();
}
void TPen::SetMode(TPenMode mode) {
  if (mode == FMode) return;
  FMode = mode;
  Changed();
}
void TPen::SetStyle(TPenStyle style) {
  if (style == FStyle) return;
  FStyle = style;
  Changed();
}
void TPen::SetWidth(int32_t width) {
  if (width == FWidth) return;
  FWidth = width;
  Changed();
}
void TPen::Assign(const TPersistent& source) {
  const auto* p = dynamic_cast<const TPen*>(&source);
  if (!p) return TGraphicsObject::Assign(source);
  FColor = p->FColor;
  FMode = p->FMode;
  FStyle = p->FStyle;
  FWidth = p->FWidth;
  Changed();
}

BEGIN_CLASS(TBrush) {
  b.Property("Color", &TBrush::Color, &TBrush::SetColor).Default(clWhite);
  b.Property("Style", &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

void TBrush::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  Changed();
}
void TBrush::SetStyle(TBrushStyle style) {
  if (style == FStyle) return;
  FStyle = style;
  Changed();
}
void TBrush::Assign(const TPersistent& source) {
  const auto* p = dynamic_cast<const TBrush*>(&source);
  if (!p) return TGraphicsObject::Assign(source);
  FColor = p->FColor;
  FStyle = p->FStyle;
  Changed();
}

// ---------------------------------------------------------------------------

BEGIN_CLASS(TGraphic) {}
BEGIN_CLASS(TBitmap) {}
BEGIN_CLASS(TIcon) {}

void TGraphic::SetData(std::string data) {
  if (data == FData) return;
  FData = std::move(data);
  Changed();
}
void TGraphic::LoadFromFile(const AnsiString& fileName) { SetData(ReadWholeFile(fileName)); }
void TGraphic::SaveToFile(const AnsiString& fileName) const { WriteWholeFile(fileName, FData); }

int32_t TGraphic::Width() const {
  int32_t w = 0, h = 0;
  return ImageSize(FData, w, h) ? w : 0;
}
int32_t TGraphic::Height() const {
  int32_t w = 0, h = 0;
  return ImageSize(FData, w, h) ? h : 0;
}

void TGraphic::Assign(const TPersistent& source) {
  const auto* g = dynamic_cast<const TGraphic*>(&source);
  if (!g) return TGraphicsObject::Assign(source);
  SetData(g->FData);
}

void TGraphic::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      "Data", [this](const std::string& bytes) { SetData(bytes); }, [this] { return FData; }, !Empty());
}

// ---------------------------------------------------------------------------

BEGIN_CLASS(TPicture) {}

TPicture::~TPicture() = default;

void TPicture::Take(std::unique_ptr<TGraphic> graphic) {
  FGraphic = std::move(graphic);
  if (FGraphic) FGraphic->OnChange.Handler = [this](TObject*) { Changed(); };
  Changed();
}

namespace {
std::unique_ptr<TGraphic> NewGraphicOfClass(const AnsiString& className) {
  if (SameText(className, "TBitmap")) return std::make_unique<TBitmap>();
  if (SameText(className, "TIcon")) return std::make_unique<TIcon>();
  return std::make_unique<TGraphic>();
}
}  // namespace

void TPicture::SetGraphic(const TGraphic* graphic) {
  if (!graphic) return Take(nullptr);
  auto copy = NewGraphicOfClass(graphic->ClassName());
  copy->SetData(graphic->Data());
  Take(std::move(copy));
}

template <class G> G* TPicture::ForceGraphic() {
  if (auto* g = dynamic_cast<G*>(FGraphic.get())) return g;
  Take(std::make_unique<G>());
  return static_cast<G*>(FGraphic.get());
}
TBitmap* TPicture::Bitmap() { return ForceGraphic<TBitmap>(); }
TIcon* TPicture::Icon() { return ForceGraphic<TIcon>(); }

void TPicture::LoadFromFile(const AnsiString& fileName) {
  AnsiString ext = LowerCase(ExtractFileExt(fileName));
  auto g = NewGraphicOfClass(ext == ".bmp" ? "TBitmap" : ext == ".ico" ? "TIcon" : "TGraphic");
  g->LoadFromFile(fileName);
  Take(std::move(g));
}

void TPicture::SaveToFile(const AnsiString& fileName) const {
  WriteWholeFile(fileName, FGraphic ? FGraphic->Data() : std::string());
}

void TPicture::Assign(const TPersistent& source) {
  if (const auto* p = dynamic_cast<const TPicture*>(&source)) return SetGraphic(p->Graphic());
  if (const auto* g = dynamic_cast<const TGraphic*>(&source)) return SetGraphic(g);
  TGraphicsObject::Assign(source);
}

std::string TPicture::SaveToBytes() const {
  if (Empty()) return std::string();
  const AnsiString& name = FGraphic->ClassName();
  return std::string(1, char(name.size())) + name + FGraphic->Data();
}

void TPicture::LoadFromBytes(const std::string& bytes) {
  if (bytes.empty()) return Take(nullptr);
  size_t len = uint8_t(bytes[0]);
  if (len + 1 > bytes.size()) throw EReadError("Invalid picture data");
  auto g = NewGraphicOfClass(bytes.substr(1, len));
  g->SetData(bytes.substr(len + 1));
  Take(std::move(g));
}

void TPicture::DefineProperties(TFiler& filer) {
  filer.DefineBinaryProperty(
      "Data", [this](const std::string& bytes) { LoadFromBytes(bytes); }, [this] { return SaveToBytes(); },
      !Empty());
}
