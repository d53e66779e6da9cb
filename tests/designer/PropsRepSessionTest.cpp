// Property access reaching the database session: the SESSION segment and the
// search of the session's databases for a dataset named in a reference.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "DBTables.h"
#include "Dialogs.h"
#include "E_PropsRep.h"
#include "Forms.h"

namespace {

class PropsRepSessionTest : public ::testing::Test {
protected:
  void SetUp() override {
    Dir = std::filesystem::temp_directory_path() / ("props_session_" + std::to_string(::getpid()));
    std::filesystem::create_directories(Dir);
    Scope = std::make_unique<TDialogHandlerScope>(std::make_unique<TRecordingDialogHandler>());
    DefaultFormName() = "A_reportForm";
    Report = Application()->CreateForm<TForm>();
    Report->SetName("A_ReportForm");
  }
  void TearDown() override {
    delete Report;
    Session().Close();
    Scope.reset();
    std::filesystem::remove_all(Dir);
  }
  std::filesystem::path Dir;
  std::unique_ptr<TDialogHandlerScope> Scope;
  TForm* Report = nullptr;
};

TEST_F(PropsRepSessionTest, SessionSegmentReadsTheDefaultSession) {
  EXPECT_EQ(GetPropText("SESSION.SessionName", "SELF"), "Default");
  EXPECT_TRUE(CompExists("SESSION", "SELF"));
}

TEST_F(PropsRepSessionTest, DataSetReferenceFallsBackToTheSessionsDatabases) {
  TComponent elsewhere(nullptr);
  auto* query = new TQuery(&elsewhere);
  query->SetName("QOutside");
  query->SetDatabaseName(Dir.string());
  query->SQL()->SetText("select 1 as one");
  query->Open();  // joins a database of the default session
  auto* source = new TDataSource(Report);
  source->SetName("Src1");
  WritePropText(source, "DataSet", "qoutside");
  EXPECT_EQ(source->DataSet(), query);
  // A name that no dataset of the form or the session has sets nil.
  WritePropText(source, "DataSet", "QNowhere");
  EXPECT_EQ(source->DataSet(), nullptr);
  query->Close();
}

}  // namespace
