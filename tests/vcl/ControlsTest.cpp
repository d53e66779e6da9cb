#include <gtest/gtest.h>

#include "Dialogs.h"
#include "Forms.h"
#include "StdCtrls.h"

namespace {

// Records what the model asked the widget side to mirror.
class TRecordingPeer : public TControlPeer {
public:
  explicit TRecordingPeer(std::vector<AnsiString>& log) : FLog(log) {}
  void PropertyChanged(const AnsiString& name) override { FLog.push_back(name); }
  bool LiveBounds(TRect& r) const override {
    if (!HasLive) return false;
    r = Live;
    return true;
  }
  bool HasLive = false;
  TRect Live;

private:
  std::vector<AnsiString>& FLog;
};

TEST(ControlsTest, ParentIsDistinctFromOwnerAndKeepsZOrder) {
  TForm form(nullptr);
  TForm other(nullptr);
  auto* a = new TWinControl(&form);
  auto* b = new TComboBox(&form);
  auto* c = new TComboBox(&other);  // owned elsewhere, shown inside a
  a->SetParent(&form);
  b->SetParent(&form);
  c->SetParent(a);
  EXPECT_EQ(c->Owner(), &other);
  EXPECT_EQ(c->Parent(), a);
  EXPECT_TRUE(form.ContainsControl(c));
  ASSERT_EQ(form.ControlCount(), 2);
  EXPECT_EQ(form.Controls(0), a);
  a->BringToFront();
  EXPECT_EQ(form.Controls(1), a);
  a->SendToBack();
  EXPECT_EQ(form.Controls(0), a);
  EXPECT_THROW(a->SetParent(static_cast<TWinControl*>(a)), EComponentError);
  EXPECT_EQ(a->Parent(), &form);  // a refused move leaves the control where it was
  delete c;
  EXPECT_EQ(a->ControlCount(), 0);
}

TEST(ControlsTest, FreeingAParentLeavesItsChildrenToTheirOwner) {
  TForm owner(nullptr);
  auto* child = new TComboBox(&owner);
  {
    TForm host(nullptr);
    child->SetParent(&host);
  }
  EXPECT_EQ(child->Parent(), nullptr);
  EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(ControlsTest, ClientOriginAddsTheParentChainInScreenCoordinates) {
  TForm form(nullptr);
  form.SetBounds(100, 50, 400, 300);
  auto* panel = new TWinControl(&form);
  panel->SetParent(&form);
  panel->SetBounds(10, 20, 200, 100);
  auto* box = new TComboBox(&form);
  box->SetParent(panel);
  box->SetBounds(3, 4, 50, 21);
  EXPECT_EQ(box->ClientOrigin(), (TPoint{113, 74}));
  EXPECT_EQ(box->ScreenToClient(TPoint{120, 80}), (TPoint{7, 6}));
  EXPECT_EQ(panel->ClientToScreen(TPoint{1, 1}), (TPoint{111, 71}));
}

TEST(ControlsTest, SettersReachThePeerAndGettersReadItsLiveState) {
  std::vector<AnsiString> log;
  TForm form(nullptr);
  auto peer = std::make_unique<TRecordingPeer>(log);
  TRecordingPeer* p = peer.get();
  form.AttachPeer(std::move(peer));
  form.SetCaption("Hello");
  form.SetColor(clRed);
  form.Font()->SetSize(12);
  form.SetLeft(5);
  EXPECT_EQ(log, (std::vector<AnsiString>{"Text", "Color", "Font", "Bounds"}));
  p->HasLive = true;
  p->Live = TRect{7, 8, 107, 58};  // the user moved and resized the window
  EXPECT_EQ(form.Left(), 7);
  EXPECT_EQ(form.Width(), 100);
  EXPECT_EQ(form.Height(), 50);
}

TEST(ControlsTest, ScreenTracksActiveFormAndFormsInActivationOrder) {
  auto* f1 = Application()->CreateForm<TForm>();
  auto* f2 = Application()->CreateForm<TForm>();
  int activated = 0, deactivated = 0;
  f1->OnDeactivate.Handler = [&](TObject*) { ++deactivated; };
  f2->OnActivate.Handler = [&](TObject*) { ++activated; };
  f1->Activate();
  f2->Activate();
  EXPECT_EQ(Screen()->ActiveForm(), f2);
  EXPECT_EQ(Application()->ActiveForm(), f2);
  EXPECT_TRUE(f2->Visible());
  EXPECT_EQ(Screen()->Forms(0), f2);
  EXPECT_EQ(activated, 1);
  EXPECT_EQ(deactivated, 1);
  EXPECT_EQ(f1->Owner(), Application());
  delete f2;
  EXPECT_EQ(Screen()->ActiveForm(), nullptr);
  delete f1;
  EXPECT_EQ(Application()->MainForm(), nullptr);
}

TEST(ControlsTest, ShowModalEndsWhenAHandlerSetsTheResult) {
  TForm form(nullptr);
  int pumps = 0;
  Application()->ProcessMessagesHook = [&] {
    if (++pumps == 3) form.SetModalResult(mrOk);
  };
  EXPECT_EQ(form.ShowModal(), mrOk);
  EXPECT_EQ(pumps, 3);
  EXPECT_FALSE(form.Visible());
  Application()->ProcessMessagesHook = [&] { form.Close(); };
  EXPECT_EQ(form.ShowModal(), mrCancel);
  Application()->ProcessMessagesHook = nullptr;
  EXPECT_EQ(form.ShowModal(), mrNone);  // nothing can end the loop without events
}

TEST(ControlsTest, ComboBoxTextFollowsItemsAndStyle) {
  TForm form(nullptr);
  auto* box = new TComboBox(&form);
  box->Items()->SetCommaText("alpha,beta,gamma");
  box->SetText("BETA");
  EXPECT_EQ(box->ItemIndex(), 1);
  EXPECT_EQ(box->Text(), "beta");  // matching item's own spelling
  box->SetText("free text");
  EXPECT_EQ(box->ItemIndex(), -1);
  box->SetStyle(csDropDownList);
  EXPECT_EQ(box->Text(), "");
  box->SetText("nothing");
  EXPECT_EQ(box->Text(), "");
  box->SetItemIndex(2);
  EXPECT_EQ(box->Text(), "gamma");
  box->Items()->Delete(2);
  EXPECT_EQ(box->Text(), "");
}

TEST(DialogsTest, RecordingHandlerAnswersFromItsQueueAndRestores) {
  auto recorder = std::make_unique<TRecordingDialogHandler>();
  TRecordingDialogHandler* r = recorder.get();
  r->Answers = {mrNo, mrYes};
  {
    TDialogHandlerScope scope(std::move(recorder));
    EXPECT_EQ(MessageDlg("Stop?", mtConfirmation, mbYesNo), mrNo);
    ShowMessage("hello");
    EXPECT_EQ(MessageDlg("Again?", mtConfirmation, mbYesNo), mrYes);
    EXPECT_EQ(MessageDlg("Empty queue", mtError, TMsgDlgButtons{mbOK}), mrNone);
    MessageBeep();
    EXPECT_EQ(r->Texts(), (std::vector<AnsiString>{"Stop?", "hello", "Again?", "Empty queue"}));
    EXPECT_EQ(r->Records.back().Kind, TRecordingDialogHandler::dkBeep);
    EXPECT_EQ(r->Records[0].Buttons, mbYesNo);
    EXPECT_EQ(&DialogHandler(), r);
  }
  EXPECT_NE(dynamic_cast<TBatchDialogHandler*>(&DialogHandler()), nullptr);
}

TEST(DialogsTest, BatchHandlerSaysYesWhenOfferedElseOk) {
  TBatchDialogHandler batch;
  EXPECT_EQ(batch.MessageDlg("Do you want to stop program ?", mtConfirmation, mbYesNo), mrYes);
  EXPECT_EQ(batch.MessageDlg("x", mtError, TMsgDlgButtons{mbOK}), mrOk);
  EXPECT_EQ(batch.MessageDlg("x", mtError, TMsgDlgButtons{mbAbort, mbRetry}), mrAbort);
}

TEST(DialogsTest, FileDialogsAskTheService) {
  auto recorder = std::make_unique<TRecordingDialogHandler>();
  TRecordingDialogHandler* r = recorder.get();
  r->FileAnswers = {"/tmp/a.rp"};
  TDialogHandlerScope scope(std::move(recorder));
  TForm form(nullptr);
  auto* save = new TSaveDialog(&form);
  save->SetTitle("Save report");
  EXPECT_TRUE(save->Execute());
  EXPECT_EQ(save->FileName(), "/tmp/a.rp");
  EXPECT_FALSE(save->Execute());  // nothing left: cancelled
  EXPECT_EQ(r->Records[0].Text, "Save report");
  EXPECT_TRUE(save->InheritsFrom("TOpenDialog"));
}

}  // namespace
