#include "Forms.h"

#include <algorithm>

DEFINE_ENUM_TYPE(TFormBorderStyle, "bsNone,bsSingle,bsSizeable,bsDialog,bsToolWindow,bsSizeToolWin")
DEFINE_ENUM_TYPE(TPosition, "poDesigned,poDefault,poDefaultPosOnly,poDefaultSizeOnly,poScreenCenter,poDesktopCenter")
DEFINE_ENUM_TYPE(TFormStyle, "fsNormal,fsMDIChild,fsMDIForm,fsStayOnTop")
DEFINE_ENUM_TYPE(TWindowState, "wsNormal,wsMinimized,wsMaximized")

const TTypeInfo* ModalResultType() {
  static const TTypeInfo* t = MakeIntegerType("TModalResult", otSLong, INT32_MIN, INT32_MAX);
  return t;
}

// ---------------------------------------------------------------------------

BEGIN_CLASS(TScreen) {
  b.Property("ActiveForm", &TScreen::ActiveForm, nullptr);
  b.Property("Cursor", &TScreen::Cursor, &TScreen::SetCursor).Default(crDefault);
  b.Property("FormCount", &TScreen::FormCount, nullptr);
  b.Property("Height", &TScreen::Height, nullptr);
  b.Property("PixelsPerInch", &TScreen::PixelsPerInch, nullptr);
  b.Property("Width", &TScreen::Width, nullptr);
}

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}

TForm* TScreen::Forms(int index) const {
  if (index < 0 || index >= FormCount()) throw EListError(Format("List index out of bounds (%d)", {index}));
  return FForms[size_t(index)];
}

void TScreen::SetCursor(TCursor cursor) {
  if (cursor == FCursor) return;
  FCursor = cursor;
  if (OnCursorChange) OnCursorChange(cursor);
}

void TScreen::SetSize(int32_t width, int32_t height) {
  FWidth = width;
  FHeight = height;
}

void TScreen::AddForm(TForm* form) { FForms.push_back(form); }

void TScreen::RemoveForm(TForm* form) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), form), FForms.end());
  if (FActiveForm == form) FActiveForm = nullptr;
}

void TScreen::Activate(TForm* form) {
  auto it = std::find(FForms.begin(), FForms.end(), form);
  if (it != FForms.end()) std::rotate(FForms.begin(), it, it + 1);
  FActiveForm = form;
}

TScreen* Screen() {
  static TScreen screen(nullptr);
  return &screen;
}

// ---------------------------------------------------------------------------

BEGIN_CLASS(TForm) {
  b.Property("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle).Default(bsSizeable);
  b.Property("Caption", &TForm::Caption, &TForm::SetCaption);
  b.Property("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle).Default(fsNormal);
  b.Property("ModalResult", &TForm::ModalResult, &TForm::SetModalResult, ModalResultType()).NotStored();
  b.Property("Position", &TForm::Position, &TForm::SetPosition).Default(poDesigned);
  b.Property("WindowState", &TForm::WindowState, &TForm::SetWindowState).Default(wsNormal);
  b.Property("OnActivate", &TForm::OnActivate, &TForm::OnActivate);
  b.Property("OnClose", &TForm::OnClose, &TForm::OnClose);
  b.Property("OnCloseQuery", &TForm::OnCloseQuery, &TForm::OnCloseQuery);
  b.Property("OnCreate", &TForm::OnCreate, &TForm::OnCreate);
  b.Property("OnDeactivate", &TForm::OnDeactivate, &TForm::OnDeactivate);
  b.Property("OnHide", &TForm::OnHide, &TForm::OnHide);
  b.Property("OnShow", &TForm::OnShow, &TForm::OnShow);
}

TForm::TForm(TComponent* owner) : TWinControl(owner) {
  FColor = clBtnFace;
  TControl::SetVisible(false);
  SetBounds(0, 0, 320, 240);
  Screen()->AddForm(this);
}

TForm::~TForm() { Screen()->RemoveForm(this); }

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == FBorderStyle) return;
  FBorderStyle = style;
  Changed("BorderStyle");
}
void TForm::SetPosition(TPosition position) {
  if (position == FPosition) return;
  FPosition = position;
  Changed("Position");
}
void TForm::SetFormStyle(TFormStyle style) {
  if (style == FFormStyle) return;
  FFormStyle = style;
  Changed("FormStyle");
}
void TForm::SetWindowState(TWindowState state) {
  if (state == FWindowState) return;
  FWindowState = state;
  Changed("WindowState");
}

bool TForm::Active() const { return Screen()->ActiveForm() == this; }

void TForm::SetVisible(bool visible) {
  if (visible == Visible()) return;
  TWinControl::SetVisible(visible);
  if (visible) OnShow(this);
  else OnHide(this);
}

void TForm::Activate() {
  if (!Visible()) SetVisible(true);
  TForm* previous = Screen()->ActiveForm();
  if (previous == this) return;
  Screen()->Activate(this);
  if (previous) previous->OnDeactivate(previous);
  OnActivate(this);
}

TModalResult TForm::ShowModal() {
  FModalResult = mrNone;
  FModal = true;
  Activate();
  while (FModalResult == mrNone && Application()->ProcessMessages()) {
  }
  FModal = false;
  SetVisible(false);
  return FModalResult;
}

void TForm::Close() {
  bool canClose = true;
  OnCloseQuery(this, canClose);
  if (!canClose) return;
  TCloseAction action = caHide;
  OnClose(this, action);
  if (action == caNone) return;
  if (FModal) {
    if (FModalResult == mrNone) FModalResult = mrCancel;
    return;
  }
  if (action == caMinimize) SetWindowState(wsMinimized);
  else SetVisible(false);
}

TPoint TForm::ClientOrigin() const {
  TPoint live;
  if (Peer() && Peer()->LiveClientOrigin(live)) return live;
  return {Left(), Top()};
}

void TForm::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
  if (root == this) TComponent::GetChildren(proc, root);
  TWinControl::GetChildren(proc, root);
}

// ---------------------------------------------------------------------------

BEGIN_CLASS(TApplication) {
  b.Property("ExeName", &TApplication::ExeName, nullptr);
  b.Property("HelpFile", &TApplication::HelpFile, &TApplication::SetHelpFile);
  b.Property("MainForm", &TApplication::MainForm, nullptr);
  b.Property("Title", &TApplication::Title, &TApplication::SetTitle);
}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TForm* TApplication::ActiveForm() const { return Screen()->ActiveForm(); }

bool TApplication::ProcessMessages() {
  if (!ProcessMessagesHook) return false;
  ProcessMessagesHook();
  return true;
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == FMainForm) FMainForm = nullptr;
}

TApplication* Application() {
  // The screen must outlive the application, whose forms leave it when freed.
  static TScreen* screen = Screen();
  static TApplication app(nullptr);
  (void)screen;
  return &app;
}
