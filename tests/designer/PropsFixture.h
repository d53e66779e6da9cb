// Components with one published property of every edit kind, for the
// property-access tests.
#pragma once

#include "Dialogs.h"
#include "E_PropsRep.h"
#include "Forms.h"
#include "Graphics.h"
#include "StdCtrls.h"

enum TProbeShade { psLight, psMedium, psDark };
using TProbeShades = TSet<TProbeShade>;
DECLARE_ENUM_TYPE(TProbeShade);
DECLARE_SET_TYPE(TProbeShades);

// Kept apart from the database layer's classes, whose names they borrow.
namespace fixture {

// Stand-ins with the class names that the kind rules look for.
class TDataSet : public TComponent {
  DECLARE_CLASS(TDataSet, TComponent)
public:
  using TComponent::TComponent;
  AnsiString FDatabaseName, FTableName, FIndexName, FIndexFieldNames;
};
class TDataSource : public TComponent {
  DECLARE_CLASS(TDataSource, TComponent)
public:
  using TComponent::TComponent;
  TDataSet* FDataSet = nullptr;
};

class TProbeControl : public TControl {
  DECLARE_CLASS(TProbeControl, TControl)
public:
  explicit TProbeControl(TComponent* owner);
  ~TProbeControl() override;
  AnsiString FCaption;
  AnsiString FShort;
  char FChar = 'x';
  int8_t FI8 = 0;
  uint8_t FU8 = 0;
  int16_t FI16 = 0;
  uint16_t FU16 = 0;
  int32_t FCount = 0;
  int32_t FBackColor = clRed;
  int16_t FDragCursor = crDrag;
  float FSingle = 0;
  double FRatio = 0;
  long double FExt = 0;
  TProbeShade FShade = psLight;
  bool FBoolean = false;
  TProbeShades FShades;
  std::unique_ptr<TStringList> FLines;
  std::unique_ptr<TPicture> FPicture;
  std::unique_ptr<TBitmap> FGlyph;
  std::unique_ptr<TIcon> FIcon;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TGraphicsObject> FBare;
  TComboBox* FBuddy = nullptr;
  TDataSet* FDataSet = nullptr;
  TDataSource* FDataSource = nullptr;
  AnsiString FLookupField;
  TStrings* Lines() const { return FLines.get(); }
  TPicture* Picture() const { return FPicture.get(); }
  TBitmap* Glyph() const { return FGlyph.get(); }
  TIcon* Icon() const { return FIcon.get(); }
  TPen* Pen() const { return FPen.get(); }
  TGraphicsObject* Bare() const { return FBare.get(); }
};

}  // namespace fixture
