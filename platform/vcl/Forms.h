// Forms, the application object that owns them and the screen that knows
// which one is active.
#pragma once

#include <functional>
#include <vector>

#include "Controls.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
DECLARE_ENUM_TYPE(TFormBorderStyle);
DECLARE_ENUM_TYPE(TPosition);
DECLARE_ENUM_TYPE(TFormStyle);
DECLARE_ENUM_TYPE(TWindowState);

// Modal results, an integer type of its own ("TModalResult").
using TModalResult = int32_t;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                       mrYes = 6, mrNo = 7, mrAll = 8;
const TTypeInfo* ModalResultType();

class TForm;

// The screen: every form in activation order (active first), the active
// form and the global cursor.
class TScreen : public TComponent {
  DECLARE_CLASS(TScreen, TComponent)
public:
  explicit TScreen(TComponent* owner);
  int FormCount() const { return int(FForms.size()); }
  TForm* Forms(int index) const;
  TForm* ActiveForm() const { return FActiveForm; }
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor cursor);
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  // The display's size, set by the widget layer when it knows it.
  void SetSize(int32_t width, int32_t height);
  int32_t PixelsPerInch() const { return ScreenPixelsPerInch; }
  // Called by the widget layer when the cursor must be shown.
  std::function<void(TCursor)> OnCursorChange;

private:
  friend class TForm;
  void AddForm(TForm* form);
  void RemoveForm(TForm* form);
  void Activate(TForm* form);
  std::vector<TForm*> FForms;
  TForm* FActiveForm = nullptr;
  TCursor FCursor = crDefault;
  int32_t FWidth = 1024;
  int32_t FHeight = 768;
};

class TForm : public TWinControl {
  DECLARE_CLASS(TForm, TWinControl)
public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  AnsiString Caption() const { return GetText(); }
  void SetCaption(const AnsiString& caption) { SetText(caption); }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle style);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition position);
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult result) { FModalResult = result; }
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle style);
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState state);
  bool Active() const;

  void SetVisible(bool visible) override;
  // Makes this the active form (shows it first) and fires OnActivate; the
  // previously active form gets OnDeactivate.
  void Activate();
  // Runs the modal loop until ModalResult is set; without a widget layer the
  // loop ends as soon as no more messages can be processed.
  virtual TModalResult ShowModal();
  // Asks OnCloseQuery and OnClose; hides the form (or ends its modal loop).
  void Close();
  bool Modal() const { return FModal; }

  // The client origin is the form's own position unless the widget knows better.
  TPoint ClientOrigin() const override;

  // Owned components without a parent first, then the child controls.
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

  TEvent<TObject*> OnCreate;
  TEvent<TObject*> OnShow;
  TEvent<TObject*> OnHide;
  TEvent<TObject*> OnActivate;
  TEvent<TObject*> OnDeactivate;
  TEvent<TObject*, TCloseAction&> OnClose;
  TEvent<TObject*, bool&> OnCloseQuery;

private:
  friend class TScreen;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TPosition FPosition = poDesigned;
  TModalResult FModalResult = mrNone;
  TFormStyle FFormStyle = fsNormal;
  TWindowState FWindowState = wsNormal;
  bool FModal = false;
};

// The application: owner of the forms, its title and help file, and the
// hook that lets the widget layer process pending events.
class TApplication : public TComponent {
  DECLARE_CLASS(TApplication, TComponent)
public:
  explicit TApplication(TComponent* owner);

  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& title) { FTitle = title; }
  const AnsiString& HelpFile() const { return FHelpFile; }
  void SetHelpFile(const AnsiString& file) { FHelpFile = file; }
  const AnsiString& ExeName() const { return FExeName; }
  void SetExeName(const AnsiString& exeName) { FExeName = exeName; }
  TForm* MainForm() const { return FMainForm; }
  TForm* ActiveForm() const;

  // Creates a form of class F owned by the application; the first one
  // becomes the main form.
  template <class F> F* CreateForm() {
    auto* f = new F(this);  // owned and freed by the application
    if (!FMainForm) FMainForm = f;
    return f;
  }
  // Lets pending events run; returns false when no widget layer is attached.
  bool ProcessMessages();
  std::function<void()> ProcessMessagesHook;
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  AnsiString FTitle;
  AnsiString FHelpFile;
  AnsiString FExeName;
  TForm* FMainForm = nullptr;
  bool FTerminated = false;
};

// The process-wide application and screen, made on first use.
TApplication* Application();
TScreen* Screen();
