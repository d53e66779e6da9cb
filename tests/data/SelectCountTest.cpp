#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "DBTables.h"
#include "uParseQuery.h"

namespace fs = std::filesystem;

namespace {

// A STANDARD database directory with the table nums (N 1..5, NAME).
class SelectCountTest : public ::testing::Test {
protected:
  void SetUp() override {
    char tmpl[] = "/tmp/selectcount-test-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    Dir = tmpl;
    fs::create_directories(Dir + "/config");
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old) Old = old;
    HadOld = old != nullptr;
    ::setenv("XDG_CONFIG_HOME", (Dir + "/config").c_str(), 1);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((Dir + "/nums.db").c_str(), &db), SQLITE_OK);
    int rc = sqlite3_exec(db,
                          "create table nums (N INTEGER PRIMARY KEY, NAME VARCHAR(10));"
                          "insert into nums values (1,'one'),(2,'two'),(3,'three'),(4,'four'),(5,'five');",
                          nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK);
  }
  void TearDown() override {
    Session().Close();
    if (HadOld) ::setenv("XDG_CONFIG_HOME", Old.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
    std::error_code ec;
    fs::remove_all(Dir, ec);
  }
  int Count(TQuery& query, const AnsiString& sql) {
    query.SetDatabaseName(Dir);
    query.SQL()->SetText(sql);
    AnsiString before = query.SQL()->Text();
    int count = SelectCount(query);
    EXPECT_EQ(query.SQL()->Text(), before) << "the query itself must not change";
    return count;
  }
  std::string Dir, Old;
  bool HadOld = false;
};

TEST_F(SelectCountTest, CountsTheRowsOfTheStatement) {
  struct Case {
    const char* sql;
    int expected;
  } cases[] = {
      {"select * from nums", 5},
      {"select N, NAME\r\nfrom nums\r\nwhere N > 2\r\norder by NAME", 3},
      {"select N % 2, count(*) from nums group by N % 2", 2},
      {"select distinct N % 2 from nums", 2},
      {"select N from nums union all select N + 10 from nums", 10},
      {"select * from nums;", 5},
      {"select * from nums where NAME = 'none'", 0},
      {"select * from missing", -1},
      {"select from where", -1},
      {"", -1},
  };
  for (const Case& c : cases) {
    TQuery query(nullptr);
    EXPECT_EQ(Count(query, c.sql), c.expected) << c.sql;
  }
}

TEST_F(SelectCountTest, LeavesTheQueryAsItWasAndTheParserOnTheCount) {
  TQuery query(nullptr);
  query.SetDatabaseName(Dir);
  query.SQL()->SetText("select * from nums where N <= :LIMIT");
  query.ParamByName("LIMIT")->SetAsInteger(4);
  EXPECT_EQ(SelectCount(query), 4);
  EXPECT_EQ(query.SQL()->Text(), "select * from nums where N <= :LIMIT\r\n");
  EXPECT_FALSE(query.Active());
  EXPECT_EQ(GetSQLText().substr(0, 33), "select Count(*) as xSelCnt from (");
}

TEST_F(SelectCountTest, OtherStatementsAreNotRun) {
  TQuery query(nullptr);
  EXPECT_EQ(Count(query, "delete from nums"), -1);
  EXPECT_EQ(Count(query, "select * from nums"), 5);
}

}  // namespace
