#include "PropsFixture.h"

DEFINE_ENUM_TYPE(TProbeShade, "psLight,psMedium,psDark")
DEFINE_SET_TYPE(TProbeShades, TProbeShade)

namespace fixture {

BEGIN_CLASS(TDataSet) {
  b.Property("DatabaseName", &TDataSet::FDatabaseName, &TDataSet::FDatabaseName);
  b.Property("IndexFieldNames", &TDataSet::FIndexFieldNames, &TDataSet::FIndexFieldNames);
  b.Property("IndexName", &TDataSet::FIndexName, &TDataSet::FIndexName);
  b.Property("TableName", &TDataSet::FTableName, &TDataSet::FTableName);
}
BEGIN_CLASS(TDataSource) { b.Property("DataSet", &TDataSource::FDataSet, &TDataSource::FDataSet); }

BEGIN_CLASS(TProbeControl) {
  b.Property("BackColor", &TProbeControl::FBackColor, &TProbeControl::FBackColor);
  b.Property("Bare", &TProbeControl::Bare, nullptr);
  b.Property("Boolean", &TProbeControl::FBoolean, &TProbeControl::FBoolean);
  b.Property("Buddy", &TProbeControl::FBuddy, &TProbeControl::FBuddy);
  b.Property("Caption", &TProbeControl::FCaption, &TProbeControl::FCaption);
  b.Property("Ch", &TProbeControl::FChar, &TProbeControl::FChar);
  b.Property("Count", &TProbeControl::FCount, &TProbeControl::FCount);
  b.Property("DataSet", &TProbeControl::FDataSet, &TProbeControl::FDataSet);
  b.Property("DataSource", &TProbeControl::FDataSource, &TProbeControl::FDataSource);
  b.Property("DragCursor", &TProbeControl::FDragCursor, &TProbeControl::FDragCursor);
  b.Property("Ext", &TProbeControl::FExt, &TProbeControl::FExt);
  b.Property("Glyph", &TProbeControl::Glyph, nullptr);
  b.Property("I16", &TProbeControl::FI16, &TProbeControl::FI16);
  b.Property("I8", &TProbeControl::FI8, &TProbeControl::FI8);
  b.Property("Icon", &TProbeControl::Icon, nullptr);
  b.Property("Lines", &TProbeControl::Lines, nullptr);
  b.Property("LookupField", &TProbeControl::FLookupField, &TProbeControl::FLookupField);
  b.Property("Pen", &TProbeControl::Pen, nullptr);
  b.Property("Picture", &TProbeControl::Picture, nullptr);
  b.Property("Ratio", &TProbeControl::FRatio, &TProbeControl::FRatio);
  b.Property("Shade", &TProbeControl::FShade, &TProbeControl::FShade);
  b.Property("Shades", &TProbeControl::FShades, &TProbeControl::FShades);
  b.Property("Short", &TProbeControl::FShort, &TProbeControl::FShort, ShortStringType("TShort20", 20));
  b.Property("Single", &TProbeControl::FSingle, &TProbeControl::FSingle);
  b.Property("U16", &TProbeControl::FU16, &TProbeControl::FU16);
  b.Property("U8", &TProbeControl::FU8, &TProbeControl::FU8);
  b.Property("OnClick", &TProbeControl::OnClick, &TProbeControl::OnClick);
}

TProbeControl::TProbeControl(TComponent* owner)
    : TControl(owner),
      FLines(std::make_unique<TStringList>()),
      FPicture(std::make_unique<TPicture>()),
      FGlyph(std::make_unique<TBitmap>()),
      FIcon(std::make_unique<TIcon>()),
      FPen(std::make_unique<TPen>()),
      FBare(std::make_unique<TGraphicsObject>()) {}

TProbeControl::~TProbeControl() = default;

}  // namespace fixture
