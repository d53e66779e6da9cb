#include <gtest/gtest.h>

#include "Classes.h"

namespace {

enum TShade { shNone, shLight, shDark };
using TShades = TSet<TShade>;

}  // namespace

DECLARE_ENUM_TYPE(TShade);
DECLARE_SET_TYPE(TShades);
DEFINE_ENUM_TYPE(TShade, "shNone,shLight,shDark")
DEFINE_SET_TYPE(TShades, TShade)

namespace {

class TProbe : public TComponent {
  DECLARE_CLASS(TProbe, TComponent)
public:
  using TComponent::TComponent;
  ~TProbe() override {
    if (Log) Log->push_back(Name());
  }
  AnsiString GetCaption() const { return FCaption; }
  void SetCaption(const AnsiString& s) { FCaption = s; }
  void Clicked(TObject*) { ++Clicks; }

  AnsiString FCaption;
  int32_t FCount = 0;
  bool FVisible = true;
  double FRatio = 0;
  TShade FShade = shNone;
  TShades FShades;
  TProbe* FBuddy = nullptr;
  TEvent<TObject*> FOnClick;
  int Clicks = 0;
  std::vector<AnsiString>* Log = nullptr;
  std::vector<TComponent*> Removed;

protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == opRemove) {
      Removed.push_back(c);
      if (c == FBuddy) FBuddy = nullptr;
    }
  }
};

BEGIN_CLASS(TProbe) {
  b.Property("Caption", &TProbe::GetCaption, &TProbe::SetCaption);
  b.Property("Count", &TProbe::FCount, &TProbe::FCount).Default(0);
  b.Property("Visible", &TProbe::FVisible, &TProbe::FVisible).Default(true);
  b.Property("Ratio", &TProbe::FRatio, &TProbe::FRatio);
  b.Property("Shade", &TProbe::FShade, &TProbe::FShade).Default(shNone);
  b.Property("Shades", &TProbe::FShades, &TProbe::FShades).Default(TShades{});
  b.Property("Buddy", &TProbe::FBuddy, &TProbe::FBuddy);
  b.Property("OnClick", &TProbe::FOnClick, &TProbe::FOnClick);
  b.Method("Clicked", &TProbe::Clicked);
}

TEST(ComponentTest, NamesAreIdentifiersUniqueWithoutCase) {
  TComponent root(nullptr);
  auto* a = new TProbe(&root);
  a->SetName("Label1");
  auto* b = new TProbe(&root);
  try {
    b->SetName("LABEL1");
    FAIL() << "duplicate name accepted";
  } catch (const EComponentError& e) {
    EXPECT_STREQ(e.what(), "A component named LABEL1 already exists");
  }
  EXPECT_THROW(b->SetName("1abc"), EComponentError);
  EXPECT_THROW(b->SetName("a b"), EComponentError);
  b->SetName("label2");
  a->SetName("LABEL1");  // renaming to itself in another case is allowed
  EXPECT_EQ(root.FindComponent("LaBeL2"), b);
  EXPECT_EQ(root.FindComponent(""), nullptr);
  EXPECT_EQ(b->ComponentIndex(), 1);
}

TEST(ComponentTest, OwnerFreesItsComponentsLastFirst) {
  std::vector<AnsiString> log;
  {
    TComponent root(nullptr);
    for (const char* n : {"A", "B", "C"}) {
      auto* p = new TProbe(&root);
      p->SetName(n);
      p->Log = &log;
    }
    EXPECT_EQ(root.ComponentCount(), 3);
    root.Components(0)->SetComponentIndex(2);  // order is now B C A
    EXPECT_EQ(root.Components(0)->Name(), "B");
  }
  EXPECT_EQ(log, (std::vector<AnsiString>{"A", "C", "B"}));
}

TEST(ComponentTest, FreeNotificationReachesReferrers) {
  TComponent root(nullptr);
  TComponent other(nullptr);
  auto* holder = new TProbe(&root);
  auto* target = new TProbe(&other);
  holder->FBuddy = target;
  target->FreeNotification(holder);
  delete target;
  EXPECT_EQ(holder->FBuddy, nullptr);
  EXPECT_EQ(other.ComponentCount(), 0);
}

TEST(ComponentTest, PublishedPropertiesInDeclarationOrderAfterAncestors) {
  std::vector<AnsiString> names;
  for (const TPropInfo* p : GetPropList(TProbe::StaticClass())) names.push_back(p->Name);
  EXPECT_EQ(names, (std::vector<AnsiString>{"Name", "Tag", "Caption", "Count", "Visible", "Ratio", "Shade",
                                            "Shades", "Buddy", "OnClick"}));
  EXPECT_TRUE(TProbe::StaticClass().InheritsFrom("tcomponent"));
  EXPECT_FALSE(TComponent::StaticClass().InheritsFrom("TProbe"));
  TProbe p(nullptr);
  EXPECT_EQ(p.ClassName(), "TProbe");
}

TEST(ComponentTest, TypeInformationOfEachKind) {
  struct Case {
    const char* prop;
    TTypeKind kind;
    const char* typeName;
  };
  const Case cases[] = {
      {"Name", tkString, "TComponentName"}, {"Tag", tkInteger, "Integer"},  {"Caption", tkLString, "String"},
      {"Visible", tkEnumeration, "Boolean"}, {"Ratio", tkFloat, "Double"}, {"Shade", tkEnumeration, "TShade"},
      {"Shades", tkSet, "TShades"},          {"Buddy", tkClass, "TProbe"}, {"OnClick", tkMethod, "TMethod"},
  };
  for (const Case& c : cases) {
    const TPropInfo* p = TProbe::StaticClass().FindProp(c.prop);
    ASSERT_NE(p, nullptr) << c.prop;
    EXPECT_EQ(p->PropType->Kind, c.kind) << c.prop;
    EXPECT_EQ(p->PropType->Name, c.typeName) << c.prop;
  }
  const TTypeInfo* shades = TProbe::StaticClass().FindProp("shades")->PropType;
  EXPECT_EQ(shades->CompType, TypeInfoOf<TShade>());
  EXPECT_EQ(GetEnumName(TypeInfoOf<TShade>(), 2), "shDark");
  EXPECT_EQ(GetEnumValue(TypeInfoOf<TShade>(), "SHLIGHT"), 1);
  EXPECT_EQ(GetEnumValue(TypeInfoOf<TShade>(), "shMissing"), -1);
  EXPECT_EQ(TProbe::StaticClass().FindProp("Name")->PropType->MaxLength, 63);
}

TEST(ComponentTest, GenericAccessorsReadAndWrite) {
  TComponent root(nullptr);
  auto* p = new TProbe(&root);
  auto* q = new TProbe(&root);
  const TClassInfo& cls = TProbe::StaticClass();
  SetStrProp(p, cls.FindProp("Caption"), "Hello");
  SetOrdProp(p, cls.FindProp("Visible"), 0);
  SetOrdProp(p, cls.FindProp("Shades"), (1 << shLight) | (1 << shDark));
  SetFloatProp(p, cls.FindProp("Ratio"), 2.5);
  SetObjectProp(p, cls.FindProp("Buddy"), q);
  EXPECT_EQ(p->FCaption, "Hello");
  EXPECT_FALSE(p->FVisible);
  EXPECT_TRUE(p->FShades.Contains(shDark));
  EXPECT_FALSE(p->FShades.Contains(shNone));
  EXPECT_DOUBLE_EQ(GetFloatProp(p, cls.FindProp("Ratio")), 2.5);
  EXPECT_EQ(GetObjectProp(p, cls.FindProp("Buddy")), q);
  // A class property refuses an object of another class.
  EXPECT_THROW(SetObjectProp(p, cls.FindProp("Buddy"), &root), EPropertyError);
  EXPECT_THROW(GetStrProp(p, cls.FindProp("Tag")), EPropertyError);
}

TEST(ComponentTest, DefaultsDecideWhatIsStored) {
  TProbe p(nullptr);
  const TClassInfo& cls = TProbe::StaticClass();
  EXPECT_FALSE(IsStoredProp(&p, cls.FindProp("Count")));
  EXPECT_FALSE(IsStoredProp(&p, cls.FindProp("Visible")));
  EXPECT_FALSE(IsStoredProp(&p, cls.FindProp("Caption")));
  EXPECT_FALSE(IsStoredProp(&p, cls.FindProp("Name")));
  p.FCount = 3;
  p.FVisible = false;
  p.FCaption = "x";
  p.SetName("P");
  EXPECT_TRUE(IsStoredProp(&p, cls.FindProp("Count")));
  EXPECT_TRUE(IsStoredProp(&p, cls.FindProp("Visible")));
  EXPECT_TRUE(IsStoredProp(&p, cls.FindProp("Caption")));
  EXPECT_FALSE(IsStoredProp(&p, cls.FindProp("Name")));  // written in the object line instead
}

TEST(ComponentTest, EventsBindToPublishedMethodsByName) {
  TComponent root(nullptr);
  auto* form = new TProbe(&root);
  auto* button = new TProbe(&root);
  const TPropInfo* onClick = TProbe::StaticClass().FindProp("OnClick");
  SetMethodProp(button, onClick, TMethod{form, "CLICKED"});
  button->FOnClick(button);
  EXPECT_EQ(form->Clicks, 1);
  TMethod m = GetMethodProp(button, onClick);
  EXPECT_EQ(m.Data, form);
  EXPECT_EQ(m.Name, "Clicked");
  EXPECT_THROW(SetMethodProp(button, onClick, TMethod{form, "NoSuchMethod"}), EPropertyError);
  SetMethodProp(button, onClick, TMethod{});
  EXPECT_FALSE(bool(button->FOnClick));
}

TEST(ComponentTest, ClassRegistryFindsByNameWithoutCase) {
  RegisterClass(TProbe::StaticClass());
  EXPECT_EQ(&FindClass("tprobe"), &TProbe::StaticClass());
  EXPECT_EQ(GetClass("TNothing"), nullptr);
  try {
    FindClass("TNothing");
    FAIL();
  } catch (const EClassNotFound& e) {
    EXPECT_STREQ(e.what(), "Class TNothing not found");
  }
  TComponent root(nullptr);
  TComponent* made = TProbe::StaticClass().CreateComponent(&root);
  EXPECT_EQ(made->ClassName(), "TProbe");
  EXPECT_EQ(made->Owner(), &root);
}

}  // namespace

namespace {
TEST(ComponentTest, ClosuresAssignToEventsWithoutHandlerName) {
  TProbe p(nullptr);
  int calls = 0;
  p.FOnClick = [&](TObject*) { ++calls; };
  p.FOnClick(&p);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(GetMethodProp(&p, TProbe::StaticClass().FindProp("OnClick")).Name.empty());
}
}  // namespace
