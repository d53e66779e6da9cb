#include <fstream>

#include "DbFixture.h"
#include "Settings.h"

namespace {

class SessionTest : public DbTest {
protected:
  void TearDown() override {
    for (const char* a : {"DEMO", "LITE", "PERS", "Vorda"})
      if (Session().IsAlias(a)) Session().DeleteAlias(a);
    Session().SetConfigMode(TConfigModes{cfmVirtual, cfmPersistent, cfmSession});
    DbTest::TearDown();
  }
  std::vector<AnsiString> Lines(const TStrings& list) {
    std::vector<AnsiString> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list[i]);
    return out;
  }
};

TEST_F(SessionTest, StandardTableNamesAreTheSqliteFilesOfTheDirectory) {
  MakeNums();
  MakeTable("Customer", "create table Customer (ID INTEGER)");
  // A text file named like a table, as a packed report's state file is.
  std::ofstream(Data() + "AA_AA.db") << "101000\r\n";
  std::ofstream(Data() + "notes.txt") << "x";
  Session().AddStandardAlias("DEMO", Data(), "PARADOX");
  TStringList list;
  struct Case {
    const char* pattern;
    bool extensions;
    std::vector<AnsiString> expected;
  } cases[] = {
      {"*", false, {"Customer", "nums"}},
      {"", true, {"Customer.db", "nums.db"}},
      {"cust*", false, {"Customer"}},
      {"N?MS", true, {"nums.db"}},
  };
  for (const Case& c : cases) {
    Session().GetTableNames("DEMO", c.pattern, c.extensions, false, list);
    EXPECT_EQ(Lines(list), c.expected) << c.pattern << " " << c.extensions;
  }
  Session().GetTableNames(Data(), "*", false, true, list);  // a directory needs no alias
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"Customer", "nums"}));
}

TEST_F(SessionTest, SqliteDriverListsTablesAndViewsOfOneFile) {
  RunSql(Root() + "lite.sqlite", "create table b (X); create table a (Y); create view v as select * from a;"
                                 "create table c (I INTEGER PRIMARY KEY AUTOINCREMENT)");
  TStringList params;
  params.Add("DATABASE NAME=" + Root() + "lite.sqlite");
  Session().AddAlias("LITE", "SQLITE", params);
  TStringList list;
  Session().GetTableNames("lite", "*", false, false, list);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"a", "b", "c", "v"}));
  Session().GetTableNames("LITE", "*", false, true, list);
  EXPECT_EQ(Lines(list), (std::vector<AnsiString>{"a", "b", "c", "sqlite_master", "sqlite_sequence", "v"}));
  EXPECT_EQ(Session().GetAliasDriverName("LITE"), "SQLITE");
}

TEST_F(SessionTest, SessionAliasesComeAndGoAndPersistentOnesLiveInTheSettings) {
  Session().AddStandardAlias("Vorda", Data(), "PARADOX");
  EXPECT_TRUE(Session().IsAlias("VORDA"));
  EXPECT_THROW(Session().AddStandardAlias("vorda", Data(), ""), EDatabaseError);
  EXPECT_THROW(Session().AddStandardAlias("X", Data(), "NOSUCH"), EDatabaseError);

  // A persistent alias, written to the store by hand as a user would.
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(AnsiString(AliasesKey) + "\\PERS", true));
    reg.WriteString("DRIVER", "STANDARD");
    reg.WriteString("PATH", Root());
  }
  TStringList names;
  Session().GetAliasNames(names);
  EXPECT_GE(names.IndexOf("PERS"), 0);
  EXPECT_GE(names.IndexOf("Vorda"), 0);
  TStringList params;
  Session().GetAliasParams("pers", params);
  EXPECT_EQ(params.Values("PATH"), Root());

  // Only persistent aliases visible: session ones hide, new ones are stored.
  Session().SetConfigMode(TConfigModes{cfmPersistent});
  EXPECT_FALSE(Session().IsAlias("Vorda"));
  TStringList demo;
  demo.Add("PATH=" + Data());
  Session().AddAlias("DEMO", "STANDARD", demo);
  Session().SetConfigMode(TConfigModes{cfmVirtual, cfmPersistent, cfmSession});
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(AnsiString(AliasesKey) + "\\DEMO", false));
  EXPECT_EQ(reg.ReadString("PATH"), Data());

  Session().DeleteAlias("Vorda");
  EXPECT_FALSE(Session().IsAlias("Vorda"));
  Session().DeleteAlias("PERS");
  EXPECT_FALSE(reg.KeyExists(AnsiString("\\") + AliasesKey + "\\PERS"));
  EXPECT_THROW(Session().DeleteAlias("PERS"), EDatabaseError);
}

TEST_F(SessionTest, RepointingAnAliasClosesWhatWasOpenThroughIt) {
  std::filesystem::create_directories(Root() + "other");
  MakeNums();
  RunSql(Root() + "other/nums.db", "create table nums (N INTEGER); insert into nums values (99)");
  Session().AddStandardAlias("Vorda", Data(), "PARADOX");
  TQuery q(nullptr);
  q.SetDatabaseName("Vorda");
  q.SQL()->SetText("select max(N) from nums");
  q.Open();
  EXPECT_EQ(q.Fields()[0]->AsInteger(), 5);
  Session().DeleteAlias("Vorda");
  EXPECT_FALSE(q.Active());
  Session().AddStandardAlias("Vorda", Root() + "other", "PARADOX");
  q.Open();
  EXPECT_EQ(q.Fields()[0]->AsInteger(), 99);
}

TEST_F(SessionTest, DatabaseComponentsNameTheirOwnDatabases) {
  MakeNums();
  TComponent form(nullptr);
  auto* db = new TDatabase(&form);
  db->SetDatabaseName("APPDB");
  db->SetDriverName("STANDARD");
  db->Params()->Add("PATH=" + Data());
  TStringList names;
  Session().GetDatabaseNames(names);
  EXPECT_GE(names.IndexOf("APPDB"), 0);
  TQuery q(&form);
  q.SetDatabaseName("appdb");
  q.SQL()->SetText("select * from nums");
  q.Open();
  EXPECT_TRUE(db->Connected());
  EXPECT_EQ(q.Database(), db);
  db->Close();  // closing a database closes its datasets
  EXPECT_FALSE(q.Active());
  TDatabase bad(nullptr);
  bad.SetDatabaseName(Root() + "no/such/dir");
  try {
    bad.Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), ("Unknown database: " + Root() + "no/such/dir").c_str());
  }
}

TEST_F(SessionTest, SampleDatabaseIsReachableByItsAlias) {
  if (!Session().IsAlias(SampleAliasName)) GTEST_SKIP() << "sample database not built";
  TQuery q(nullptr);
  q.SetDatabaseName(SampleAliasName);
  q.SQL()->SetText("select c.COMPANY, sum(o.ITEMSTOTAL) as TOTAL from customers c join orders o "
                   "on o.CUSTNO = c.CUSTNO group by c.CUSTNO order by TOTAL desc");
  q.Open();
  EXPECT_EQ(q.FieldByName("COMPANY")->AsString(), "Ostrava Steelworks");
  TStringList tables;
  Session().GetTableNames(SampleAliasName, "*", false, false, tables);
  EXPECT_EQ(Lines(tables), (std::vector<AnsiString>{"alltypes", "customers", "items", "orders", "products"}));
}

}  // namespace
