// Member keywords of object paths on real SQLite queries, string lists,
// drop-down lists and other components.
#include <sqlite3.h>

#include <cstdlib>

#include "DBTables.h"
#include "ExprMembers.h"
#include "ScriptAppFixture.h"
#include "StdCtrls.h"

namespace {

void RunSql(const std::string& file, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  char* err = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
  const std::string msg = err ? err : "";
  sqlite3_free(err);
  sqlite3_close(db);
  ASSERT_EQ(rc, SQLITE_OK) << msg;
}

class MembersTest : public ScriptAppTest {
protected:
  void SetUp() override {
    ScriptAppTest::SetUp();
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old) FOldConfig = old;
    FHadConfig = old != nullptr;
    std::filesystem::create_directories(Dir / "config");
    std::filesystem::create_directories(Dir / "data");
    ::setenv("XDG_CONFIG_HOME", PathOf("config").c_str(), 1);
    RunSql(PathOf("data/city.db"),
           "create table city (ID INTEGER, NAME VARCHAR(20), CITY VARCHAR(20), PRICE REAL, ACTIVE BOOLEAN,"
           " BORN DATE, AT TIME);"
           "insert into city values (1,'one','Berlin',1.5,1,'2001-02-03','10:20:30'),"
           "(2,'two','Paris',2.5,0,'2002-03-04','11:00:00'),(3,'three','Rome',3.5,1,'2003-04-05','12:00:00');");
    Q1 = MakeQuery("Q1", "select * from city order by ID");
    Combo = new TComboBox(Report);  // freed by the report
    Combo->SetName("Combo1");
    Combo->SetParent(Report);
    Combo->SetTop(5);
  }
  void TearDown() override {
    Session().Close();
    ScriptAppTest::TearDown();
    if (FHadConfig) ::setenv("XDG_CONFIG_HOME", FOldConfig.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
  }
  TQuery* MakeQuery(const char* name, const char* sql) {
    auto* query = new TQuery(Report);  // freed by the report
    query->SetName(name);
    query->SetDatabaseName(PathOf("data"));
    query->SQL()->SetText(sql);
    return query;
  }
  // Runs each statement in turn and compares its value read as a string.
  void ExpectSequence(const std::vector<std::pair<std::string, std::string>>& steps) {
    for (const auto& [text, expected] : steps) EXPECT_EQ(Eval(text), expected) << text;
  }
  // The message shown while a program runs (the stop question cut off).
  std::string ShownBy(const std::string& text) {
    TQueuedDialog dialog;
    dialog.Install();
    InteractiveErrors = true;
    const std::string value = Eval(text);
    InteractiveErrors = false;
    EXPECT_EQ(value, "FALSE") << text;
    if (dialog.Shown.empty()) return "<nothing shown>";
    const std::string shown = dialog.Shown.front();
    return shown.substr(0, shown.find('\r'));
  }

  TQuery* Q1 = nullptr;
  TComboBox* Combo = nullptr;
  std::string FOldConfig;
  bool FHadConfig = false;
};

TEST_F(MembersTest, NavigationOnClosedAndOpenQuery) {
  ExpectSequence({
      {"Q1.RC", "-1"}, {"Q1.NEXT", "FALSE"}, {"Q1.MOVEBY(2)", "0"}, {"Q1.OPEN", "TRUE"},
      {"Q1.RECORDCOUNT", "3"}, {"Q1.BOF", "TRUE"}, {"Q1.EOF", "FALSE"}, {"Q1.ISEMPTY", "FALSE"},
      {"Q1.NEXT", "TRUE"}, {"Q1.F('NAME')", "two"}, {"Q1.MOVEBY(5)", "1"}, {"Q1.F('NAME')", "three"},
      {"Q1.NEXT", "TRUE"}, {"Q1.EOF", "TRUE"}, {"Q1.PREV", "TRUE"}, {"Q1.F('NAME')", "two"},
      {"Q1.PRIOR", "TRUE"}, {"Q1.F('NAME')", "one"}, {"Q1.FIRST", "TRUE"}, {"Q1.F('NAME')", "one"}, {"Q1.LAST", "TRUE"},
      {"Q1.F('name')", "three"}, {"Q1.MOVEBY(-1)", "-1"}, {"Q1.CLOSE", "TRUE"}, {"Q1.RC", "-1"},
  });
  EXPECT_EQ(KindOf("Q1.RC"), "Integer");
  EXPECT_FALSE(Q1->Active());
}

TEST_F(MembersTest, FieldValuesByKind) {
  Q1->Open();
  ExpectSequence({
      {"Q1.F('NAME')", "one"}, {"Q1.ASSTRING('CITY')", "Berlin"}, {"Q1.FIELDBYNAME('ID')", "1"},
      {"Q1.ASINTEGER('ID') + 1", "2"}, {"Q1.ASFLOAT('PRICE') * 2", "3"}, {"Q1.ASBOOLEAN('ACTIVE')", "TRUE"},
      {"Q1.ASDATE('BORN')", "03.02.2001"}, {"Q1.ASTIME('AT')", "10:20:30"},
      {"Q1.DATATYPE('NAME')", "STRING"}, {"Q1.DATATYPE('ID')", "INTEGER"}, {"Q1.DATATYPE('BORN')", "DATE"},
      {"Q1.DATASIZE('NAME')", "20"}, {"Q1.FIELDCOUNT", "7"}, {"Q1.FIELD('name')", "NAME"},
  });
  EXPECT_EQ(KindOf("Q1.ASINTEGER('ID')"), "Integer");
  EXPECT_EQ(KindOf("Q1.ASFLOAT('PRICE')"), "Float");
  EXPECT_DOUBLE_EQ(ParseScriptText("Q1.ASDATETIME('BORN')")->ReadFloat(), EncodeDate(2001, 2, 3));
  Q1->Close();
  // Closed: the field definitions still come from the database.
  EXPECT_EQ(Eval("Q1.FIELDCOUNT"), "7");
  EXPECT_EQ(Eval("Q1.F('NAME')"), "");
}

TEST_F(MembersTest, FieldMessagesWhileAProgramRuns) {
  Q1->Open();
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Q1.F('NOSUCH')", "Field Q1.F(NOSUCH)  not exists"},
      {"Q1.LOCATE('NOSUCH', 'x')", "Field Q1.LOCATE(NOSUCH)  not exists"},
      {"Q1.F", "Identifier Q1.F does not require parameters"},
      {"Q1.ASINTEGER('NAME')", "Not Integer Field  Q1.ASINTEGER  "},
      {"Q1.ASFLOAT('NAME')", "Not Float Field  Q1.ASFLOAT  "},
      {"Q1.ASBOOLEAN('NAME')", "Not Boolean Field  Q1.ASBOOLEAN  "},
      {"Q1.ASDATE('NAME')", "Not DATEtime Field  Q1.ASDATE  "},
      {"Q1.ASTIME('NAME')", "Not dateTIME Field  Q1.ASTIME  "},
  };
  for (const auto& [text, message] : cases) EXPECT_EQ(ShownBy(text), message) << text;
  // Outside a program the member gives FALSE without an error.
  EXPECT_EQ(Eval("Q1.F('NOSUCH')"), "FALSE");
  EXPECT_EQ(Eval("Q1.FIELDEXISTS('NOSUCH')"), "FALSE");
}

TEST_F(MembersTest, LocateIgnoresCaseAndMatchesBeginnings) {
  EXPECT_EQ(Eval("Q1.LOCATE('CITY', 'paris')"), "FALSE");  // closed
  Q1->Open();
  ExpectSequence({
      {"Q1.LOCATE('CITY', 'paris')", "TRUE"}, {"Q1.F('NAME')", "two"},
      {"Q1.LOCATE('CITY', 'par')", "FALSE"}, {"Q1.LOCATEPARCIAL('CITY', 'ro')", "TRUE"},
      {"Q1.F('NAME')", "three"}, {"Q1.LOCATEPARCIAL('CITY', 'x')", "FALSE"},
  });
}

TEST_F(MembersTest, FieldAndTableExistence) {
  ExpectSequence({{"Q1.FIELDEXISTS('CITY')", "TRUE"}, {"Q1.FIELDEXISTS('NOSUCH')", "FALSE"}});
  Q1->Open();
  ExpectSequence({
      {"Q1.FIELDEXISTS('price')", "TRUE"}, {"Q1.TABLEEXISTS('city')", "TRUE"},
      {"Q1.TABLEEXISTS('CIT')", "FALSE"}, {"Q1.TABLEEXISTS('ity')", "FALSE"},
  });
  // The same rule on a database file with several tables.
  RunSql(PathOf("shop.sqlite"), "create table customer (ID INTEGER); create table orders (ID INTEGER);");
  TStringList params;
  params.Add("DATABASE NAME=" + PathOf("shop.sqlite"));
  Session().AddAlias("SCRIPTSHOP", "SQLITE", params);
  TQuery* q2 = MakeQuery("Q2", "select * from customer");
  q2->SetDatabaseName("SCRIPTSHOP");
  ExpectSequence({
      {"Q2.TABLEEXISTS('customer')", "TRUE"}, {"Q2.TABLEEXISTS('ORDERS')", "TRUE"},
      {"Q2.TABLEEXISTS('CUST')", "FALSE"}, {"Q2.TABLEEXISTS('city')", "FALSE"},
  });
}

TEST_F(MembersTest, SegmentsOfTheQueryText) {
  EXPECT_EQ(Eval("Q1.GETSEGMENT('order')"), "order by ID");
  EXPECT_EQ(Eval("Q1.SELECTCOUNT"), "3");
  Q1->Open();
  EXPECT_EQ(Eval("Q1.CHANGESEGMENT('order by NAME desc')"), "TRUE");
  EXPECT_FALSE(Q1->Active());
  ExpectSequence({{"Q1.OPEN", "TRUE"}, {"Q1.F('NAME')", "two"}});
  EXPECT_EQ(Eval("Q1.ADDTOWHERE('ID > 1')"), "TRUE");
  ExpectSequence({{"Q1.SELECTCOUNT", "2"}, {"Q1.RC", "-1"}, {"Q1.OPEN", "TRUE"}, {"Q1.RC", "2"}});
  EXPECT_NE(Q1->SQL()->Text().find("ID > 1"), std::string::npos);
}

TEST_F(MembersTest, ParametersOfAQuery) {
  TQuery* q3 = MakeQuery("Q3", "select NAME from city where ID = :ID or CITY = :TOWN");
  ExpectSequence({
      {"Q3.PARAMINTEGER('ID', 2)", "TRUE"}, {"Q3.PARAMSTRING('TOWN', 'Rome')", "TRUE"},
      {"Q3.OPEN", "TRUE"}, {"Q3.RC", "2"}, {"Q3.F('NAME')", "two"},
  });
  EXPECT_EQ(q3->ParamByName("ID")->DataType(), ftInteger);
  // No such parameter: TRUE and nothing changes.
  EXPECT_EQ(Eval("Q1.PARAMINTEGER('ID', 5)"), "TRUE");
  EXPECT_EQ(Q1->ParamCount(), 0);
  // A value that cannot be read as asked leaves the parameter alone.
  EXPECT_EQ(Eval("Q3.PARAMINTEGER('ID', 'many')"), "FALSE");
  EXPECT_EQ(q3->ParamByName("ID")->AsInteger(), 2);
}

TEST_F(MembersTest, AnyObjectMembers) {
  auto* move = new TBatchMove(Report);  // freed by the report
  move->SetName("BatchMove1");
  RunSql(PathOf("data/copy.db"), "create table copy (ID INTEGER, NAME VARCHAR(20));");
  auto* target = new TTable(Report);  // freed by the report
  target->SetName("T1");
  target->SetDatabaseName(PathOf("data"));
  target->SetTableName("copy");
  move->SetSource(Q1);
  move->SetDestination(target);
  ExpectSequence({
      {"Q1.CLASSNAME", "TQuery"}, {"T1.CLASSNAME", "TTable"}, {"Q1.FROMCLASS(' tdataset ')", "TRUE"},
      {"Q1.FROMCLASS('TTable')", "FALSE"}, {"Q1.OWNER", "A_ReportForm"}, {"Q1.PARENT", ""},
      {"Combo1.PARENT", "A_ReportForm"}, {"BatchMove1.EXECUTE", "TRUE"},
      {"T1.OPEN", "TRUE"}, {"T1.RC", "3"}, {"T1.LOCATE('NAME', 'TWO')", "TRUE"},
  });
  auto* dialog = new TOpenDialog(Report);  // freed by the report
  dialog->SetName("OpenDialog1");
  Dialogs->FileAnswers.push_back("/tmp/chosen.rp");
  EXPECT_EQ(Eval("OpenDialog1.EXECUTE"), "TRUE");
  EXPECT_EQ(dialog->FileName(), "/tmp/chosen.rp");
  Dialogs->FileAnswers.clear();
  EXPECT_EQ(Eval("OpenDialog1.EXECUTE"), "TRUE");  // cancelled: the answer is not the result
}

TEST_F(MembersTest, MembersOnTheWrongClassAreFalse) {
  ExpectSequence({
      {"Combo1.NEXT", "FALSE"}, {"Combo1.RC", "FALSE"}, {"Q1.COUNT", "FALSE"}, {"Q1.PAGENUMBER", "FALSE"},
      {"Combo1.EXECUTE", "FALSE"}, {"Combo1.GETSEGMENT('where')", "FALSE"},
  });
  TTable* table = new TTable(Report);  // freed by the report
  table->SetName("T2");
  table->SetDatabaseName(PathOf("data"));
  table->SetTableName("city");
  EXPECT_EQ(Eval("T2.GETSEGMENT('from')"), "FALSE");  // segments are for queries only
  EXPECT_EQ(Eval("T2.EXECSQL"), "FALSE");
}

TEST_F(MembersTest, PropertiesWithoutMemberKeyword) {
  EXPECT_EQ(Eval("Combo1.TOP + 1"), "6");
  EXPECT_EQ(KindOf("Combo1.TOP"), "Integer");
  EXPECT_EQ(KindOf("Combo1.VISIBLE"), "String");  // a boolean-typed property is an enumeration
  // An unknown property after an integer one reads as empty text, not as a failed number.
  EXPECT_EQ(ErrorOf("Combo1.NOSUCH"), "<no error>");
  EXPECT_EQ(Eval("Combo1.NOSUCH"), "");
  EXPECT_EQ(Eval("nosuch.path"), "");
  EXPECT_EQ(Dialogs->Texts().back(), "NOSUCH.PATH-Error");
}

TEST_F(MembersTest, ListsOfComboBoxesAndStringLists) {
  ExpectSequence({
      {"Combo1.ADD('a=1')", "TRUE"}, {"Combo1.ADD('b=2')", "TRUE"}, {"Combo1.COUNT", "2"},
      {"Combo1.STRINGS(1)", "b=2"}, {"Combo1.INDEXOF('b=2')", "1"}, {"Combo1.INDEXOF('c')", "-1"},
      {"Combo1.INDEXOFNAME('b')", "1"}, {"Combo1.INDEXOFNAME('z')", "-1"}, {"Combo1.COMMATEXT", "a=1,b=2"},
      {"Combo1.STRINGS(7)", "FALSE"}, {"Combo1.SAVETOFILE('" + PathOf("items.txt") + "')", "TRUE"},
      {"Combo1.DELETE(0)", "TRUE"}, {"Combo1.COUNT", "1"}, {"Combo1.CLEAR", "TRUE"}, {"Combo1.COUNT", "0"},
      {"Combo1.LOADFROMFILE('" + PathOf("items.txt") + "')", "TRUE"}, {"Combo1.COUNT", "2"},
      {"Combo1.ADD", "FALSE"},
  });
  // A query's SQL text is a string list.
  ExpectSequence({{"Q1.SQL.COUNT", "1"}, {"Q1.SQL.ADD('limit 1')", "TRUE"}, {"Q1.OPEN", "TRUE"},
                  {"Q1.RC", "1"}});
}

TEST_F(MembersTest, RegisteredGroupsByExactClass) {
  RegisterMemberHandler("TComboBox", [](TObject*, const TMemberCall& call) -> IValuePtr {
    if (call.Member != "PAGENUMBER") return nullptr;
    return std::make_shared<TIntegerLiteral>(7);
  });
  EXPECT_EQ(Eval("Combo1.PAGENUMBER"), "7");
  EXPECT_EQ(Eval("Combo1.COUNT"), "0");  // the handler declined: the list group answers
  EXPECT_EQ(Eval("Q1.PAGENUMBER"), "FALSE");
  RegisterMemberHandler("TComboBox", nullptr);
  EXPECT_EQ(Eval("Combo1.PAGENUMBER"), "FALSE");
}

}  // namespace
