#include <gtest/gtest.h>

#include "PropsFixture.h"

namespace {

using namespace fixture;

class PropsRepTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto recorder = std::make_unique<TRecordingDialogHandler>();
    Dialogs = recorder.get();
    Scope = std::make_unique<TDialogHandlerScope>(std::move(recorder));
    DefaultFormName() = "A_reportForm";
    Report = Application()->CreateForm<TForm>();
    Report->SetName("A_ReportForm");
    Label = new TProbeControl(Report);
    Label->SetName("QRLabel1");
    Label->SetParent(Report);
    FormX = Application()->CreateForm<TForm>();
    FormX->SetName("FormX");
    FormX->SetCaption("Form X");
    Probe = new TProbeControl(FormX);
    Probe->SetName("Probe1");
    Combo = new TComboBox(FormX);
    Combo->SetName("Combo1");
    Table = new TDataSet(FormX);
    Table->SetName("Tbl1");
    Source = new TDataSource(FormX);
    Source->SetName("Src1");
  }
  void TearDown() override {
    delete FormX;
    delete Report;
    Scope.reset();
  }
  TEProperty Describe(TObject* obj, const char* name) {
    TEProperty p;
    DescribeProp(obj, name, p);
    return p;
  }

  TRecordingDialogHandler* Dialogs = nullptr;
  std::unique_ptr<TDialogHandlerScope> Scope;
  TForm* Report = nullptr;
  TForm* FormX = nullptr;
  TProbeControl* Label = nullptr;
  TProbeControl* Probe = nullptr;
  TComboBox* Combo = nullptr;
  TDataSet* Table = nullptr;
  TDataSource* Source = nullptr;
};

TEST_F(PropsRepTest, DescribeGivesEveryEditKind) {
  Probe->FChar = 9;
  Probe->FShades = TProbeShades{psLight, psDark};
  Probe->FRatio = 1.0 / 3;
  Probe->FSingle = 0.1f;
  Probe->FLines->SetText("a\r\nb");
  Probe->FBuddy = Combo;
  Probe->FDataSet = Table;
  Probe->FCount = -7;
  struct Case {
    TObject* obj;
    const char* name;
    int16_t kind;
    int16_t classKind;
    int16_t maxLen;
    const char* value;
  } cases[] = {
      {Probe, "Caption", pkString, ckPlain, 0, ""},
      {Probe, "Short", pkString, ckPlain, 20, ""},
      {Probe, "Name", pkString, ckPlain, 63, "Probe1"},
      {Probe, "Count", pkInteger, ckPlain, 11, "-7"},
      {Probe, "I8", pkInteger, ckPlain, 4, "0"},
      {Probe, "U8", pkInteger, ckPlain, 3, "0"},
      {Probe, "I16", pkInteger, ckPlain, 6, "0"},
      {Probe, "U16", pkInteger, ckPlain, 5, "0"},
      {Probe, "Ratio", pkFloat, ckPlain, 22, "0.3333333333333333"},
      {Probe, "Single", pkFloat, ckPlain, 22, "0.1"},
      {Probe, "Boolean", pkBoolean, ckPlain, 0, "False"},
      {Probe, "Visible", pkEnum, ckPlain, 0, "True"},
      {Probe, "Ch", pkChar, ckPlain, 4, "#9"},
      {Probe, "Shade", pkEnum, ckPlain, 0, "psLight"},
      {Probe, "Align", pkEnum, ckPlain, 0, "alNone"},
      {Probe, "Color", pkColor, ckPlain, 0, "clBtnFace"},
      {Probe, "BackColor", pkColor, ckPlain, 0, "clRed"},
      {Probe, "Cursor", pkCursor, ckPlain, 0, "crDefault"},
      {Probe, "DragCursor", pkCursor, ckPlain, 0, "crDrag"},
      {Probe, "Shades", pkSet, ckPlain, 0, "[psLight,psDark]"},
      {Probe, "Font", pkObject, ckFont, 0, "Arial"},
      {Probe, "Icon", pkObject, ckIcon, 0, "(TIcon)"},
      {Probe, "Glyph", pkObject, ckBitmap, 0, "(TBitmap)"},
      {Probe, "Picture", pkObject, ckPicture, 0, "(TPicture)"},
      {Probe, "Lines", pkObject, ckStrings, 0, "a\r\nb\r\n"},
      {Probe, "DataSet", pkObject, ckDataSet, 0, "Tbl1"},
      {Probe, "DataSource", pkObject, ckDataSource, 0, "nil"},
      {Probe, "Buddy", pkObject, ckComponent, 0, "Combo1"},
      {Probe, "Pen", pkObject, ckPlain, 0, ""},
      {Probe, "Bare", pkNone, ckPlain, 0, "*TGraphicsObject*"},
      {Probe, "OnClick", pkNone, ckPlain, 0, ""},
      {Probe, "LookupField", pkLookupField, ckPlain, 0, ""},
      {Table, "DatabaseName", pkDatabaseName, ckPlain, 0, ""},
      {Table, "IndexFieldNames", pkIndexFieldNames, ckPlain, 0, ""},
      {Table, "TableName", pkTableName, ckPlain, 0, ""},
      {Table, "IndexName", pkIndexName, ckPlain, 0, ""},
      {Combo, "Items", pkObject, ckStrings, 0, ""},
      {Combo, "Style", pkEnum, ckPlain, 0, "csDropDown"},
      {Source, "DataSet", pkObject, ckDataSet, 0, "nil"},
      {Screen(), "ActiveForm", pkNone, ckPlain, 0, "*TForm*"},  // nil, and no form is on a form
  };
  for (const Case& c : cases) {
    TEProperty p = Describe(c.obj, c.name);
    EXPECT_EQ(p.Kind, c.kind) << c.name;
    EXPECT_EQ(p.ClassKind, c.classKind) << c.name;
    EXPECT_EQ(p.MaxLen, c.maxLen) << c.name;
    EXPECT_EQ(p.Value, c.value) << c.name;
  }
  TEProperty shades = Describe(Probe, "Shades");
  EXPECT_EQ(shades.PropType, TypeInfoOf<TProbeShade>());
  EXPECT_EQ(shades.MaxValue, 2);
  TEProperty i8 = Describe(Probe, "I8");
  EXPECT_EQ(i8.MinValue, -128);
  EXPECT_EQ(i8.MaxValue, 127);
  EXPECT_EQ(Describe(Probe, "Buddy").ObjValue, Combo);
  EXPECT_EQ(Describe(Probe, "Color").TypeName, "TColor");
}

TEST_F(PropsRepTest, ReferencesFromAnotherOwnerCarryTheFormName) {
  Label->FBuddy = Combo;  // Label lives on the report form, Combo on FormX
  EXPECT_EQ(Describe(Label, "Buddy").Value, "FormX.Combo1");
  EXPECT_EQ(FindCompRef(Report, "FormX.Combo1"), Combo);
  EXPECT_EQ(FindCompRef(FormX, "combo1"), Combo);
  EXPECT_EQ(FindCompRef(Report, "Combo1"), nullptr);
  EXPECT_EQ(FindCompRef(Report, "FormX. "), nullptr);
  EXPECT_EQ(FindCompRef(Report, "NoForm.Combo1"), nullptr);
  EXPECT_TRUE(IsComponentClass("tcombobox"));
  EXPECT_TRUE(IsComponentClass("TWinControl"));  // an ancestor counts
  EXPECT_FALSE(IsComponentClass("TFont"));
}

TEST_F(PropsRepTest, WriteByKindConvertsText) {
  struct Case {
    const char* path;
    const char* text;
    const char* readBack;
  } cases[] = {
      {"Caption", " spaced ", " spaced "},
      {"Count", "42", "42"},
      {"Count", "$10", "16"},
      {"Ratio", "2.5", "2.5"},
      {"Ch", "#65", "A"},
      {"Ch", "B", "B"},
      {"Ch", "   ", "#0"},
      {"Ch", " # 6 6", "B"},
      {"Boolean", " true ", "True"},
      {"Visible", "FALSE", "False"},
      {"Visible", "maybe", "False"},  // no name matches: unchanged
      {"Visible", "True", "True"},
      {"Shade", "psdark", "psDark"},
      {"Color", "clBlue", "clBlue"},
      {"Color", "65280", "clLime"},
      {"Color", "$00123456", "$00123456"},
      {"Cursor", "crHourGlass", "crHourGlass"},
      {"Cursor", "-20", "crHelp"},
      {"Shades", "[psLight,psDark]", "[psLight,psDark]"},
      {"Shades", "[psMedium, psDark]", "[psMedium]"},  // the blank stays and matches nothing
      {"Shades", "[]", "[]"},
      {"Font.Size", "12", "12"},
      {"Font.Style", "[fsBold,fsStrikeOut]", "[fsBold,fsStrikeOut]"},
      {"Lines", "x\r\ny", "x\r\ny\r\n"},
      {"Buddy", "Combo1", "Combo1"},
      {"Buddy", "Nothing", "nil"},
      {"Buddy", "Tbl1", "nil"},  // exists, but the property does not take it
      {"DataSource", "Tbl1", "nil"},
      {"DataSource", "Src1", "Src1"},
      {"DataSet", "Tbl1", "Tbl1"},
      {"Font", "Courier", "Arial"},  // fonts are not written from text
  };
  for (const Case& c : cases) {
    WritePropText(Probe, c.path, c.text);
    EXPECT_EQ(ReadPropText(Probe, c.path), c.readBack) << c.path << " <- " << c.text;
  }
  EXPECT_EQ(Probe->Font()->Height(), -16);
  EXPECT_THROW(WritePropText(Probe, "Count", "12x"), EConvertError);
  EXPECT_THROW(WritePropText(Probe, "Ratio", "abc"), EConvertError);
  EXPECT_THROW(WritePropText(Probe, "Nope.Size", "1"), EPropertyError);
  WritePropText(Probe, "Bare", "x");  // kind 0: nothing happens
  WritePropText(Probe, "Missing", "x");
}

TEST_F(PropsRepTest, DataSetStringPropertiesClearEachOther) {
  auto reset = [&] {
    Table->FDatabaseName = "DB";
    Table->FTableName = "T";
    Table->FIndexName = "I";
    Table->FIndexFieldNames = "F";
  };
  struct Case {
    const char* prop;
    const char* text;
    const char* database;
    const char* table;
    const char* index;
    const char* fields;
  } cases[] = {
      {"DatabaseName", "OTHER", "OTHER", "", "", ""},
      {"DatabaseName", " DB ", " DB ", "T", "I", "F"},  // same once trimmed: nothing cleared
      {"TableName", "U", "DB", "U", "", ""},
      {"TableName", "T", "DB", "T", "I", "F"},
      {"IndexName", "J", "DB", "T", "J", ""},
      {"IndexName", " ", "DB", "T", " ", "F"},
      {"IndexFieldNames", "G", "DB", "T", "", "G"},
  };
  for (const Case& c : cases) {
    reset();
    WritePropText(Table, c.prop, c.text);
    EXPECT_EQ(Table->FDatabaseName, c.database) << c.prop << " <- " << c.text;
    EXPECT_EQ(Table->FTableName, c.table) << c.prop << " <- " << c.text;
    EXPECT_EQ(Table->FIndexName, c.index) << c.prop << " <- " << c.text;
    EXPECT_EQ(Table->FIndexFieldNames, c.fields) << c.prop << " <- " << c.text;
  }
}

TEST_F(PropsRepTest, ChoicesListNamesOfTheValueRange) {
  TStringList list;
  list.Add("stale");
  TEProperty p = Describe(Probe, "Shades");
  ASSERT_TRUE(GetPropChoices(&p, list));
  EXPECT_EQ(list.CommaText(), "psLight,psMedium,psDark");
  p = Describe(Probe, "Boolean");
  GetPropChoices(&p, list);
  EXPECT_EQ(list.CommaText(), "True,False");
  p = Describe(Probe, "Visible");
  GetPropChoices(&p, list);
  EXPECT_EQ(list.CommaText(), "False,True");
  p = Describe(Probe, "Count");
  GetPropChoices(&p, list);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(GetPropChoices(nullptr, list));
}

TEST_F(PropsRepTest, ListPropsSortsAndExpandsSubObjects) {
  std::unique_ptr<TStringList> rows;
  int n = ListProps(Probe, rows, "");
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(n, rows->Count());
  std::vector<AnsiString> names;
  for (int i = 0; i < rows->Count(); ++i) names.push_back(rows->Strings(i));
  auto at = [&](const char* name) { return int(std::find(names.begin(), names.end(), name) - names.begin()); };
  for (int i = 1; i < int(names.size()); ++i)
    if (Pos(".", names[size_t(i)]) == 0 && Pos(".", names[size_t(i - 1)]) == 0) {
      EXPECT_LT(CompareText(names[size_t(i - 1)], names[size_t(i)]), 0) << names[size_t(i)];
    }
  // Font rows follow the font, depth first; the pen is expanded too.
  ASSERT_LT(at("Font"), int(names.size()));
  EXPECT_EQ(names[size_t(at("Font") + 1)], "Font.Charset");
  EXPECT_EQ(at("Font.Style"), at("Font") + 7);
  EXPECT_LT(at("Pen.Width"), int(names.size()));
  // Events, references, lists and pictures are not expanded.
  EXPECT_EQ(at("OnClick"), int(names.size()));
  EXPECT_EQ(at("Picture.Data"), int(names.size()));
  EXPECT_EQ(at("Buddy.Name"), int(names.size()));
  auto row = [&](const char* name) { return static_cast<TEProperty*>(rows->Objects(at(name))); };
  EXPECT_EQ(row("Font")->Value, "TFont");
  EXPECT_EQ(row("Font")->Kind, pkObject);
  EXPECT_EQ(row("Pen")->Value, "TPen");
  EXPECT_EQ(row("Pen")->Kind, pkNone);
  EXPECT_EQ(row("Font.Size")->Kind, pkInteger);
  EXPECT_EQ(row("Bare")->Value, "*TGraphicsObject*");

  std::unique_ptr<TStringList> none = std::make_unique<TStringList>();
  TGraphicsObject bare;
  EXPECT_EQ(ListProps(&bare, none, ""), 0);
  EXPECT_EQ(none, nullptr);
}

TEST_F(PropsRepTest, LowLevelAccessorsWalkAndAnswerFound) {
  EXPECT_TRUE(WriteStrPropByPath(Probe, "Font.Name", "Courier New"));
  EXPECT_EQ(ReadStrPropByPath(Probe, "Font.Name"), "Courier New");
  EXPECT_TRUE(WriteOrdPropByPath(Probe, "Font.Size", 10));
  EXPECT_EQ(Probe->Font()->Size(), 10);
  EXPECT_TRUE(WriteBoolPropByPath(Probe, "Visible", false));
  EXPECT_EQ(ReadOrdPropByteByPath(Probe, "Visible"), 0);
  EXPECT_TRUE(WriteFloatPropByPath(Probe, "Ratio", 0.25));
  EXPECT_EQ(Probe->FRatio, 0.25);
  EXPECT_FALSE(WriteStrPropByPath(Probe, "Font.Nothing", "x"));
  EXPECT_FALSE(WriteOrdPropByPath(Probe, "Nothing.Size", 1));
  EXPECT_FALSE(WriteOrdPropByPath(nullptr, "Count", 1));
  EXPECT_EQ(ReadStrPropByPath(Probe, "Nothing"), "");
  EXPECT_EQ(FindPropInfo(nullptr, "Count"), nullptr);
  EXPECT_NE(FindPropInfo(Probe, "count"), nullptr);
  EXPECT_FALSE(SetSetText(Probe, "Count2", "[]"));
  EXPECT_TRUE(SetSetText(Probe, "Font.Style", "[fsItalic,nonsense]"));
  EXPECT_EQ(Probe->Font()->Style(), TFontStyles{fsItalic});
}

TEST_F(PropsRepTest, PathsResolveThroughFormsAndSpecialSegments) {
  Report->Activate();
  Label->Font()->SetSize(14);
  struct Case {
    const char* path;
    const char* form;
    const char* text;
  } cases[] = {
      {"QRLabel1.Font.Size", "SELF", "14"},
      {"QRLabel1.Font.Size", "", "14"},
      {"qrlabel1 . font..size", "SELF", "14"},
      {"FormX.Caption", "SELF", "Form X"},
      {"FormX.Font.Size", "SELF", "8"},
      {"APPLICATION.FormX.Caption", "SELF", "Form X"},
      {"Caption", "FormX", "Form X"},
      {"Probe1.Name", "FormX", "Probe1"},
      {"SCREEN.Cursor", "SELF", "crDefault"},
      {"Application.FormX.Probe1.Font.Name", "", "Arial"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetPropText(c.path, c.form), c.text) << c.path << " @ " << c.form;
  }
  EXPECT_TRUE(Dialogs->Texts().empty());
  GetPropText("QRLabel1.Font.Size", "SELF");
  EXPECT_EQ(LastPropKind(), pkInteger);
  GetPropText("QRLabel1.Visible", "SELF");
  EXPECT_EQ(LastPropKind(), pkEnum);
  GetPropText("QRLabel1.NoSuch", "SELF");  // not found: the kind stays
  EXPECT_EQ(LastPropKind(), pkEnum);
  EXPECT_EQ(GetPropText("QRLabel1.Bare", "SELF"), "");  // starred type name suppressed
}

TEST_F(PropsRepTest, SelfFollowsTheDefaultFormName) {
  FormX->Activate();
  EXPECT_EQ(GetPropText("SELF.QRLabel1.Name", "SELF"), "");  // default form set: SELF. does not resolve
  EXPECT_EQ(Dialogs->Texts(), (std::vector<AnsiString>{"SELF.QRLabel1.Name-Error"}));
  DefaultFormName().clear();
  EXPECT_EQ(GetPropText("SELF.Probe1.Name", "SELF"), "Probe1");  // the active form
  EXPECT_EQ(GetPropText("Probe1.Name", ""), "Probe1");
  SetPropText("self.Probe1.Count", "5", "self");
  EXPECT_EQ(Probe->FCount, 5);
}

TEST_F(PropsRepTest, FailuresShowTheirMessageBoxes) {
  EXPECT_EQ(GetPropText("X.Caption", "NoSuchForm"), "");
  EXPECT_EQ(GetPropText("x.Caption", " formx"), "");  // read keeps the form argument untrimmed
  SetPropText("X.Caption", "v", " nosuchform ");
  EXPECT_EQ(GetPropText("QRLabel1.Nope.Size", "SELF"), "");
  SetPropText(" qrLabel1.Nope.Size ", "1", "SELF");
  EXPECT_EQ(Dialogs->Texts(), (std::vector<AnsiString>{"NoSuchForm - form is error", " formx - form is error",
                                                       "NOSUCHFORM - form is error", "QRLabel1.Nope.Size-Error",
                                                       "QRLABEL1.NOPE.SIZE-Error"}));
  auto* notForm = new TComboBox(Application());
  notForm->SetName("NotAForm");
  EXPECT_FALSE(PropExists("Caption", "NotAForm"));
  SetPropText("Caption", "v", "NotAForm");
  EXPECT_EQ(Dialogs->Texts().back(), "NOTAFORM - form is error");
  delete notForm;
  EXPECT_THROW(SetPropText("QRLabel1.Count", "ten", "SELF"), EConvertError);
}

TEST_F(PropsRepTest, ExistenceAndClassQueries) {
  struct Case {
    const char* path;
    const char* form;
    bool propExists;
    bool compExists;
    const char* className;
  } cases[] = {
      {"QRLabel1.Font.Size", "SELF", true, false, ""},  // a name path ends in objects only
      {"QRLabel1.Font", "SELF", true, true, "TFont"},
      {"QRLabel1.Caption", "SELF", true, false, ""},
      {"QRLabel1", "SELF", false, true, "TProbeControl"},
      {"Caption", "SELF", false, false, ""},  // the form's own property
      {"FormX.Unknown1", "SELF", false, true, "TForm"},
      {"Nobody.Caption", "SELF", false, false, ""},
      {"SCREEN.Cursor", "SELF", true, true, "TScreen"},
      {"Probe1.Pen", "FormX", true, true, "TPen"},
      {"Probe1.Pen.Width", "FormX", true, false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PropExists(c.path, c.form), c.propExists) << c.path;
    EXPECT_EQ(CompExists(c.path, c.form), c.compExists) << c.path;
    EXPECT_EQ(CompClassName(c.path, c.form), c.className) << c.path;
  }
  EXPECT_EQ(FindCompByPath("QRLabel1", "SELF"), Label);
  EXPECT_EQ(FindCompByPath("FormX.Combo1", "SELF"), Combo);
  EXPECT_EQ(FindCompByPath("Combo1", "FormX"), Combo);
  EXPECT_EQ(FindCompByPath("Combo1", "NoForm"), nullptr);
  EXPECT_EQ(CompClassName("Combo1", "NoForm"), "");
  EXPECT_TRUE(Dialogs->Texts().empty());
}

TEST_F(PropsRepTest, ResolveMemberLeavesTheMemberAndMarksDottedRests) {
  AnsiString path = "QRLabel1.Font.Size", form = "SELF";
  EXPECT_EQ(ResolveMember(path, form), Label->Font());
  EXPECT_EQ(path, "SIZE");
  EXPECT_EQ(form, "A_ReportForm");

  path = "FormX.Font.Size";
  form = "";
  EXPECT_EQ(ResolveMember(path, form), nullptr);
  EXPECT_EQ(path, "FONT>SIZE");
  EXPECT_EQ(form, "FormX");

  path = "Nobody.X";
  form = "SELF";
  EXPECT_EQ(ResolveMember(path, form), nullptr);
  EXPECT_EQ(path, "");

  path = "Caption";
  form = "FormX";
  EXPECT_EQ(ResolveMember(path, form), FormX);
  EXPECT_EQ(path, "CAPTION");
}

TEST_F(PropsRepTest, ResolvePathWalksOnlyWhenDeep) {
  TForm* start = Report;
  AnsiString path = "QRLABEL1.FONT.SIZE";
  EXPECT_EQ(ResolvePath(start, path, false), Label);
  EXPECT_EQ(path, "FONT.SIZE");
  path = "QRLABEL1.FONT.SIZE";
  EXPECT_EQ(ResolvePath(start, path, true), Label->Font());
  EXPECT_EQ(path, "SIZE");
  path = "FORMX.PROBE1.CAPTION";
  EXPECT_EQ(ResolvePath(start, path, false), Probe);  // a named form's component is walked anyway
  EXPECT_EQ(start, FormX);
  path = "CAPTION";
  EXPECT_EQ(ResolvePath(start, path, true), FormX);
  TObject* obj = Probe;
  path = "FONT.X.Y";
  WalkSubObjects(obj, path);
  EXPECT_EQ(obj, nullptr);
  EXPECT_EQ(path, "");
}

}  // namespace
