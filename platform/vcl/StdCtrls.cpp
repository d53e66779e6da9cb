#include "StdCtrls.h"

DEFINE_ENUM_TYPE(TComboBoxStyle, "csDropDown,csSimple,csDropDownList,csOwnerDrawFixed,csOwnerDrawVariable")

BEGIN_CLASS(TComboBox) {
  b.Property("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount).Default(8);
  b.Property("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex).NotStored();
  b.Property("Items", &TComboBox::Items, &TComboBox::SetItems);
  b.Property("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted).Default(false);
  b.Property("Style", &TComboBox::Style, &TComboBox::SetStyle).Default(csDropDown);
  b.Property("Text", &TComboBox::Text, &TComboBox::SetText);
  b.Property("OnChange", &TComboBox::OnChange, &TComboBox::OnChange);
  b.Property("OnClick", &TComboBox::OnClick, &TComboBox::OnClick);
}

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner), FItems(std::make_unique<TStringList>()) {
  FColor = clWindow;
  SetBounds(0, 0, 145, 21);
  FItems->OnChange.Handler = [this](TObject*) { ItemsChanged(); };
}

TComboBox::~TComboBox() = default;

void TComboBox::SetItems(TStrings* items) {
  if (items) FItems->Assign(*items);
}

void TComboBox::ItemsChanged() {
  // The selection follows its text; a vanished item leaves nothing selected.
  FItemIndex = FItems->IndexOf(GetText());
  if (FItemIndex < 0 && FStyle == csDropDownList) TWinControl::SetText(AnsiString());
  Changed("Items");
}

void TComboBox::SetText(const AnsiString& text) {
  int index = FItems->IndexOf(text);
  if (FStyle == csDropDownList && index < 0 && !text.empty()) return;
  FItemIndex = index;
  if (text == GetText()) return;
  TWinControl::SetText(index >= 0 ? FItems->Strings(index) : text);
  OnChange(this);
}

int TComboBox::ItemIndex() const {
  if (FItemIndex >= 0 && FItemIndex < FItems->Count() && FItems->Strings(FItemIndex) == GetText())
    return FItemIndex;
  return FItems->IndexOf(GetText());
}

void TComboBox::SetItemIndex(int index) {
  if (index < 0 || index >= FItems->Count()) {
    FItemIndex = -1;
    TWinControl::SetText(AnsiString());
    return;
  }
  FItemIndex = index;
  TWinControl::SetText(FItems->Strings(index));
}

void TComboBox::SetStyle(TComboBoxStyle style) {
  if (style == FStyle) return;
  FStyle = style;
  if (FStyle == csDropDownList && FItems->IndexOf(GetText()) < 0) TWinControl::SetText(AnsiString());
  Changed("Style");
}

void TComboBox::SetSorted(bool sorted) { FItems->SetSorted(sorted); }
