#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "Streaming.h"
#include "TStringList.h"

namespace {

enum TStreamAlign { saNone, saTop, saClient };
enum TStreamAnchor { sakLeft, sakTop, sakRight, sakBottom };
using TStreamAnchors = TSet<TStreamAnchor>;

}  // namespace

DECLARE_ENUM_TYPE(TStreamAlign);
DECLARE_ENUM_TYPE(TStreamAnchor);
DECLARE_SET_TYPE(TStreamAnchors);
DEFINE_ENUM_TYPE(TStreamAlign, "saNone,saTop,saClient")
DEFINE_ENUM_TYPE(TStreamAnchor, "sakLeft,sakTop,sakRight,sakBottom")
DEFINE_SET_TYPE(TStreamAnchors, TStreamAnchor)

namespace {

// A sub-object written as dotted names.
class TStreamFont : public TPersistent {
  DECLARE_CLASS(TStreamFont, TPersistent)
public:
  int32_t FSize = 8;
  AnsiString FName = "Arial";
  TStreamAnchors FStyle;
};
BEGIN_CLASS(TStreamFont) {
  b.Property("Size", &TStreamFont::FSize, &TStreamFont::FSize).Default(8);
  b.Property("Name", &TStreamFont::FName, &TStreamFont::FName).Default("Arial");
  b.Property("Style", &TStreamFont::FStyle, &TStreamFont::FStyle).Default(TStreamAnchors{});
}

class TStreamPicture : public TPersistent {
  DECLARE_CLASS(TStreamPicture, TPersistent)
public:
  std::string Bytes;
  void DefineProperties(TFiler& filer) override {
    filer.DefineBinaryProperty(
        "Data", [this](const std::string& b) { Bytes = b; }, [this] { return Bytes; }, !Bytes.empty());
  }
};
BEGIN_CLASS(TStreamPicture) {}

class TStreamBox;

// Records how it was loaded: the state flags seen in Loaded and whether its
// reference was already resolved then.
struct TLoadRecord {
  AnsiString Name;
  unsigned State;
  bool BuddyResolved;
};

class TStreamWidget : public TComponent {
  DECLARE_CLASS(TStreamWidget, TComponent)
public:
  explicit TStreamWidget(TComponent* owner) : TComponent(owner) {}
  ~TStreamWidget() override;
  AnsiString GetCaption() const { return FCaption; }
  void SetCaption(const AnsiString& s) { FCaption = s; }
  TStreamFont* GetFont() const { return FFont.get(); }
  TStringList* GetLines() const { return FLines.get(); }
  TStreamPicture* GetPicture() const { return FPicture.get(); }

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;
  void Loaded() override {
    if (LoadLog) LoadLog->push_back({Name(), ComponentState(), FBuddy != nullptr});
    TComponent::Loaded();
  }

  AnsiString FCaption;
  AnsiString FShortName;
  int32_t FCount = 0;
  int8_t FSmall = 0;
  uint32_t FWide = 0;
  char FLetter = 'A';
  bool FVisible = true;
  double FRatio = 0;
  float FScale = 0;
  double FPrice = 0;
  TStreamAlign FAlign = saNone;
  TStreamAnchors FAnchors{sakLeft, sakTop};
  std::unique_ptr<TStreamFont> FFont = std::make_unique<TStreamFont>();
  std::unique_ptr<TStringList> FLines = std::make_unique<TStringList>();
  std::unique_ptr<TStreamPicture> FPicture = std::make_unique<TStreamPicture>();
  TComponent* FBuddy = nullptr;
  TEvent<TObject*> FOnClick;
  TStreamBox* FParent = nullptr;
  static inline std::vector<TLoadRecord>* LoadLog = nullptr;
};

BEGIN_CLASS(TStreamWidget) {
  b.Property("Caption", &TStreamWidget::GetCaption, &TStreamWidget::SetCaption);
  b.Property("ShortName", &TStreamWidget::FShortName, &TStreamWidget::FShortName, ShortStringType("TStreamShort", 10));
  b.Property("Count", &TStreamWidget::FCount, &TStreamWidget::FCount).Default(0);
  b.Property("Small", &TStreamWidget::FSmall, &TStreamWidget::FSmall).Default(0);
  b.Property("Wide", &TStreamWidget::FWide, &TStreamWidget::FWide).Default(0);
  b.Property("Letter", &TStreamWidget::FLetter, &TStreamWidget::FLetter).Default('A');
  b.Property("Visible", &TStreamWidget::FVisible, &TStreamWidget::FVisible).Default(true);
  b.Property("Ratio", &TStreamWidget::FRatio, &TStreamWidget::FRatio);
  b.Property("Scale", &TStreamWidget::FScale, &TStreamWidget::FScale);
  b.Property("Price", &TStreamWidget::FPrice, &TStreamWidget::FPrice, TypeInfoCurrency());
  b.Property("Align", &TStreamWidget::FAlign, &TStreamWidget::FAlign).Default(saNone);
  b.Property("Anchors", &TStreamWidget::FAnchors, &TStreamWidget::FAnchors).Default(TStreamAnchors{sakLeft, sakTop});
  b.Property("Font", &TStreamWidget::GetFont, nullptr);
  b.Property("Lines", &TStreamWidget::GetLines, nullptr);
  b.Property("Picture", &TStreamWidget::GetPicture, nullptr);
  b.Property("Buddy", &TStreamWidget::FBuddy, &TStreamWidget::FBuddy);
  b.Property("OnClick", &TStreamWidget::FOnClick, &TStreamWidget::FOnClick);
}

// A container: the widgets whose parent it is are streamed inside it.
class TStreamBox : public TStreamWidget {
  DECLARE_CLASS(TStreamBox, TStreamWidget)
public:
  using TStreamWidget::TStreamWidget;
  ~TStreamBox() override {
    for (TStreamWidget* kid : Kids) kid->FParent = nullptr;
  }
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent*) override {
    for (TStreamWidget* kid : Kids) proc(kid);
  }
  std::vector<TStreamWidget*> Kids;
};
BEGIN_CLASS(TStreamBox) {}

TStreamWidget::~TStreamWidget() {
  if (FParent) std::erase(FParent->Kids, this);
}
TComponent* TStreamWidget::GetParentComponent() const { return FParent; }
void TStreamWidget::SetParentComponent(TComponent* parent) {
  if (FParent) std::erase(FParent->Kids, this);
  FParent = dynamic_cast<TStreamBox*>(parent);
  if (FParent) FParent->Kids.push_back(this);
}

// The root: publishes the handlers that stored event bindings name.
class TStreamForm : public TComponent {
  DECLARE_CLASS(TStreamForm, TComponent)
public:
  using TComponent::TComponent;
  void ButtonClick(TObject*) { ++Clicks; }
  AnsiString FCaption;
  int Clicks = 0;
};
BEGIN_CLASS(TStreamForm) {
  b.Property("Caption", &TStreamForm::FCaption, &TStreamForm::FCaption);
  b.Method("ButtonClick", &TStreamForm::ButtonClick);
}

// A class known to the type system but not registered for streaming.
class TStreamUnregistered : public TComponent {
  DECLARE_CLASS(TStreamUnregistered, TComponent)
public:
  using TComponent::TComponent;
};
BEGIN_CLASS(TStreamUnregistered) {}

class StreamingTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    RegisterClasses({&TStreamWidget::StaticClass(), &TStreamBox::StaticClass(), &TStreamForm::StaticClass()});
  }
  template <class T> static T* Make(TComponent* owner, const char* name, TComponent* parent = nullptr) {
    auto* c = new T(owner);
    c->SetName(name);
    if (parent) c->SetParentComponent(parent);
    return c;
  }
  static void Bind(TStreamWidget* w, TStreamForm* form) {
    const TPropInfo* prop = GetPropInfo(w, "OnClick");
    SetMethodProp(w, prop, TMethod{form, "ButtonClick"});
  }
};

TEST_F(StreamingTest, SmallTreeIsWrittenExactly) {
  TStreamForm form(nullptr);
  form.SetName("Form1");
  form.FCaption = "It's\r\nhere";
  auto* box = Make<TStreamBox>(&form, "Box1", &form);
  box->FAlign = saClient;
  auto* button1 = Make<TStreamWidget>(&form, "Button1", box);
  auto* button2 = Make<TStreamWidget>(&form, "Button2", &form);
  button1->FCaption = "OK";
  button1->FAnchors = TStreamAnchors{sakLeft, sakBottom};
  button1->FFont->FSize = 10;
  button1->FLines->Add("select *");
  button1->FLines->Add("from t");
  button1->FBuddy = button2;
  Bind(button1, &form);
  button2->FVisible = false;
  button2->FPicture->Bytes = std::string("\x00\x7F\x80\xFF", 4);

  EXPECT_EQ(ComponentToText(&form),
            "object Form1: TStreamForm\n"
            "  Caption = 'It''s'#13#10'here'\n"
            "  object Box1: TStreamBox\n"
            "    Align = saClient\n"
            "    object Button1: TStreamWidget\n"
            "      Caption = 'OK'\n"
            "      Anchors = [sakLeft,sakBottom]\n"
            "      Font.Size = 10\n"
            "      Lines.Strings = (\n"
            "        'select *'\n"
            "        'from t')\n"
            "      Buddy = Button2\n"
            "      OnClick = ButtonClick\n"
            "    end\n"
            "  end\n"
            "  object Button2: TStreamWidget\n"
            "    Visible = False\n"
            "    Picture.Data = {\n"
            "      007F80FF}\n"
            "  end\n"
            "end\n");
}

// Every property kind, nesting, a forward and a cross-owner reference and an
// event survive write -> read, and the second write gives the same bytes.
TEST_F(StreamingTest, RoundTripKeepsEveryPropertyKind) {
  TComponent app(nullptr);
  auto* other = Make<TStreamForm>(&app, "Other");
  auto* target = Make<TStreamWidget>(other, "Target");
  auto* form = Make<TStreamForm>(&app, "Form1");
  auto* outer = Make<TStreamBox>(form, "Outer", form);
  auto* inner = Make<TStreamBox>(form, "Inner", outer);
  auto* w = Make<TStreamWidget>(form, "W", inner);
  auto* last = Make<TStreamWidget>(form, "Last", form);
  Make<TStreamWidget>(form, "", outer)->FCount = 7;  // unnamed: `object TStreamWidget`
  w->FCaption = AnsiString("tab\there, quote ' and \xE9t\xE9 ") + AnsiString(100, 'x');
  w->FShortName = "short";
  w->FCount = -2147483647 - 1;
  w->FSmall = -128;
  w->FWide = 4000000000u;
  w->FLetter = '\'';
  w->FVisible = false;
  w->FRatio = 1.0 / 3;
  w->FScale = 0.1f;
  w->FPrice = 12.3456;
  w->FAlign = saTop;
  w->FAnchors = TStreamAnchors{};
  w->FFont->FSize = 12;
  w->FFont->FName = "";
  w->FFont->FStyle = TStreamAnchors{sakRight};
  for (const AnsiString& line : {AnsiString("one"), AnsiString(), AnsiString("it's"), AnsiString(70, 'y')})
    w->FLines->Add(line);
  for (int i = 0; i < 100; ++i) w->FPicture->Bytes += char(i * 7);
  w->FBuddy = last;  // forward: Last is read after W
  Bind(w, form);
  last->FBuddy = target;  // owned by another form
  inner->FLetter = '\t';
  const AnsiString text = ComponentToText(form);

  TComponent app2(nullptr);
  auto* target2 = Make<TStreamWidget>(Make<TStreamForm>(&app2, "Other"), "Target");
  // The reference to the other form resolves through the new root's owner.
  auto* form2 = dynamic_cast<TStreamForm*>(CreateComponentFromText(text, &app2));
  ASSERT_NE(form2, nullptr);
  EXPECT_EQ(form2->Name(), "Form1");
  EXPECT_EQ(ComponentToText(form2), text);

  auto* w2 = dynamic_cast<TStreamWidget*>(form2->FindComponent("W"));
  auto* last2 = dynamic_cast<TStreamWidget*>(form2->FindComponent("Last"));
  auto* inner2 = dynamic_cast<TStreamBox*>(form2->FindComponent("Inner"));
  auto* outer2 = dynamic_cast<TStreamBox*>(form2->FindComponent("Outer"));
  ASSERT_TRUE(w2 && last2 && inner2 && outer2);
  EXPECT_EQ(w2->FCaption, w->FCaption);
  EXPECT_EQ(w2->FShortName, "short");
  EXPECT_EQ(w2->FCount, w->FCount);
  EXPECT_EQ(w2->FSmall, -128);
  EXPECT_EQ(w2->FWide, 4000000000u);
  EXPECT_EQ(w2->FLetter, '\'');
  EXPECT_FALSE(w2->FVisible);
  EXPECT_EQ(w2->FRatio, 1.0 / 3);
  EXPECT_EQ(w2->FScale, 0.1f);
  EXPECT_EQ(w2->FPrice, 12.3456);
  EXPECT_EQ(w2->FAlign, saTop);
  EXPECT_TRUE(w2->FAnchors.Empty());
  EXPECT_EQ(w2->FFont->FSize, 12);
  EXPECT_EQ(w2->FFont->FName, "");
  EXPECT_EQ(w2->FFont->FStyle, TStreamAnchors{sakRight});
  EXPECT_TRUE(w2->FLines->Equals(*w->FLines)) << w2->FLines->Text();
  EXPECT_EQ(w2->FPicture->Bytes, w->FPicture->Bytes);
  EXPECT_EQ(w2->FBuddy, last2);
  EXPECT_EQ(last2->FBuddy, target2);
  EXPECT_EQ(inner2->FLetter, '\t');
  EXPECT_EQ(w2->FParent, inner2);
  ASSERT_EQ(outer2->Kids.size(), 2u);
  EXPECT_EQ(outer2->Kids[1]->FCount, 7);
  EXPECT_EQ(outer2->Kids[1]->Name(), "");
  EXPECT_EQ(inner2->FParent, outer2);
  EXPECT_EQ(last2->FParent, nullptr);
  EXPECT_EQ(w2->FOnClick.HandlerObject, form2);
  w2->FOnClick(w2);
  EXPECT_EQ(form2->Clicks, 1);
}

TEST_F(StreamingTest, LoadedRunsAfterReferencesWithReadingCleared) {
  const AnsiString text =
      "object Form1: TStreamForm\n"
      "  object A: TStreamWidget\n"
      "    Buddy = B\n"
      "  end\n"
      "  object B: TStreamWidget\n"
      "  end\n"
      "end\n";
  TStreamForm form(nullptr);
  std::vector<TLoadRecord> log;
  TStreamWidget::LoadLog = &log;
  ReadComponentFromText(text, &form);
  TStreamWidget::LoadLog = nullptr;
  ASSERT_EQ(log.size(), 2u);
  for (const TLoadRecord& r : log) {
    EXPECT_TRUE(r.State & csLoading) << r.Name;
    EXPECT_FALSE(r.State & csReading) << r.Name;
  }
  EXPECT_TRUE(log[0].BuddyResolved);
  EXPECT_FALSE(form.HasState(csLoading));
  EXPECT_FALSE(form.FindComponent("A")->HasState(csLoading));
}

TEST_F(StreamingTest, ReadingIntoAnExistingRootKeepsItAndAddsChildren) {
  TStreamForm form(nullptr);
  auto* kept = Make<TStreamWidget>(&form, "Kept");
  ReadComponentFromText(
      "object Report: TStreamForm\n"
      "  Caption = 'Sales'\n"
      "  object Q1: TStreamWidget\n"
      "    Buddy = Kept\n"
      "  end\n"
      "end\n",
      &form);
  EXPECT_EQ(form.Name(), "Report");
  EXPECT_EQ(form.FCaption, "Sales");
  ASSERT_EQ(form.ComponentCount(), 2);
  EXPECT_EQ(form.Components(0), kept);
  EXPECT_EQ(dynamic_cast<TStreamWidget*>(form.Components(1))->FBuddy, kept);
}

// Names freed by a rename or a removal can be read again; taken ones cannot.
TEST_F(StreamingTest, DuplicateCheckFollowsRenamesAndRemovals) {
  TStreamForm form(nullptr);
  Make<TStreamWidget>(&form, "A")->SetName("B");
  std::unique_ptr<TStreamWidget> removed(Make<TStreamWidget>(&form, "C"));
  form.RemoveComponent(removed.get());
  ReadComponentFromText("object F: TStreamForm\n  object a: TStreamWidget\n  end\n  object c: TStreamWidget\n  end\nend\n",
                        &form);
  EXPECT_EQ(form.ComponentCount(), 3);
  EXPECT_EQ(form.FindComponent("C")->Owner(), &form);
  EXPECT_THROW(ReadComponentFromText("object F: TStreamForm\n  object b: TStreamWidget\n  end\nend\n", &form),
               EReadError);
}

// Each broken text raises EReadError naming its line, and a failed read
// leaves no component behind.
TEST_F(StreamingTest, ErrorsNameTheLine) {
  struct TCase {
    const char* Name;
    const char* Body;  // between the root's header and its end
    const char* Message;
  };
  const TCase cases[] = {
      {"unknown class", "  object X: TNoSuch\n  end\n", "Line 2: Class TNoSuch not found"},
      {"unregistered class", "  object X: TStreamUnregistered\n  end\n", "Line 2: Class TStreamUnregistered not found"},
      {"unknown property", "  Colour = 3\n", "Line 2: Property Colour does not exist"},
      {"unknown sub-property", "  object X: TStreamWidget\n    Font.Sise = 3\n  end\n",
       "Line 3: Property Font.Sise does not exist"},
      {"unknown defined property", "  object X: TStreamWidget\n    Lines.Text = 'a'\n  end\n",
       "Line 3: Property Lines.Text does not exist"},
      {"read-only property", "  object X: TStreamWidget\n    Font = nil\n  end\n", "Line 3: Property Font is read-only"},
      {"bad enumeration", "  object X: TStreamWidget\n    Align = saMiddle\n  end\n", "Line 3: Invalid property value"},
      {"integer out of range", "  object X: TStreamWidget\n    Small = 128\n  end\n", "Line 3: Invalid property value"},
      {"string for integer", "  object X: TStreamWidget\n    Count = 'x'\n  end\n", "Line 3: Invalid property value"},
      {"short string too long", "  object X: TStreamWidget\n    ShortName = '12345678901'\n  end\n",
       "Line 3: Invalid property value"},
      {"bad set element", "  object X: TStreamWidget\n    Anchors = [sakLeft,saTop]\n  end\n",
       "Line 3: Invalid property value"},
      {"bad list item", "  object X: TStreamWidget\n    Lines.Strings = (\n      'a'\n      12)\n  end\n",
       "Line 5: Invalid property value"},
      {"unterminated string", "  Caption = 'abc\n", "Line 2: Unterminated string"},
      {"character code too big", "  Caption = #256\n", "Line 2: Invalid property value"},
      {"odd hex digits", "  object X: TStreamWidget\n    Picture.Data = {\n      0A0}\n  end\n",
       "Line 4: Invalid binary value"},
      {"missing equals", "  Caption 'x'\n", "Line 2: '=' expected"},
      {"unresolved reference", "  object X: TStreamWidget\n    Buddy = Nobody\n  end\n",
       "Line 3: Component Nobody not found"},
      {"unknown handler", "  object X: TStreamWidget\n    OnClick = NoHandler\n  end\n",
       "Line 3: Method NoHandler not found"},
      {"duplicate name", "  object B: TStreamWidget\n  end\n  object b: TStreamWidget\n  end\n",
       "Line 4: A component named b already exists"},
      {"stray character", "  Caption = 'x' ;\n", "Line 2: Invalid character ';'"},
  };
  for (const TCase& c : cases) {
    TStreamForm form(nullptr);
    try {
      ReadComponentFromText(AnsiString("object Form1: TStreamForm\n") + c.Body + "end\n", &form);
      ADD_FAILURE() << c.Name << ": no error";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message, c.Message) << c.Name;
    }
    EXPECT_EQ(form.ComponentCount(), 0) << c.Name;
    EXPECT_EQ(form.ComponentState() & (csLoading | csReading), 0u) << c.Name;
  }
}

TEST_F(StreamingTest, ErrorsOutsideTheBodyNameTheLine) {
  struct TCase {
    const char* Name;
    const char* Text;
    const char* Message;
  };
  const TCase cases[] = {
      {"missing end", "object Form1: TStreamForm\n  object X: TStreamWidget\n  end\n", "Line 3: 'end' expected"},
      {"text after the end", "object Form1: TStreamForm\nend\nend\n", "Line 3: End of file expected"},
      {"other root class", "object Form1: TStreamWidget\nend\n",
       "Line 1: Class TStreamWidget does not match the root class TStreamForm"},
      {"no object", "Caption = 'x'\n", "Line 1: 'object' expected"},
  };
  for (const TCase& c : cases) {
    TStreamForm form(nullptr);
    try {
      ReadComponentFromText(c.Text, &form);
      ADD_FAILURE() << c.Name << ": no error";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message, c.Message) << c.Name;
    }
  }
  TComponent owner(nullptr);
  EXPECT_THROW(CreateComponentFromText("object F: TStreamForm\n  object X: TNoSuch\n  end\nend\n", &owner),
               EReadError);
  EXPECT_EQ(owner.ComponentCount(), 0) << "the created root is freed again";
}

TEST_F(StreamingTest, StringsAreQuotedSplitAndReadBack) {
  struct TCase {
    AnsiString Value;
    AnsiString Written;  // after "Caption = "
  };
  const TCase cases[] = {
      {"plain", "'plain'"},
      {"it's", "'it''s'"},
      {"'", "''''"},
      {"\t", "#9"},
      {"a\r\nb", "'a'#13#10'b'"},
      {"\x7F", "#127"},
      {"\xE9t\xE9", "'\xE9t\xE9'"},
      {AnsiString(64, 'x'), "'" + AnsiString(64, 'x') + "'"},
      {AnsiString(130, 'x'),
       "'" + AnsiString(64, 'x') + "' +\n      '" + AnsiString(64, 'x') + "' +\n      'xx'"},
  };
  for (const TCase& c : cases) {
    TStreamForm form(nullptr);
    form.SetName("F");
    auto* w = Make<TStreamWidget>(&form, "W");
    w->FCaption = c.Value;
    const AnsiString text = ComponentToText(&form);
    EXPECT_NE(text.find("    Caption = " + c.Written + "\n"), AnsiString::npos) << text;
    TStreamForm back(nullptr);
    ReadComponentFromText(text, &back);
    EXPECT_EQ(dynamic_cast<TStreamWidget*>(back.FindComponent("W"))->FCaption, c.Value) << c.Written;
  }
}

TEST_F(StreamingTest, FloatsReadBackExactlyWhateverTheDecimalSeparator) {
  const char saved = FormatSettings().DecimalSeparator;
  FormatSettings().DecimalSeparator = ',';
  const double values[] = {0.1, 1.0 / 3, -2.5, 1e-300, 5e-324, 1.7976931348623157e308, 123456789.125,
                           1e20, HUGE_VAL, -HUGE_VAL, std::nan("")};
  for (double v : values) {
    TStreamForm form(nullptr);
    auto* w = Make<TStreamWidget>(&form, "W");
    w->FRatio = v;
    const AnsiString text = ComponentToText(&form);
    EXPECT_EQ(text.find(','), AnsiString::npos) << text;
    TStreamForm back(nullptr);
    ReadComponentFromText(text, &back);
    const double r = dynamic_cast<TStreamWidget*>(back.FindComponent("W"))->FRatio;
    EXPECT_EQ(std::bit_cast<uint64_t>(r), std::bit_cast<uint64_t>(v)) << text;
  }
  FormatSettings().DecimalSeparator = saved;
}

TEST_F(StreamingTest, ReaderAcceptsWindowsLineEndsAndFreeSpacing) {
  TStreamForm form(nullptr);
  ReadComponentFromText(
      "object Form1: TStreamForm\r\n"
      "  object X: TStreamWidget\r\n"
      "    Caption = 'a' +\r\n"
      "      'b'\r\n"
      "    Anchors = [ sakTop , sakRight ]\r\n"
      "    Count = $FF\r\n"
      "    Lines.Strings = ()\r\n"
      "  end\r\n"
      "end",
      &form);
  auto* x = dynamic_cast<TStreamWidget*>(form.FindComponent("X"));
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->FCaption, "ab");
  EXPECT_EQ(x->FAnchors, (TStreamAnchors{sakTop, sakRight}));
  EXPECT_EQ(x->FCount, 255);
  EXPECT_EQ(x->FLines->Count(), 0);
}

TEST_F(StreamingTest, SelectedComponentsCopyToAnotherOwner) {
  TStreamForm source(nullptr);
  source.SetName("Form1");
  auto* a = Make<TStreamWidget>(&source, "A");
  auto* b = Make<TStreamWidget>(&source, "B");
  a->FBuddy = b;
  a->FCaption = "first";
  Bind(b, &source);
  const AnsiString text = ComponentsToText({a, b});
  EXPECT_EQ(text,
            "object A: TStreamWidget\n"
            "  Caption = 'first'\n"
            "  Buddy = B\n"
            "end\n"
            "object B: TStreamWidget\n"
            "  OnClick = ButtonClick\n"
            "end\n");

  TStreamForm target(nullptr);
  const std::vector<TComponent*> read = ReadComponentsFromText(text, &target);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0]->Owner(), &target);
  EXPECT_EQ(dynamic_cast<TStreamWidget*>(read[0])->FBuddy, read[1]);
  EXPECT_EQ(dynamic_cast<TStreamWidget*>(read[1])->FOnClick.HandlerObject, &target);
  EXPECT_THROW(ReadComponentsFromText(text, &target), EReadError) << "names taken";
  EXPECT_EQ(target.ComponentCount(), 2);
}

TEST_F(StreamingTest, FilesKeepTheBytesUnderAnAnsiPath) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("vorda-stream-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const AnsiString path = dir.string() + "/Bericht\xE9.rp";  // é in the ANSI code page
  TStreamForm form(nullptr);
  form.SetName("Form1");
  Make<TStreamWidget>(&form, "W")->FCaption = "\xE9";
  WriteComponentFile(path, &form);

  std::ifstream in(dir / "Bericht\xC3\xA9.rp", std::ios::binary);  // the same name in UTF-8
  std::ostringstream bytes;
  bytes << in.rdbuf();
  EXPECT_EQ(bytes.str(), ComponentToText(&form));
  TStreamForm back(nullptr);
  ReadComponentFile(path, &back);
  EXPECT_EQ(ComponentToText(&back), bytes.str());
  EXPECT_THROW(ReadComponentFile(dir.string() + "/missing.rp", &back), EFOpenError);
  EXPECT_THROW(WriteComponentFile(dir.string() + "/no/such/dir.rp", &form), EFCreateError);
  std::filesystem::remove_all(dir);
}

}  // namespace
