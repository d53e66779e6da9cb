// Graphics objects of the user-interface layer: colours, cursors, fonts,
// pens, brushes and pictures. They are plain persistent values; whoever
// owns one listens to its OnChange to mirror it into a widget.
#pragma once

#include <cstdint>
#include <memory>

#include "Classes.h"

// A colour: $00BBGGRR, or a system colour (high bit set, low byte its index).
enum TColor : int32_t {
  clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
  clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
  clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
  clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,

  clScrollBar = int32_t(0x80000000u), clBackground = int32_t(0x80000001u),
  clActiveCaption = int32_t(0x80000002u), clInactiveCaption = int32_t(0x80000003u),
  clMenu = int32_t(0x80000004u), clWindow = int32_t(0x80000005u),
  clWindowFrame = int32_t(0x80000006u), clMenuText = int32_t(0x80000007u),
  clWindowText = int32_t(0x80000008u), clCaptionText = int32_t(0x80000009u),
  clActiveBorder = int32_t(0x8000000Au), clInactiveBorder = int32_t(0x8000000Bu),
  clAppWorkSpace = int32_t(0x8000000Cu), clHighlight = int32_t(0x8000000Du),
  clHighlightText = int32_t(0x8000000Eu), clBtnFace = int32_t(0x8000000Fu),
  clBtnShadow = int32_t(0x80000010u), clGrayText = int32_t(0x80000011u),
  clBtnText = int32_t(0x80000012u), clInactiveCaptionText = int32_t(0x80000013u),
  clBtnHighlight = int32_t(0x80000014u), cl3DDkShadow = int32_t(0x80000015u),
  cl3DLight = int32_t(0x80000016u), clInfoText = int32_t(0x80000017u),
  clInfoBk = int32_t(0x80000018u),

  clNone = 0x1FFFFFFF,
  // Not an identifier of its own in the text conversions.
  clDefault = 0x20000000,
};
DECLARE_ENUM_TYPE(TColor);  // an integer type named "TColor"

// The identifier of a colour; false when it has none.
bool ColorToIdent(int32_t color, AnsiString& ident);
// Case-insensitive; false for an unknown identifier.
bool IdentToColor(const AnsiString& ident, int32_t& color);
// The identifier, else "$" and eight hexadecimal digits.
AnsiString ColorToString(TColor color);
// An identifier, or a number (decimal or "$" hexadecimal); raises
// EConvertError for anything else.
TColor StringToColor(const AnsiString& text);
// Every colour identifier in table order (42 names).
const std::vector<AnsiString>& ColorIdents();
// The RGB value of a system colour in the default scheme; others unchanged.
int32_t ColorToRGB(TColor color);

enum TCursor : int16_t {
  crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSize = -5,
  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
  crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
  crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
};
DECLARE_ENUM_TYPE(TCursor);  // an integer type named "TCursor"

bool CursorToIdent(int32_t cursor, AnsiString& ident);
bool IdentToCursor(const AnsiString& ident, int32_t& cursor);
// The identifier, else the decimal number.
AnsiString CursorToString(TCursor cursor);
// An identifier or a decimal number; raises EConvertError otherwise.
TCursor StringToCursor(const AnsiString& text);
const std::vector<AnsiString>& CursorIdents();

// ---------------------------------------------------------------------------

// Base of the graphics values: a change notification for the owner.
class TGraphicsObject : public TPersistent {
  DECLARE_CLASS(TGraphicsObject, TPersistent)
public:
  TEvent<TObject*> OnChange;

protected:
  void Changed() { OnChange(this); }
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;
DECLARE_ENUM_TYPE(TFontStyle);
DECLARE_SET_TYPE(TFontStyles);
DECLARE_ENUM_TYPE(TFontPitch);

constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset EASTEUROPE_CHARSET = 238;
// Screen resolution that ties a font's Height (pixels) to its Size (points).
constexpr int ScreenPixelsPerInch = 96;

// A font. Height is the stored measure; Size is derived from it.
class TFont : public TGraphicsObject {
  DECLARE_CLASS(TFont, TGraphicsObject)
public:
  static constexpr const char* DefaultName = "Arial";
  static constexpr int DefaultSize = 8;

  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& name);
  // Points; Height = -round(Size * 96 / 72) and back.
  int32_t Size() const;
  void SetSize(int32_t size);
  // Pixels; negative means the character height without internal leading.
  int32_t Height() const { return FHeight; }
  void SetHeight(int32_t height);
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles style);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset charset);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch pitch);

  void Assign(const TPersistent& source) override;
  bool operator==(const TFont& other) const;

private:
  AnsiString FName = DefaultName;
  int32_t FHeight = -11;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TFontPitch FPitch = fpDefault;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
DECLARE_ENUM_TYPE(TPenStyle);
DECLARE_ENUM_TYPE(TPenMode);

class TPen : public TGraphicsObject {
  DECLARE_CLASS(TPen, TGraphicsObject)
public:
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode mode);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle style);
  int32_t Width() const { return FWidth; }
  void SetWidth(int32_t width);
  void Assign(const TPersistent& source) override;

private:
  TColor FColor = clBlack;
  TPenMode FMode = pmCopy;
  TPenStyle FStyle = psSolid;
  int32_t FWidth = 1;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
DECLARE_ENUM_TYPE(TBrushStyle);

class TBrush : public TGraphicsObject {
  DECLARE_CLASS(TBrush, TGraphicsObject)
public:
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle style);
  void Assign(const TPersistent& source) override;

private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

// ---------------------------------------------------------------------------
// Images are kept as the bytes of their file; decoding belongs to the painter.

class TGraphic : public TGraphicsObject {
  DECLARE_CLASS(TGraphic, TGraphicsObject)
public:
  bool Empty() const { return FData.empty(); }
  const std::string& Data() const { return FData; }
  void SetData(std::string data);
  void Clear() { SetData(std::string()); }
  // Raise EFOpenError / EFCreateError with the file name.
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;
  // Pixel size read from the image header (BMP, ICO, PNG, GIF); 0 when unknown.
  int32_t Width() const;
  int32_t Height() const;
  void Assign(const TPersistent& source) override;
  // The bytes travel as a binary block named "Data".
  void DefineProperties(TFiler& filer) override;

private:
  std::string FData;
};

class TBitmap : public TGraphic {
  DECLARE_CLASS(TBitmap, TGraphic)
};

class TIcon : public TGraphic {
  DECLARE_CLASS(TIcon, TGraphic)
};

// A picture holds one graphic of any kind. Streamed as one binary block: the
// graphic's class name (length byte, then the name) followed by its bytes.
class TPicture : public TGraphicsObject {
  DECLARE_CLASS(TPicture, TGraphicsObject)
public:
  TPicture() = default;
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // nullptr when the picture is empty.
  TGraphic* Graphic() const { return FGraphic.get(); }
  // Copies the graphic (of its own class); nullptr empties the picture.
  void SetGraphic(const TGraphic* graphic);
  // The graphic as a bitmap or icon; an empty one of that class is made
  // when the picture holds another kind.
  TBitmap* Bitmap();
  TIcon* Icon();
  bool Empty() const { return !FGraphic || FGraphic->Empty(); }
  // The class follows the extension: ".bmp" bitmap, ".ico" icon, others TGraphic.
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;
  int32_t Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int32_t Height() const { return FGraphic ? FGraphic->Height() : 0; }

  void Assign(const TPersistent& source) override;
  void DefineProperties(TFiler& filer) override;
  // The streamed form of the picture and its reading back.
  std::string SaveToBytes() const;
  void LoadFromBytes(const std::string& bytes);

private:
  template <class G> G* ForceGraphic();
  void Take(std::unique_ptr<TGraphic> graphic);
  std::unique_ptr<TGraphic> FGraphic;
};
