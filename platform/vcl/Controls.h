// Controls: visual components with a parent (containment) besides their
// owner (memory and naming). Every setter reports the change to the
// control's peer, and geometry and text getters ask the peer for the live
// state first, so that a widget toolkit can be attached without changing
// the model.
#pragma once

#include <memory>
#include <vector>

#include "Classes.h"
#include "Graphics.h"

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
DECLARE_ENUM_TYPE(TAlign);

class TControl;
class TWinControl;

// The widget side of a control. The model calls PropertyChanged after every
// change of a published property; the Live* calls let getters read what the
// user did to the widget (moved, resized, typed). Answering false means the
// model's own value holds.
class TControlPeer {
public:
  virtual ~TControlPeer() = default;
  virtual void PropertyChanged(const AnsiString& propName) = 0;
  virtual bool LiveBounds(TRect& /*bounds*/) const { return false; }
  virtual bool LiveText(AnsiString& /*text*/) const { return false; }
  // Screen position of the client area's top-left corner.
  virtual bool LiveClientOrigin(TPoint& /*origin*/) const { return false; }
};

class TControl : public TComponent {
  DECLARE_CLASS(TControl, TComponent)
public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  int32_t Left() const { return BoundsRect().Left; }
  int32_t Top() const { return BoundsRect().Top; }
  int32_t Width() const { return BoundsRect().Width(); }
  int32_t Height() const { return BoundsRect().Height(); }
  void SetLeft(int32_t v) { SetBounds(v, Top(), Width(), Height()); }
  void SetTop(int32_t v) { SetBounds(Left(), v, Width(), Height()); }
  void SetWidth(int32_t v) { SetBounds(Left(), Top(), v, Height()); }
  void SetHeight(int32_t v) { SetBounds(Left(), Top(), Width(), v); }
  // Relative to the parent's client area (to the screen for a form).
  TRect BoundsRect() const;
  virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  int32_t ClientWidth() const { return Width(); }
  int32_t ClientHeight() const { return Height(); }

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool enabled);
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& hint);
  TColor Color() const { return FColor; }
  virtual void SetColor(TColor color);
  TFont* Font() const { return FFont.get(); }
  // Copies the font's values; the control keeps its own font object.
  void SetFont(TFont* font);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor cursor);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign align);

  // Caption or edit text, published by the descendants that have one.
  AnsiString GetText() const;
  virtual void SetText(const AnsiString& text);

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* parent);
  // Screen coordinates of the client area's top-left corner.
  virtual TPoint ClientOrigin() const;
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;
  // Z-order within the parent.
  void BringToFront();
  void SendToBack();

  TControlPeer* Peer() const { return FPeer.get(); }
  void AttachPeer(std::unique_ptr<TControlPeer> peer) { FPeer = std::move(peer); }
  std::unique_ptr<TControlPeer> DetachPeer() { return std::move(FPeer); }

  TEvent<TObject*> OnClick;
  virtual void Click() { OnClick(this); }

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;

protected:
  // Tells the peer that the named property changed.
  void Changed(const char* propName) const;
  virtual void FontChanged() { Changed("Font"); }
  TColor FColor = clBtnFace;

private:
  friend class TWinControl;
  TRect FBounds;
  bool FVisible = true;
  bool FEnabled = true;
  AnsiString FHint;
  AnsiString FText;
  std::unique_ptr<TFont> FFont;
  TCursor FCursor = crDefault;
  TAlign FAlign = alNone;
  TWinControl* FParent = nullptr;
  std::unique_ptr<TControlPeer> FPeer;
};

// A control that contains other controls, kept bottom first.
class TWinControl : public TControl {
  DECLARE_CLASS(TWinControl, TControl)
public:
  explicit TWinControl(TComponent* owner);
  // Children are left without a parent; their owner frees them.
  ~TWinControl() override;

  int ControlCount() const { return int(FControls.size()); }
  TControl* Controls(int index) const;
  int IndexOfControl(const TControl* control) const;
  bool ContainsControl(const TControl* control) const;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void SetChildOrder(TControl* control, int order);
  // The first control, at any depth, whose Name matches without case.
  TControl* FindChildControl(const AnsiString& name) const;

  // Child controls owned by the root, in z-order.
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

private:
  std::vector<TControl*> FControls;
};

// A control class that the designer may create by name.
template <class C> C* NewControl(TComponent* owner, TWinControl* parent, const AnsiString& name) {
  auto* c = new C(owner);  // freed by its owner
  if (!name.empty()) c->SetName(name);
  if (parent) c->SetParent(parent);
  return c;
}
