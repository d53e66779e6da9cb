// Member access after object values, through the class library's published properties.
#include "Classes.h"
#include "ScriptTestSupport.h"
#include "TypInfo.h"

enum TProbeAlign { paLeft, paCenter, paRight };
DECLARE_ENUM_TYPE(TProbeAlign);
DEFINE_ENUM_TYPE(TProbeAlign, "paLeft,paCenter,paRight")

namespace {

class TProbeFont : public TPersistent {
  DECLARE_CLASS(TProbeFont, TPersistent)
public:
  int32_t FSize = 8;
};
BEGIN_CLASS(TProbeFont) { b.Property("Size", &TProbeFont::FSize, &TProbeFont::FSize); }

class TProbeLabel : public TPersistent {
  DECLARE_CLASS(TProbeLabel, TPersistent)
public:
  AnsiString FCaption = "Hello";
  int32_t FTop = 10;
  bool FVisible = true;
  double FRatio = 2.5;
  TProbeAlign FAlign = paRight;
  TProbeFont FFontObject;
  TProbeFont* GetFont() const { return const_cast<TProbeFont*>(&FFontObject); }
};
BEGIN_CLASS(TProbeLabel) {
  b.Property("Caption", &TProbeLabel::FCaption, &TProbeLabel::FCaption);
  b.Property("Top", &TProbeLabel::FTop, &TProbeLabel::FTop);
  b.Property("Visible", &TProbeLabel::FVisible, &TProbeLabel::FVisible);
  b.Property("Ratio", &TProbeLabel::FRatio, &TProbeLabel::FRatio);
  b.Property("Align", &TProbeLabel::FAlign, &TProbeLabel::FAlign);
  b.Property("Font", &TProbeLabel::GetFont, nullptr);
}

// Gives the probe object for the identifier O, as a value of kind object.
class TObjectValue : public TExpression {
public:
  explicit TObjectValue(TObject* object) : FObject(object) {}
  TObject* ReadObject() override { return FObject; }
  TValueKind ValueKind() override { return vkObject; }
  const char* ClassName() const override { return "TObjectValue"; }

private:
  TObject* FObject;
};

class RttiTest : public ScriptTest {
protected:
  IValuePtr Parse(const char* text) {
    TIdentifierResolver resolver = [](void* context, const AnsiString&, TParameterListPtr&) -> IValuePtr {
      return std::make_shared<TObjectValue>(static_cast<TObject*>(context));
    };
    const char* cursor = text;
    return ParseExpression(cursor, resolver, static_cast<TObject*>(&Label));
  }
  std::string ErrorOfParse(const char* text) {
    try {
      Parse(text);
    } catch (const EExpression& e) {
      return e.Message;
    }
    return "<no error>";
  }
  TProbeLabel Label;
};

TEST_F(RttiTest, PublishedPropertiesByKind) {
  const struct {
    const char* Text;
    const char* Value;
    const char* Kind;
    const char* TypeName;
  } cases[] = {
      {"(O).Caption", "Hello", "String", "String"},
      {"(O).top", "10", "Integer", "Integer"},
      {"(O).Visible", "TRUE", "Boolean", "Boolean"},
      {"(O).Ratio", "2.5", "Float", "Double"},
      {"(O).Align", "paRight", "Enumerated", "TProbeAlign"},
      {"(O).Font", "TProbeFont", "Object", "TProbeFont"},
      {"(O)", "TProbeLabel", "Object", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    IValuePtr value = Parse(c.Text);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->ReadString(), c.Value);
    EXPECT_STREQ(ValueKindName(value->ValueKind()), c.Kind);
    std::string typeName;
    try {
      typeName = value->ValueTypeName();
    } catch (const EExpression& e) {
      EXPECT_EQ(std::string(e.Message), "Cannot provide TypeInfo for TObjectValue");
    }
    EXPECT_EQ(typeName, c.TypeName);
  }
}

TEST_F(RttiTest, PropertiesAreReadLiveAndCombine) {
  IValuePtr top = Parse("(O).Top + 1");
  EXPECT_EQ(top->ReadInteger(), 11);
  Label.FTop = 41;
  EXPECT_EQ(top->ReadInteger(), 42);
  EXPECT_EQ(Parse("((O).Font).Size * 2")->ReadInteger(), 16);
  EXPECT_EQ(Parse("(O).Align")->ReadInteger(), 2);
}

TEST_F(RttiTest, MemberErrors) {
  EXPECT_EQ(ErrorOfParse("(O).Font.Size"), "Font.Size is not published property of TProbeLabel");
  EXPECT_EQ(ErrorOfParse("(O).Nothing"), "Nothing is not published property of TProbeLabel");
  EXPECT_EQ(ErrorOfParse("(O). 1"), "Invalid property of object TProbeLabel");
  EXPECT_EQ(ErrorOfParse("(O) + 1"), "Type Object is incompatible with type Integer");
}

}  // namespace
