// A fresh directory per test with real SQLite files, and the settings store
// pointed into it so that persistent aliases never touch the user's own.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "DBTables.h"

class DbTest : public ::testing::Test {
protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    FHadOld = old != nullptr;
    if (old) FOld = old;
    FRoot = std::filesystem::temp_directory_path() /
            ("db-test-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(FRoot);
    std::filesystem::create_directories(FRoot / "data");
    std::filesystem::create_directories(FRoot / "config");
    ::setenv("XDG_CONFIG_HOME", (FRoot / "config").c_str(), 1);
  }
  void TearDown() override {
    Session().Close();
    if (FHadOld) ::setenv("XDG_CONFIG_HOME", FOld.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(FRoot);
  }
  // The STANDARD directory of the test, with a trailing '/'.
  std::string Data() const { return (FRoot / "data").string() + "/"; }
  std::string Root() const { return FRoot.string() + "/"; }

  // Runs SQL directly on a database file, bypassing the layer under test.
  static void RunSql(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* err = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
    std::string msg = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << msg;
  }
  // A STANDARD table file NAME.db in the test directory.
  void MakeTable(const std::string& name, const std::string& sql) { RunSql(Data() + name + ".db", sql); }

  // Five rows 1..5 with a name each, in the table "nums".
  void MakeNums() {
    MakeTable("nums",
              "create table nums (N INTEGER PRIMARY KEY, NAME VARCHAR(10));"
              "insert into nums values (1,'one'),(2,'two'),(3,'three'),(4,'four'),(5,'five');");
  }

  std::filesystem::path FRoot;
  std::string FOld;
  bool FHadOld = false;
};
