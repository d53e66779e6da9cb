// Operators by kind, casts, IFF, the base reading rules and member access.
#include "ScriptTestSupport.h"

namespace {

class NodesTest : public ScriptTest {};

struct TCase {
  const char* Text;
  const char* Value;
  const char* Kind;
};

void ExpectValues(const std::vector<TCase>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    try {
      IValuePtr value = ParseScriptText(c.Text);
      ASSERT_TRUE(value);
      EXPECT_EQ(value->ReadString(), c.Value);
      EXPECT_STREQ(ValueKindName(value->ValueKind()), c.Kind);
    } catch (const Exception& e) {
      ADD_FAILURE() << "raised " << e.Message;
    }
  }
}

TEST_F(NodesTest, OperatorsByKind) {
  ExpectValues({
      {"'a' + 1", "a1", "String"},
      {"'a' + TRUE", "aTRUE", "String"},
      {"'x' + 1.5", "x1.5", "String"},
      {"1 + TRUE", "2", "Integer"},
      {"1 + 0.5", "1.5", "Float"},
      {"1.5 * 2", "3", "Float"},
      {"1.5 - 2", "-0.5", "Float"},
      {"6 / 3", "2", "Float"},
      {"7 DIV 2", "3", "Integer"},
      {"-7 DIV 2", "-3", "Integer"},
      {"-7 MOD 2", "-1", "Integer"},
      {"7 MOD -2", "1", "Integer"},
      {"2147483647 + 1", "-2147483648", "Integer"},
      {"65536 * 65536", "0", "Integer"},
      {"(-2147483647 - 1) DIV -1", "-2147483648", "Integer"},
      {"12 AND 10", "8", "Integer"},
      {"12 OR 3", "15", "Integer"},
      {"12 XOR 10", "6", "Integer"},
      {"NOT 0", "-1", "Integer"},
      {"1 SHL 31", "-2147483648", "Integer"},
      {"1 SHL 33", "2", "Integer"},
      {"1 SHR 32", "1", "Integer"},
      {"-1 SHR 28", "15", "Integer"},
      {"TRUE AND FALSE", "FALSE", "Boolean"},
      {"TRUE OR FALSE", "TRUE", "Boolean"},
      {"TRUE XOR TRUE", "FALSE", "Boolean"},
      {"NOT FALSE", "TRUE", "Boolean"},
      {"-1.5", "-1.5", "Float"},
      {"0.1 * 3", "0.3", "Float"},
      {"1 / 3", "0.333333333333333", "Float"},
      {"10000000 * 100000000.0", "1E15", "Float"},
      {"1 / 100000", "1E-5", "Float"},
  });
}

TEST_F(NodesTest, Relations) {
  ExpectValues({
      {"'abc' < 'abd'", "TRUE", "Boolean"},
      {"'B' < 'a'", "TRUE", "Boolean"},
      {"'ab' < 'abc'", "TRUE", "Boolean"},
      {"'a' = 'A'", "FALSE", "Boolean"},
      {"10 = '10'", "TRUE", "Boolean"},
      {"10 < '9'", "TRUE", "Boolean"},  // compared as strings
      {"1 = 1.0", "TRUE", "Boolean"},
      {"-1 < 1", "TRUE", "Boolean"},
      {"2 >= 2", "TRUE", "Boolean"},
      {"2 <= 1", "FALSE", "Boolean"},
      {"2 <> 1", "TRUE", "Boolean"},
      {"1 > 0.5", "TRUE", "Boolean"},
      {"TRUE = TRUE", "TRUE", "Boolean"},
      {"TRUE <> FALSE", "TRUE", "Boolean"},
      {"(1 < 2) + 1", "2", "Integer"},
  });
}

TEST_F(NodesTest, OperatorErrorsNameMemberAndKind) {
  const std::pair<const char*, const char*> cases[] = {
      {"'a' - 1", "Operator opMinus incompatible with String"},
      {"'a' * 'b'", "Operator opMult incompatible with String"},
      {"1.5 DIV 2", "Operator opDiv incompatible with Float"},
      {"1.5 AND 1", "Operator opAnd incompatible with Float"},
      {"NOT 1.5", "Operator opNot incompatible with Float"},
      {"TRUE + TRUE", "Operator opPlus incompatible with Boolean"},
      {"-TRUE", "Operator opMinus incompatible with Boolean"},
      {"-'a'", "Operator opMinus incompatible with String"},
      {"TRUE < FALSE", "cannot apply opLT to boolean operands"},
      {"TRUE >= FALSE", "cannot apply opGTE to boolean operands"},
      {"OBJECT(1)", "Type Object is incompatible with type Integer"},
      {"1 DIV 0", "Division by zero"},
      {"1 MOD 0", "Division by zero"},
      {"1 / 0", "Division by zero"},
      {"0 / 0", "Invalid floating point operation"},
      {"-2 ^ 2", "Invalid floating point operation"},  // (-2) ^ 2 through the logarithm
      {"0 ^ 2", "Division by zero"},
      {"1E300 * 1E300", "Floating point overflow"},
      {"INTEGER('1' + '.5') + 1.5 DIV 1", "Operator opDiv incompatible with Float"},
  };
  for (const auto& [text, message] : cases) EXPECT_EQ(ErrorOf(text), message) << text;
}

TEST_F(NodesTest, BaseReadingRules) {
  const std::pair<const char*, const char*> cases[] = {
      {"TRIM(1.5 + 0)", "<no error>"},
      {"UPPER('a') AND TRUE", "Operator opAnd incompatible with String"},
  };
  for (const auto& [text, message] : cases) EXPECT_EQ(ErrorOf(text), message) << text;

  IValuePtr text = ParseScriptText("'a'");
  EXPECT_TRUE(text->CanRead(vkString));
  EXPECT_FALSE(text->CanRead(vkFloat));
  EXPECT_FALSE(text->CanRead(vkObject));
  IValuePtr flag = ParseScriptText("TRUE");
  for (TValueKind k : {vkString, vkFloat, vkInteger, vkEnumerated, vkBoolean}) EXPECT_TRUE(flag->CanRead(k)) << k;
  EXPECT_EQ(flag->ReadFloat(), 1.0);
  IValuePtr number = ParseScriptText("1.5");
  EXPECT_FALSE(number->CanRead(vkInteger));
  EXPECT_EQ(number->ValueTypeName(), "Double");
  EXPECT_EQ(ParseScriptText("1")->ValueTypeName(), "Integer");
  EXPECT_EQ(ParseScriptText("'a'")->ValueTypeName(), "String");
  EXPECT_EQ(ParseScriptText("1=1")->ValueTypeName(), "Boolean");

  auto messageOf = [](auto&& read) {
    try {
      read();
    } catch (const EExpression& e) {
      return std::string(e.Message);
    }
    return std::string("<no error>");
  };
  EXPECT_EQ(messageOf([&] { number->ReadInteger(); }), "Cannot read Float as Integer");
  EXPECT_EQ(messageOf([&] { text->ReadFloat(); }), "Cannot read String as Float");
  EXPECT_EQ(messageOf([&] { text->ReadBoolean(); }), "Cannot read String as boolean");
  EXPECT_EQ(messageOf([&] { text->ReadObject(); }), "Cannot read String as object");
}

// A value that counts how often it was read, to see what is evaluated.
class TCountingValue : public TExpression {
public:
  explicit TCountingValue(int& reads) : FReads(reads) {}
  bool ReadBoolean() override { ++FReads; return true; }
  TValueKind ValueKind() override { return vkBoolean; }
  const char* ClassName() const override { return "TCountingValue"; }

private:
  int& FReads;
};

TEST_F(NodesTest, AndOrReadTheRightOperandOnlyWhenNeeded) {
  int reads = 0;
  TIdentifierResolver resolver = [](void* context, const AnsiString&, TParameterListPtr&) -> IValuePtr {
    return std::make_shared<TCountingValue>(*static_cast<int*>(context));
  };
  const std::pair<const char*, int> cases[] = {
      {"FALSE AND X", 0}, {"TRUE OR X", 0}, {"TRUE AND X", 1}, {"FALSE OR X", 1}, {"TRUE XOR X", 1},
      {"IFF(TRUE, TRUE, X)", 0}, {"IFF(X, X, TRUE)", 2}, {"X = X", 2}};
  for (const auto& [text, expected] : cases) {
    reads = 0;
    const char* cursor = text;
    IValuePtr value = ParseExpression(cursor, resolver, &reads);
    ASSERT_TRUE(value) << text;
    value->ReadString();
    EXPECT_EQ(reads, expected) << text;
  }
}

TEST_F(NodesTest, Casts) {
  ExpectValues({
      {"INTEGER('12')", "12", "Integer"},
      {"INTEGER('$10')", "16", "Integer"},
      {"INTEGER(2.5)", "2", "Integer"},
      {"INTEGER(3.5)", "4", "Integer"},
      {"INTEGER(TRUE)", "1", "Integer"},
      {"FLOAT('1 234,5')", "1234.5", "Float"},
      {"FLOAT('')", "0", "Float"},
      {"FLOAT(2)", "2", "Float"},
      {"STRING(2) + 1", "21", "String"},
      {"BOOLEAN('true')", "TRUE", "Boolean"},
      {"BOOLEAN('False')", "FALSE", "Boolean"},
      {"BOOLEAN(0.95)", "TRUE", "Boolean"},
      {"BOOLEAN(0.9)", "FALSE", "Boolean"},
      {"BOOLEAN(1)", "TRUE", "Boolean"},
      {"BOOLEAN(-1)", "FALSE", "Boolean"},
      {"FLOAT('2,5') * 2", "5", "Float"},
  });
  const std::pair<const char*, const char*> errors[] = {
      {"INTEGER('1 2')", "Cannot convert 1 2 to integer"},
      {"INTEGER('1.5')", "Cannot convert 1.5 to integer"},
      {"FLOAT('1,2,3')", "Cannot convert 1.2,3 to float"},
      {"BOOLEAN('yes')", "Cannot convert YES to Boolean"},
      {"OBJECT('x')", "Type Object is incompatible with type String"},
      {"ENUMERATED(1)", "Cannot cast to enumerated"},
      {"INTEGER(1, 2)", "Invalid parameters to typecast"},
      {"STRING", "Invalid parameters to typecast"},
      {"INTEGER(1E18)", "<no error>"},
      {"INTEGER(1E300)", "Invalid floating point operation"},
  };
  for (const auto& [text, message] : errors) EXPECT_EQ(ErrorOf(text), message) << text;
}

TEST_F(NodesTest, Conditional) {
  ExpectValues({
      {"IFF(1 = 1, 'a', 'b')", "a", "String"},
      {"IFF(1 = 2, 'a', 'b')", "b", "String"},
      {"IFF(FALSE, 1, 2) + 1", "3", "Integer"},
      {"IFF(TRUE, 1.5, 2.5)", "1.5", "Float"},
  });
  const std::pair<const char*, const char*> errors[] = {
      {"IFF(1, 'a', 'b')", "First parameter to IFF must be Boolean"},
      {"IFF(TRUE, 'a', 1)", "IFF options must be the same type"},
      {"IFF(TRUE, 'a')", "IFF must have 3 parameters"},
      {"IFF(TRUE, 'a', 'b', 'c')", "IFF must have 3 parameters"},
      {"IFF", "IFF must have 3 parameters"},
  };
  for (const auto& [text, message] : errors) EXPECT_EQ(ErrorOf(text), message) << text;
}

TEST_F(NodesTest, ConstructorGuards) {
  auto one = std::make_shared<TIntegerLiteral>(1);
  auto messageOf = [](auto&& build) {
    try {
      build();
    } catch (const EExpression& e) {
      return std::string(e.Message);
    }
    return std::string("<no error>");
  };
  EXPECT_EQ(messageOf([&] { TUnaryOp(opMult, one); }), "opMult is not simple unary operator");
  EXPECT_EQ(messageOf([&] { TBinaryOp(opNot, one, one); }), "opNot is not a simple binary operator");
  EXPECT_EQ(messageOf([&] { TBinaryOp(opEq, one, one); }), "opEq is not a simple binary operator");
  EXPECT_EQ(messageOf([&] { TRelationalOp(opPlus, one, one); }), "opPlus is not relational operator");
  EXPECT_EQ(messageOf([&] { TStringLiteral("x").RuntimeTypeInfo(); }), "<no error>");
  EXPECT_EQ(messageOf([&] { TTypeCast cast(vkString, nullptr); }), "Invalid parameters to typecast");
}

TEST_F(NodesTest, InteractiveInternalErrorsGiveNeutralValues) {
  InteractiveErrors = true;
  TQueuedDialog dialog;
  dialog.Install();
  auto one = std::make_shared<TIntegerLiteral>(1);
  TBinaryOp node(opEq, one, one);  // reported, then built all the same
  EXPECT_EQ(node.ReadInteger(), 0);
  ASSERT_EQ(dialog.Shown.size(), 2u);
  EXPECT_EQ(dialog.Shown[0], "opEq is not a simple binary operator\rDo you want to stop program ?");
  EXPECT_EQ(dialog.Shown[1], "Operator opEq incompatible with Integer\rDo you want to stop program ?");
  TUnaryOp negate(opMinus, std::make_shared<TStringLiteral>("a"));
  EXPECT_EQ(negate.ReadInteger(), 0);
}

TEST_F(NodesTest, NodeDiesWithItsLastReference) {
  std::weak_ptr<IValue> watch;
  {
    IValuePtr value = ParseScriptText("UPPER('a') + 'b'");
    watch = value;
    IValuePtr second = value;
    value.reset();
    EXPECT_FALSE(watch.expired());
  }
  EXPECT_TRUE(watch.expired());
}

// A tiny object model for member access: one class with a few properties.
class TFakeObjects : public TObjectBridge {
public:
  struct TProp : TScriptProperty {
    std::optional<TValueKind> PropKind;
    TValueTypeInfo Info;
    std::function<int64_t()> Ordinal;
    std::optional<TValueKind> Kind() const override { return PropKind; }
    const TValueTypeInfo* TypeInfo() const override { return &Info; }
    AnsiString GetString(TObject*) const override { return "Hello"; }
    double GetFloat(TObject*) const override { return 2.5; }
    int64_t GetOrdinal(TObject*) const override { return Ordinal ? Ordinal() : 0; }
    TObject* GetObject(TObject* o) const override { return o; }
  };
  AnsiString ClassName(TObject*) const override { return "TQRLabel"; }
  std::shared_ptr<const TScriptProperty> FindProperty(TObject*, const AnsiString& name) const override {
    auto p = std::make_shared<TProp>();
    const AnsiString n = UpperCase(name);
    if (n == "CAPTION") p->PropKind = vkString, p->Info.Name = "String";
    else if (n == "TOP") p->PropKind = vkInteger, p->Info.Name = "Integer", p->Ordinal = [this] { return Top; };
    else if (n == "ALIGNMENT") p->PropKind = vkEnumerated, p->Info = {"TAlignment", {"taLeftJustify", "taRightJustify"}}, p->Ordinal = [] { return 1; };
    else if (n == "VISIBLE") p->PropKind = vkBoolean, p->Info.Name = "Boolean", p->Ordinal = [] { return 1; };
    else if (n == "FONT") p->PropKind = vkObject, p->Info.Name = "TFont";
    else if (n == "TAG2") p->Info.Name = "TMethod";
    else return nullptr;
    return p;
  }
  int64_t Top = 10;
};

TEST_F(NodesTest, MemberAccessAfterObjectValues) {
  auto objects = std::make_shared<TFakeObjects>();
  SetObjectBridge(objects);
  static int storage;
  TObject* label = reinterpret_cast<TObject*>(&storage);
  TIdentifierResolver resolver = [](void* context, const AnsiString&, TParameterListPtr&) -> IValuePtr {
    // OBJECT(...) of a value of kind object: a cast that keeps the reference.
    struct TObjectValue : TExpression {
      TObject* O;
      explicit TObjectValue(TObject* o) : O(o) {}
      TObject* ReadObject() override { return O; }
      TValueKind ValueKind() override { return vkObject; }
      const char* ClassName() const override { return "TObjectValue"; }
    };
    return std::make_shared<TObjectValue>(static_cast<TObject*>(context));
  };
  auto parse = [&](const char* text) {
    const char* cursor = text;
    return ParseExpression(cursor, resolver, label);
  };
  EXPECT_EQ(parse("(o).Caption + '!'")->ReadString(), "Hello!");
  IValuePtr top = parse("(o). top");
  EXPECT_EQ(top->ReadInteger(), 10);
  objects->Top = 20;
  EXPECT_EQ(top->ReadString(), "20") << "read live";
  EXPECT_EQ(parse("(o).Alignment")->ReadString(), "taRightJustify");
  EXPECT_EQ(parse("(o).Alignment")->ValueTypeName(), "TAlignment");
  EXPECT_EQ(parse("(o).Visible AND TRUE")->ReadString(), "TRUE");
  EXPECT_EQ(parse("(o).Font")->ValueTypeName(), "TFont");
  EXPECT_EQ(parse("(o)")->ReadString(), "TQRLabel");

  auto errorOf = [&](const char* text) {
    try {
      parse(text);
    } catch (const EExpression& e) {
      return std::string(e.Message);
    }
    return std::string("<no error>");
  };
  EXPECT_EQ(errorOf("(o).Font.Caption"), "Font.Caption is not published property of TQRLabel")
      << "the dotted remainder is one name";
  EXPECT_EQ(errorOf("(o).Nothing"), "Nothing is not published property of TQRLabel");
  EXPECT_EQ(errorOf("(o).1"), "Invalid property of object TQRLabel");
  EXPECT_EQ(errorOf("(o).Tag2"), "Property Tag2 unsupported type");
  SetObjectBridge(nullptr);
}

}  // namespace
