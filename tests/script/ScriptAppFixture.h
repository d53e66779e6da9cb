// A report form "A_ReportForm" owned by the application, the recording
// dialog service and a fresh temporary directory, for the script tests that
// reach components, datasets and files.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Dialogs.h"
#include "E_PropsRep.h"
#include "Forms.h"
#include "ScriptTestSupport.h"

class ScriptAppTest : public ScriptTest {
protected:
  void SetUp() override {
    ScriptTest::SetUp();
    auto recorder = std::make_unique<TRecordingDialogHandler>();
    Dialogs = recorder.get();
    DialogScope = std::make_unique<TDialogHandlerScope>(std::move(recorder));
    DefaultFormName() = "A_reportForm";
    Report = Application()->CreateForm<TForm>();
    Report->SetName("A_ReportForm");
    Dir = std::filesystem::temp_directory_path() /
          ("script-test-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
  }
  void TearDown() override {
    delete Report;  // frees every component of the report
    DialogScope.reset();
    std::filesystem::remove_all(Dir);
    ScriptTest::TearDown();
  }

  std::string PathOf(const std::string& name) const { return (Dir / name).string(); }
  static std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  TRecordingDialogHandler* Dialogs = nullptr;
  std::unique_ptr<TDialogHandlerScope> DialogScope;
  TForm* Report = nullptr;
  std::filesystem::path Dir;
};
