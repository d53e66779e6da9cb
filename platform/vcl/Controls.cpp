#include "Controls.h"

#include <algorithm>

DEFINE_ENUM_TYPE(TAlign, "alNone,alTop,alBottom,alLeft,alRight,alClient")

BEGIN_CLASS(TControl) {
  b.Property("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
  b.Property("Color", &TControl::Color, &TControl::SetColor).Default(clBtnFace);
  b.Property("Cursor", &TControl::Cursor, &TControl::SetCursor).Default(crDefault);
  b.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
  b.Property("Font", &TControl::Font, &TControl::SetFont);
  b.Property("Height", &TControl::Height, &TControl::SetHeight);
  b.Property("Hint", &TControl::Hint, &TControl::SetHint);
  b.Property("Left", &TControl::Left, &TControl::SetLeft);
  b.Property("Top", &TControl::Top, &TControl::SetTop);
  b.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  b.Property("Width", &TControl::Width, &TControl::SetWidth);
}

TControl::TControl(TComponent* owner) : TComponent(owner), FFont(std::make_unique<TFont>()) {
  FFont->OnChange.Handler = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  if (FParent) FParent->RemoveControl(this);
}

TRect TControl::BoundsRect() const {
  TRect live;
  if (FPeer && FPeer->LiveBounds(live)) return live;
  return FBounds;
}

void TControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  TRect r{left, top, left + width, top + height};
  if (r == FBounds && !FPeer) return;
  FBounds = r;
  Changed("Bounds");
}

void TControl::SetVisible(bool visible) {
  if (visible == FVisible) return;
  FVisible = visible;
  Changed("Visible");
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == FEnabled) return;
  FEnabled = enabled;
  Changed("Enabled");
}

void TControl::SetHint(const AnsiString& hint) {
  if (hint == FHint) return;
  FHint = hint;
  Changed("Hint");
}

void TControl::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  Changed("Color");
}

void TControl::SetFont(TFont* font) {
  if (font) FFont->Assign(*font);
}

void TControl::SetCursor(TCursor cursor) {
  if (cursor == FCursor) return;
  FCursor = cursor;
  Changed("Cursor");
}

void TControl::SetAlign(TAlign align) {
  if (align == FAlign) return;
  FAlign = align;
  Changed("Align");
}

AnsiString TControl::GetText() const {
  AnsiString live;
  if (FPeer && FPeer->LiveText(live)) return live;
  return FText;
}

void TControl::SetText(const AnsiString& text) {
  if (text == FText && !FPeer) return;
  FText = text;
  Changed("Text");
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == FParent) return;
  if (parent == this) throw EComponentError("A control cannot have itself as its parent");
  if (parent) parent->InsertControl(this);  // checks for cycles before moving
  else FParent->RemoveControl(this);
  Changed("Parent");
}

TPoint TControl::ClientOrigin() const {
  TPoint live;
  if (FPeer && FPeer->LiveClientOrigin(live)) return live;
  TPoint p{Left(), Top()};
  if (FParent) {
    TPoint o = FParent->ClientOrigin();
    p.X += o.X;
    p.Y += o.Y;
  }
  return p;
}

TPoint TControl::ClientToScreen(TPoint p) const {
  TPoint o = ClientOrigin();
  return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const {
  TPoint o = ClientOrigin();
  return {p.X - o.X, p.Y - o.Y};
}

void TControl::BringToFront() {
  if (FParent) FParent->SetChildOrder(this, FParent->ControlCount() - 1);
}

void TControl::SendToBack() {
  if (FParent) FParent->SetChildOrder(this, 0);
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* w = dynamic_cast<TWinControl*>(parent)) SetParent(w);
}

void TControl::Changed(const char* propName) const {
  if (FPeer) FPeer->PropertyChanged(propName);
}

// ---------------------------------------------------------------------------

BEGIN_CLASS(TWinControl) {}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  for (TControl* c : FControls) c->FParent = nullptr;
  FControls.clear();
}

TControl* TWinControl::Controls(int index) const {
  if (index < 0 || index >= ControlCount())
    throw EListError(Format("List index out of bounds (%d)", {index}));
  return FControls[size_t(index)];
}

int TWinControl::IndexOfControl(const TControl* control) const {
  auto it = std::find(FControls.begin(), FControls.end(), control);
  return it == FControls.end() ? -1 : int(it - FControls.begin());
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (const TControl* p = control; p; p = p->Parent())
    if (p == this) return true;
  return false;
}

void TWinControl::InsertControl(TControl* control) {
  if (!control || control->FParent == this) return;
  // A control inside this one may not become its ancestor.
  if (auto* w = dynamic_cast<TWinControl*>(control); w && w->ContainsControl(this))
    throw EComponentError("Control '" + control->Name() + "' cannot be its own container");
  if (control->FParent) control->FParent->RemoveControl(control);
  FControls.push_back(control);
  control->FParent = this;
}

void TWinControl::RemoveControl(TControl* control) {
  int i = IndexOfControl(control);
  if (i < 0) return;
  FControls.erase(FControls.begin() + i);
  control->FParent = nullptr;
}

void TWinControl::SetChildOrder(TControl* control, int order) {
  int i = IndexOfControl(control);
  if (i < 0) return;
  FControls.erase(FControls.begin() + i);
  order = std::clamp(order, 0, ControlCount());
  FControls.insert(FControls.begin() + order, control);
  control->Changed("ZOrder");
}

TControl* TWinControl::FindChildControl(const AnsiString& name) const {
  for (TControl* c : FControls) {
    if (SameText(c->Name(), name) && !name.empty()) return c;
    if (auto* w = dynamic_cast<TWinControl*>(c))
      if (TControl* found = w->FindChildControl(name)) return found;
  }
  return nullptr;
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) {
  for (TControl* c : FControls)
    if (c->Owner() == root) proc(c);
}
