#include <functional>

#include "DbFixture.h"

namespace {

class FieldTest : public DbTest {
protected:
  void SetUp() override {
    DbTest::SetUp();
    FSaved = FormatSettings();
    FormatSettings().DecimalSeparator = '.';
    FormatSettings().DateSeparator = '.';
    FormatSettings().ShortDateFormat = "dd.mm.yyyy";
    FormatSettings().TimeSeparator = ':';
    FormatSettings().LongTimeFormat = "hh:nn:ss";
  }
  void TearDown() override {
    FormatSettings() = FSaved;
    DbTest::TearDown();
  }
  TFormatSettings FSaved;
};

struct TypeCase {
  const char* column;
  const char* declared;
  const char* value;  // SQL literal
  TFieldType type;
  int size;
  const char* asString;
};

const TypeCase TypeCases[] = {
    {"S", "VARCHAR(20)", "'text'", ftString, 20, "text"},
    {"C", "CHAR", "'x'", ftString, 255, "x"},
    {"SI", "SMALLINT", "-12", ftSmallint, 0, "-12"},
    {"I", "INTEGER", "123456", ftInteger, 0, "123456"},
    {"W", "WORD", "65535", ftWord, 0, "65535"},
    {"L", "BIGINT", "9000000000", ftLargeint, 0, "9000000000"},
    {"A", "AUTOINC", "7", ftAutoInc, 0, "7"},
    {"B", "BOOLEAN", "1", ftBoolean, 0, "True"},
    {"F", "DOUBLE", "3.25", ftFloat, 0, "3.25"},
    {"R", "REAL", "0.5", ftFloat, 0, "0.5"},
    {"M", "MONEY", "19.99", ftCurrency, 0, "19.99"},
    {"N", "NUMERIC(18,4)", "1234.5678", ftBCD, 4, "1234.5678"},
    {"D", "DATE", "'2024-02-29'", ftDate, 0, "29.02.2024"},
    {"T", "TIME", "'13:45:30'", ftTime, 0, "13:45:30"},
    {"DT", "TIMESTAMP", "'2024-02-29 13:45:30'", ftDateTime, 0, "29.02.2024 13:45:30"},
    {"BY", "BYTES(4)", "x'41424344'", ftBytes, 4, "ABCD"},
    {"VB", "VARBYTES(16)", "x'4142'", ftVarBytes, 16, "AB"},
    {"BL", "BLOB", "x'00'", ftBlob, 0, ""},
    {"ME", "TEXT", "'a' || char(10) || 'b'", ftMemo, 0, "a\nb"},
    {"G", "GRAPHIC", "x'50'", ftGraphic, 0, "P"},
    {"FM", "FMTMEMO", "'{r}'", ftFmtMemo, 0, "{r}"},
    {"U", "GUID", "'{0}'", ftGuid, 38, "{0}"},
    {"X", "MYSTERY", "42", ftInteger, 0, "42"},  // an unknown type: the first value decides
};

TEST_F(FieldTest, DeclaredTypesMapToFieldTypes) {
  std::string create = "create table t (", insert = "insert into t values (";
  for (const TypeCase& c : TypeCases) {
    create += std::string(c.column) + " " + c.declared + ",";
    insert += std::string(c.value) + ",";
  }
  create.back() = ')';
  insert.back() = ')';
  MakeTable("t", create + ";" + insert);
  TTable t(nullptr);
  t.SetDatabaseName(Data());
  t.SetTableName("t");
  t.Open();
  ASSERT_EQ(t.FieldCount(), int(std::size(TypeCases)));
  for (const TypeCase& c : TypeCases) {
    TField* f = t.FieldByName(c.column);
    EXPECT_EQ(f->DataType(), c.type) << c.declared;
    EXPECT_EQ(f->Size(), c.size) << c.declared;
    if (c.type != ftBlob) {
      EXPECT_EQ(f->AsString(), c.asString) << c.declared;
    }
  }
  EXPECT_EQ(t.FieldByName("BL")->AsString(), std::string("\0", 1));
  EXPECT_DOUBLE_EQ(t.FieldByName("D")->AsDateTime(), EncodeDate(2024, 2, 29));
  EXPECT_DOUBLE_EQ(t.FieldByName("DT")->AsFloat(), EncodeDate(2024, 2, 29) + EncodeTime(13, 45, 30, 0));
  EXPECT_EQ(t.FieldByName("L")->AsLargeInt(), 9000000000LL);
  EXPECT_TRUE(t.FieldByName("B")->AsBoolean());
  EXPECT_EQ(t.FieldByName("S")->DataSize(), 21);
}

TEST_F(FieldTest, ExpressionColumnsTakeTheTypeOfTheirFirstValue) {
  MakeNums();
  TQuery q(nullptr);
  q.SetDatabaseName(Data());
  q.SQL()->SetText("select count(*) as C, sum(N) * 1.5 as S, 'x' || NAME as T, max(N) * 10000000000 as BIG, "
                   "null as Z from nums");
  q.Open();
  const std::pair<const char*, TFieldType> expected[] = {
      {"C", ftInteger}, {"S", ftFloat}, {"T", ftString}, {"BIG", ftLargeint}, {"Z", ftUnknown}};
  for (const auto& [name, type] : expected) EXPECT_EQ(q.FieldByName(name)->DataType(), type) << name;
  EXPECT_EQ(q.FieldByName("S")->AsString(), "22.5");
  q.Close();
  q.FieldDefs().Update();  // also known while closed
  EXPECT_EQ(q.FieldDefs().Count(), 5);
  EXPECT_EQ(q.FieldDefs().Find("c")->DataType, ftInteger);
}

TEST_F(FieldTest, ConversionsFollowThePlatformAndFailWithItsErrors) {
  MakeTable("v", "create table v (S VARCHAR(10), I INTEGER, F FLOAT, B BOOLEAN, D DATE, E VARCHAR(5));"
                 "insert into v values ('abc', 7, 2.5, 0, '2020-01-31', 'Yes')");
  TTable t(nullptr);
  t.SetDatabaseName(Data());
  t.SetTableName("v");
  t.Open();
  auto f = [&](const char* n) { return t.FieldByName(n); };
  EXPECT_DOUBLE_EQ(f("I")->AsFloat(), 7.0);
  EXPECT_EQ(f("F")->AsInteger(), 3);  // rounded
  EXPECT_EQ(f("I")->AsString(), "7");
  EXPECT_TRUE(f("E")->AsBoolean());
  EXPECT_EQ(f("B")->AsString(), "False");
  struct Bad {
    const char* what;
    std::function<void()> read;
    bool convertError;  // else EDatabaseError
    const char* message;
  } bad[] = {
      {"integer of text", [&] { f("S")->AsInteger(); }, true, "'abc' is not a valid integer value"},
      {"boolean of text", [&] { f("S")->AsBoolean(); }, true, "'abc' is not a valid boolean value"},
      {"boolean of integer", [&] { f("I")->AsBoolean(); }, false, "Cannot access field 'I' as type Boolean"},
      {"integer of date", [&] { f("D")->AsInteger(); }, false, "Cannot access field 'D' as type Integer"},
      {"date of float", [&] { f("F")->AsDateTime(); }, false, "Cannot access field 'F' as type DateTime"},
      {"float of boolean", [&] { f("B")->AsFloat(); }, false, "Cannot access field 'B' as type Float"},
      {"unknown field", [&] { t.FieldByName("NOSUCH"); }, false, "Field 'NOSUCH' not found"},
      {"write while browsing", [&] { f("S")->SetAsString("x"); }, false, "Dataset not in edit or insert mode"},
  };
  for (const Bad& b : bad) {
    try {
      b.read();
      ADD_FAILURE() << b.what << ": no error";
    } catch (const EConvertError& e) {
      EXPECT_TRUE(b.convertError) << b.what;
      EXPECT_STREQ(e.what(), b.message) << b.what;
    } catch (const EDatabaseError& e) {
      EXPECT_FALSE(b.convertError) << b.what;
      EXPECT_STREQ(e.what(), b.message) << b.what;
    }
  }
  EXPECT_EQ(t.FindField("nosuch"), nullptr);
}

TEST_F(FieldTest, TextIsStoredAsUtf8AndReadInTheCodePage) {
  MakeTable("u", "create table u (S VARCHAR(10)); insert into u values ('Caf\xC3\xA9')");
  TQuery q(nullptr);
  q.SetDatabaseName(Data());
  q.SQL()->SetText("select S, length(S) as L from u where S = 'Caf\xE9'");
  q.Open();
  ASSERT_FALSE(q.IsEmpty());
  EXPECT_EQ(q.Fields()[0]->AsString(), "Caf\xE9");  // Windows-1252 é
  EXPECT_EQ(q.Fields()[1]->AsInteger(), 4);
}

}  // namespace
