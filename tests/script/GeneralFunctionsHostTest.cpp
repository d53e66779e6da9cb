// General functions over components, the collected components, the user
// interface and the script host (a recording host stands in for the designer).
#include "E_PropsRep.h"
#include "ScriptAppFixture.h"
#include "ScriptHost.h"
#include "StdCtrls.h"

namespace probe {

// Printable report controls are known by their base class's name.
class TQRPrintable : public TControl {
  DECLARE_CLASS(TQRPrintable, TControl)
public:
  using TControl::TControl;
};
BEGIN_CLASS(TQRPrintable) {}

}  // namespace probe

namespace {

// Records every call as one line and answers from its fields.
class TRecordingHost : public TScriptHost {
public:
  std::vector<std::string>& Calls;
  TForm* Form = nullptr;
  bool Finished = true, Ok = true, Left = true;
  explicit TRecordingHost(std::vector<std::string>& calls) : Calls(calls) {}

  void LoadReport(const AnsiString& f) override { Calls.push_back("LoadReport " + f); }
  void OpenPackedReport(const AnsiString& f) override { Calls.push_back("OpenPackedReport " + f); }
  void SaveReport() override { Calls.push_back("SaveReport"); }
  void SkipRestoreAfterRun() override { Calls.push_back("SkipRestoreAfterRun"); }
  void ShowDesigner() override { Calls.push_back("ShowDesigner"); }
  AnsiString ExpandTemplates(const AnsiString& text) override {
    Calls.push_back("ExpandTemplates " + text);
    return "<" + text + ">";
  }
  void BindReportEvents() override { Calls.push_back("BindReportEvents"); }
  TForm* ReportForm() override { return Form; }
  AnsiString CreateComponent(int kind, TControl* parent) override {
    Calls.push_back("CreateComponent " + std::to_string(kind) + " " + (parent ? parent->Name() : "nil"));
    return "QRLabel9";
  }
  void CreateSimpleReport() override { Calls.push_back("CreateSimpleReport"); }
  void CreateMasterDetailReport(const AnsiString& m, const AnsiString& d) override {
    Calls.push_back("CreateMasterDetailReport " + m + " " + d);
  }
  void SetModifyAllowed(bool allowed) override { Calls.push_back(std::string("SetModifyAllowed ") + (allowed ? "1" : "0")); }
  void InputClear() override { Calls.push_back("InputClear"); }
  void InputBegin() override { Calls.push_back("InputBegin"); }
  bool InputFinished() override { Calls.push_back("InputFinished"); return Finished; }
  bool InputOk() override { Calls.push_back("InputOk"); return Ok; }
  bool InputLeft(int place) override { Calls.push_back("InputLeft " + std::to_string(place)); return Left; }
  void PostCloseRequest() override { Calls.push_back(std::string("PostCloseRequest stop=") + (StopRequested ? "1" : "0")); }
  void SetClipboardText(const AnsiString& text) override { Calls.push_back("SetClipboardText " + text); }
  bool RunProcess(const AnsiString& command, bool wait, bool show) override {
    Calls.push_back("RunProcess " + command + " " + (wait ? "1" : "0") + (show ? "1" : "0"));
    return command != "fails";
  }
};

class GeneralHostTest : public ScriptAppTest {
protected:
  void SetUp() override {
    ScriptAppTest::SetUp();
    auto host = std::make_unique<TRecordingHost>(Calls);
    Host = host.get();
    Host->Form = Report;
    SetScriptHost(std::move(host));
    for (int i = 0; i < 3; ++i) {
      auto* label = new probe::TQRPrintable(Report);  // freed by the report
      label->SetName("QRLabel" + std::to_string(i + 1));
      label->SetParent(Report);
      label->SetTop(50 + 60 * i);  // 50, 110, 170
      label->Font()->SetSize(8);
    }
    Band = new TComboBox(Report);  // not printable; freed by the report
    Band->SetName("Combo1");
    Band->SetTop(500);
  }
  void TearDown() override {
    SetScriptHost(nullptr);
    SetCollectedComponents(nullptr);
    ScriptAppTest::TearDown();
  }
  TControl* Label(int n) { return static_cast<TControl*>(Report->FindComponent("QRLabel" + std::to_string(n))); }

  std::vector<std::string> Calls;
  TRecordingHost* Host = nullptr;
  TComboBox* Band = nullptr;
};

TEST_F(GeneralHostTest, EveryHostCallIsAskedOnce) {
  struct TCase {
    const char* Text;
    const char* Value;
    std::vector<std::string> Calls;
  };
  const std::vector<TCase> cases = {
      {"TEXTEVAL('a{{1}}')", "<a{{1}}>", {"ExpandTemplates a{{1}}"}},
      {"CREATE(' qrdblabel ', 'Combo1')", "QRLabel9", {"CreateComponent 2 Combo1"}},
      {"CREATE('DBRICHTEXT', '')", "QRLabel9", {"CreateComponent 10 nil"}},
      {"CREATE('StringsBand', 'nosuch')", "QRLabel9", {"CreateComponent 15 nil"}},
      {"CREATE('DETAILBAND', 'Combo1')", "QRLabel9", {"CreateComponent 13 Combo1"}},
      {"CREATE('button', 'Combo1')", "", {}},
      {"CREATE_SIMPLE_REPORT", "TRUE", {"CreateSimpleReport"}},
      {"CREATE_MASTERDETAIL_REPORT('Q1', 'Q2')", "TRUE", {"CreateMasterDetailReport Q1 Q2"}},
      {"INIT", "TRUE", {"BindReportEvents"}},
      {"SETMODIFY(FALSE)", "TRUE", {"SetModifyAllowed 0"}},
      {"SETMODIFY(1 = 1)", "TRUE", {"SetModifyAllowed 1"}},
      {"INPUTCLEAR", "TRUE", {"InputClear"}},
      {"INPUTBEGIN", "TRUE", {"InputBegin"}},
      {"INPUTEND", "TRUE", {"InputFinished"}},
      {"INPUTOK", "TRUE", {"InputOk"}},
      {"INPUTFIELD(10)", "TRUE", {"InputLeft 10"}},
      {"INPUTFIELD(11)", "TRUE", {}},
      {"INPUTFIELD(0)", "TRUE", {}},
      {"TOCLIPBOARD('clip')", "FALSE", {"SetClipboardText clip"}},
      {"RUN('prog a', TRUE, FALSE)", "TRUE", {"RunProcess prog a 10"}},
      {"RUN('fails', FALSE, TRUE)", "FALSE", {"RunProcess fails 01"}},
      {"CLOSEALL", "FALSE", {"PostCloseRequest stop=1", "PostCloseRequest stop=1"}},
  };
  for (const TCase& c : cases) {
    Calls.clear();
    StopRequested = false;
    EXPECT_EQ(Eval(c.Text), c.Value) << c.Text;
    EXPECT_EQ(Calls, c.Calls) << c.Text;
  }
  Host->Left = false;
  Host->Ok = false;
  EXPECT_EQ(Eval("INPUTFIELD(3)"), "FALSE");
  EXPECT_EQ(Eval("INPUTOK"), "FALSE");
  EXPECT_EQ(ErrorOf("RUN('x', 1, TRUE)"), "Invalid parameters to RUN");
}

TEST_F(GeneralHostTest, WithoutHostTheCallsReportIt) {
  SetScriptHost(nullptr);
  for (const char* text : {"TEXTEVAL('x')", "CREATE('LABEL', '')", "CREATE_SIMPLE_REPORT",
                           "CREATE_MASTERDETAIL_REPORT('a', 'b')", "INIT", "SETMODIFY(TRUE)", "INPUTCLEAR",
                           "INPUTBEGIN", "INPUTEND", "INPUTOK", "INPUTFIELD(1)", "CLOSEALL", "TOCLIPBOARD('x')"})
    EXPECT_EQ(ErrorOf(text), "No report host") << text;
  EXPECT_FALSE(StopRequested);
  // Starting a process needs no host.
  EXPECT_EQ(Eval("RUN('true', TRUE, FALSE)"), "TRUE");
  EXPECT_EQ(Eval("RUN('/nonexistent/program', TRUE, FALSE)"), "FALSE");
}

TEST_F(GeneralHostTest, CollectedComponentsOverPrintableControls) {
  EXPECT_EQ(Eval("ADDTOC('*.Top > 100')"), "TRUE");  // no list yet: nothing happens
  EXPECT_EQ(Eval("COUNTC"), "0");
  EXPECT_EQ(Eval("CLEARC"), "FALSE");
  EXPECT_EQ(Eval("SETC('*.Font.Size := 12')"), "FALSE");

  TStringList collected;
  SetCollectedComponents(&collected);
  EXPECT_EQ(Eval("ADDTOC('*.Top > 100')"), "TRUE");
  EXPECT_EQ(collected.CommaText(), "QRLabel2,QRLabel3");
  EXPECT_EQ(Eval("ADDTOC('*.Top > 100')"), "TRUE");  // each name once
  EXPECT_EQ(Eval("ADDTOC('Combo1')"), "TRUE");          // a named component that exists
  EXPECT_EQ(Eval("ADDTOC('NoSuch1')"), "TRUE");
  EXPECT_EQ(Eval("ADDTOC('*.NoSuchProp > 1')"), "TRUE");  // failing tests skip the component
  EXPECT_EQ(Eval("COUNTC"), "3");
  EXPECT_EQ(Eval("SETC('*.Font.Size := 12')"), "TRUE");
  EXPECT_EQ(Label(1)->Font()->Size(), 8);
  EXPECT_EQ(Label(2)->Font()->Size(), 12);
  EXPECT_EQ(Label(3)->Font()->Size(), 12);
  EXPECT_EQ(Band->Font()->Size(), 12);
  EXPECT_EQ(Eval("SETC('*.Top')"), "FALSE");
  EXPECT_EQ(Eval("SETC('Combo1.Top := 1')"), "FALSE");
  EXPECT_EQ(Band->Top(), 500);
  EXPECT_EQ(Eval("CLEARC"), "TRUE");
  EXPECT_EQ(Eval("ADDTOC('')"), "TRUE");  // every printable control
  EXPECT_EQ(collected.CommaText(), "QRLabel1,QRLabel2,QRLabel3");
}

TEST_F(GeneralHostTest, PropertyFunctionsAndModify) {
  EXPECT_EQ(Eval("PROP('QRLabel2.Top')"), "110");
  EXPECT_EQ(Eval("PROP('QRLabel2.Top', 'SELF')"), "110");
  EXPECT_EQ(Eval("PROPEXIST('QRLabel2.Font.Size')"), "TRUE");
  EXPECT_EQ(Eval("PROPEXIST('QRLabel2.Nothing')"), "FALSE");
  EXPECT_EQ(Eval("COMPEXIST('QRLabel3')"), "TRUE");
  EXPECT_EQ(Eval("COMPEXIST('QRLabel7')"), "FALSE");
  EXPECT_EQ(Eval("CLASSNAME('Combo1')"), "TComboBox");
  EXPECT_EQ(Eval("MODIFY('QRLabel1.Top', '77')"), "TRUE");
  EXPECT_EQ(Label(1)->Top(), 77);
  EXPECT_EQ(Eval("QRLabel1.Left := 5 * 3"), "TRUE");  // an assignment becomes MODIFY
  EXPECT_EQ(Label(1)->Left(), 15);
  EXPECT_EQ(ErrorOf("MODIFY('QRLabel1.Nothing', '1')"), "Unknown QRLabel1.Nothing property, but disabled modify");
  EXPECT_EQ(ErrorOf("MODIFY('QRLabel1.Top', 'high')"), "Unknown QRLabel1.Top property, but disabled modify");
  EXPECT_EQ(Label(1)->Top(), 77);
}

TEST_F(GeneralHostTest, UserInterfaceFunctions) {
  EXPECT_EQ(Eval("SHOWMESSAGE('hello')"), "TRUE");
  ASSERT_EQ(Dialogs->Texts().size(), 1u);
  EXPECT_EQ(Dialogs->Texts()[0], "hello");
  EXPECT_EQ(Eval("HOURGLASS"), "FALSE");
  EXPECT_EQ(Screen()->Cursor(), crHourGlass);
  EXPECT_EQ(Eval("DEFAULT"), "FALSE");
  EXPECT_EQ(Screen()->Cursor(), crDefault);
  EXPECT_EQ(Eval("PROCESSMESSAGES"), "TRUE");
  EXPECT_EQ(Eval("CURRENTDIR"), GetCurrentDir());
  EXPECT_EQ(ErrorOf("ERROR('bad thing')"), "bad thing");
  TQueuedDialog dialog;
  dialog.Install();
  InteractiveErrors = true;
  EXPECT_EQ(Eval("ERROR('bad thing')"), "TRUE");  // the reporter returned
  ASSERT_EQ(dialog.Shown.size(), 1u);
  EXPECT_EQ(dialog.Shown[0], "bad thing\rDo you want to stop program ?");
  InteractiveErrors = false;
  WriteAll(PathOf("here.txt"), "x");
  EXPECT_EQ(Eval("FILEEXISTS('" + PathOf("here.txt") + "')"), "TRUE");
  EXPECT_EQ(Eval("FILEEXISTS('" + PathOf("gone.txt") + "')"), "FALSE");
}

TEST_F(GeneralHostTest, EveryGeneralFunctionEvaluates) {
  for (int number = 0; number < 82; ++number)
    EXPECT_TRUE(GeneralFunctionAvailable(number)) << GeneralFunctionName(number);
}

}  // namespace
