// Standard controls kept as models; their widgets come with the peer layer.
#pragma once

#include <memory>

#include "Controls.h"
#include "TStringList.h"

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
DECLARE_ENUM_TYPE(TComboBoxStyle);

// A combo box: a list of items and an edit text. In the drop-down-list style
// the text is always one of the items (or empty).
class TComboBox : public TWinControl {
  DECLARE_CLASS(TComboBox, TWinControl)
public:
  explicit TComboBox(TComponent* owner);
  ~TComboBox() override;

  TStrings* Items() const { return FItems.get(); }
  void SetItems(TStrings* items);
  AnsiString Text() const { return GetText(); }
  void SetText(const AnsiString& text) override;
  // -1 when the text is no item.
  int ItemIndex() const;
  void SetItemIndex(int index);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle style);
  bool Sorted() const { return FItems->Sorted(); }
  void SetSorted(bool sorted);
  int32_t DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int32_t count) { FDropDownCount = count; }

  TEvent<TObject*> OnChange;

private:
  void ItemsChanged();
  std::unique_ptr<TStringList> FItems;
  TComboBoxStyle FStyle = csDropDown;
  int32_t FDropDownCount = 8;
  int FItemIndex = -1;
};
