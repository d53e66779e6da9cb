#include "DbFixture.h"
#include "Streaming.h"

namespace {

class QueryTest : public DbTest {};

TEST_F(QueryTest, ParametersAreFoundInTheTextAndBoundByType) {
  MakeTable("p", "create table p (I INTEGER, S VARCHAR(10), F FLOAT, B BOOLEAN, D DATE, DT DATETIME, T TIME)");
  TQuery ins(nullptr);
  ins.SetDatabaseName(Data());
  ins.SQL()->SetText("insert into p values (:I, :S, :F, :B, :D, :DT, :T) -- :NOTAPARAM\n/* :NOR */");
  ASSERT_EQ(ins.ParamCount(), 7);
  EXPECT_EQ(ins.Params()[0]->Name(), "I");
  ins.ParamByName("i")->SetAsInteger(42);
  ins.ParamByName("S")->SetAsString("it's :x");
  ins.ParamByName("F")->SetAsFloat(1.5);
  ins.ParamByName("B")->SetAsBoolean(true);
  ins.ParamByName("D")->SetAsDate(EncodeDate(2021, 12, 24));
  ins.ParamByName("DT")->SetAsDateTime(EncodeDate(2021, 12, 24) + EncodeTime(18, 30, 0, 0));
  ins.ParamByName("T")->SetAsTime(EncodeTime(7, 5, 9, 0));
  EXPECT_EQ(ins.ParamByName("D")->DataType(), ftDate);
  ins.ExecSQL();
  EXPECT_EQ(ins.RowsAffected(), 1);

  TQuery q(nullptr);
  q.SetDatabaseName(Data());
  q.SQL()->SetText("select I, S, F, B, D, DT, T, date(D, '+8 days') as NEXT, typeof(I) as TI from p "
                   "where S = :S and D = :D and ':S' <> 'x'");
  ASSERT_EQ(q.ParamCount(), 2) << "a name in quotes is no parameter";
  q.ParamByName("S")->SetAsString("it's :x");
  q.ParamByName("D")->SetAsDate(EncodeDate(2021, 12, 24));
  q.Open();
  ASSERT_FALSE(q.IsEmpty());
  EXPECT_EQ(q.FieldByName("I")->AsInteger(), 42);
  EXPECT_EQ(q.FieldByName("TI")->AsString(), "integer");
  EXPECT_DOUBLE_EQ(q.FieldByName("F")->AsFloat(), 1.5);
  EXPECT_TRUE(q.FieldByName("B")->AsBoolean());
  EXPECT_EQ(q.FieldByName("NEXT")->AsString(), "2022-01-01") << "dates are stored so SQLite's functions read them";
  EXPECT_DOUBLE_EQ(q.FieldByName("T")->AsDateTime(), EncodeTime(7, 5, 9, 0));
  EXPECT_DOUBLE_EQ(q.FieldByName("DT")->AsDateTime(), EncodeDate(2021, 12, 24) + EncodeTime(18, 30, 0, 0));
}

TEST_F(QueryTest, ParameterValuesSurviveATextChangeAndMissingOnesAreReported) {
  MakeNums();
  TQuery q(nullptr);
  q.SetDatabaseName(Data());
  q.SQL()->SetText("select * from nums where N = :N");
  q.ParamByName("N")->SetAsInteger(3);
  q.SQL()->SetText("select * from nums where N = :n or NAME = :NAME");
  EXPECT_EQ(q.ParamByName("N")->AsInteger(), 3);
  try {
    q.Open();
    FAIL() << "opened with an unset parameter";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "No value for parameter 'NAME'");
  }
  EXPECT_EQ(q.FindParam("nosuch"), nullptr);
  EXPECT_THROW(q.ParamByName("nosuch"), EDatabaseError);
  q.ParamByName("NAME")->Clear();  // an explicit null is a value
  q.Open();
  EXPECT_EQ(q.RecordCount(), 1);
  q.SQL()->Add("");  // changing the text closes the query
  EXPECT_FALSE(q.Active());
}

TEST_F(QueryTest, LocateByKeyListWithCaseAndPartialOptions) {
  MakeTable("c", "create table c (ID INTEGER, CITY VARCHAR(20), COUNTRY VARCHAR(20));"
                 "insert into c values (1,'Berlin','DE'),(2,'Paris','FR'),(3,'Parma','IT'),(4,'Paris','US')");
  for (bool uni : {false, true}) {
    TQuery q(nullptr);
    q.SetDatabaseName(Data());
    q.SetUniDirectional(uni);
    q.SQL()->SetText("select * from c order by ID");
    q.Open();
    struct Case {
      const char* keys;
      std::vector<AnsiString> values;
      TLocateOptions options;
      int id;  // 0: not found, cursor stays
    } cases[] = {
        {"CITY", {"paris"}, TLocateOptions{loCaseInsensitive}, 2},
        {"CITY", {"paris"}, {}, 0},
        {"CITY", {"Par"}, TLocateOptions{loPartialKey}, 2},
        {"city;country", {"PARIS", "us"}, TLocateOptions{loCaseInsensitive}, 4},
        {"ID", {"3.0"}, {}, 3},
        {"CITY", {"par"}, TLocateOptions{loCaseInsensitive, loPartialKey}, 2},
        {"CITY", {"Rome"}, TLocateOptions{loCaseInsensitive}, 0},
    };
    for (const Case& c : cases) {
      q.Last();  // a search starts at the first row and a miss leaves the cursor alone
      bool found = q.Locate(c.keys, c.values, c.options);
      SCOPED_TRACE(std::string(uni ? "uni " : "bi ") + c.keys + "=" + c.values[0]);
      EXPECT_EQ(found, c.id != 0);
      EXPECT_EQ(q.FieldByName("ID")->AsInteger(), c.id ? c.id : 4);
      EXPECT_EQ(q.Eof(), c.id == 0);
    }
    EXPECT_THROW(q.Locate("NOSUCH", "x", {}), EDatabaseError);
  }
}

TEST_F(QueryTest, DatabaseErrorsCarrySQLitesOwnMessage) {
  MakeNums();
  struct Case {
    const char* sql;
    bool open;  // else ExecSQL
    const char* message;
  } cases[] = {
      {"select * from nosuch", true, "no such table: nosuch"},
      {"select nosuch from nums", true, "no such column: nosuch"},
      {"selec * from nums", true, "near \"selec\": syntax error"},
      {"insert into nums values (1, 'dup')", false, "UNIQUE constraint failed: nums.N"},
      {"delete from nums", true, "Error creating cursor handle"},
  };
  for (const Case& c : cases) {
    TQuery q(nullptr);
    q.SetDatabaseName(Data());
    q.SQL()->SetText(c.sql);
    try {
      c.open ? q.Open() : q.ExecSQL();
      ADD_FAILURE() << c.sql << ": no error";
    } catch (const EDatabaseError& e) {
      EXPECT_STREQ(e.what(), c.message) << c.sql;
    }
  }
  TQuery q(nullptr);
  q.SetDatabaseName(Data());
  q.SQL()->SetText("select count(*) from nums");
  q.Open();
  EXPECT_EQ(q.Fields()[0]->AsInteger(), 5) << "the refused statements changed nothing";
}

TEST_F(QueryTest, ExecSQLRunsEveryStatementAndDdlMakesTableFiles) {
  TQuery q(nullptr);
  q.SetDatabaseName(Data());
  q.SQL()->SetText("create table fresh (A INTEGER, B VARCHAR(5));\n"
                   "insert into fresh values (1, 'a');\ninsert into fresh values (:X, 'b');");
  q.ParamByName("X")->SetAsInteger(2);
  q.ExecSQL();
  EXPECT_TRUE(std::filesystem::exists(Data() + "fresh.db"));
  q.SQL()->SetText("select sum(A) from fresh");
  q.Open();
  EXPECT_EQ(q.Fields()[0]->AsInteger(), 3);
  q.Close();
  q.SQL()->SetText("drop table fresh");
  q.ExecSQL();
  EXPECT_FALSE(std::filesystem::exists(Data() + "fresh.db"));
}

TEST_F(QueryTest, JoinsReachEveryTableOfTheDirectoryEvenBeyondTheAttachLimit) {
  for (int i = 0; i < 12; ++i)
    MakeTable("t" + std::to_string(i), "create table t" + std::to_string(i) + " (K INTEGER); insert into t" +
                                           std::to_string(i) + " values (" + std::to_string(i) + ")");
  TQuery q(nullptr);
  q.SetDatabaseName(Data());
  for (int i = 0; i < 12; i += 3) {
    q.Close();
    q.SQL()->SetText("select a.K + b.K + c.K from t" + std::to_string(i) + " a, t" + std::to_string(i + 1) +
                     " b, T" + std::to_string(i + 2) + " c");
    q.Open();
    EXPECT_EQ(q.Fields()[0]->AsInteger(), 3 * i + 3) << i;
  }
}

TEST_F(QueryTest, StoredOpenStateIsRestoredOnLoad) {
  MakeNums();
  TComponent root(nullptr);
  root.SetName("Form1");
  auto* q = new TQuery(&root);
  q->SetName("Q1");
  q->SetDatabaseName(Data());
  q->SQL()->SetText("select * from nums");
  q->SetUniDirectional(true);
  q->Open();
  AnsiString text = ComponentToText(&root);
  EXPECT_NE(text.find("Active = True"), AnsiString::npos) << text;
  TComponent copy(nullptr);
  RegisterDbClasses();
  ReadComponentFromText(text, &copy);
  auto* q2 = dynamic_cast<TQuery*>(copy.FindComponent("Q1"));
  ASSERT_NE(q2, nullptr);
  EXPECT_TRUE(q2->Active());
  EXPECT_TRUE(q2->UniDirectional());
  EXPECT_EQ(q2->RecordCount(), 5);
}

}  // namespace
