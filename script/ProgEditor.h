// The program interpreter's view of the editor that holds the program text:
// the program editor window implements it; TPlainTextEditor serves headless
// runs and tests.
#pragma once

#include <map>
#include <vector>

#include "Graphics.h"
#include "SysUtils.h"

// Rows are counted from 0; text positions are 0-based character indices into Text().
class TProgEditor {
public:
  virtual ~TProgEditor() = default;
  virtual AnsiString Text() const = 0;
  // The row that holds the character at position, the caret left where it is.
  virtual int RowOfPosition(int position) const = 0;
  // Places the caret on the character at position and answers the caret's row.
  virtual int PlaceCaret(int position) = 0;
  virtual int CaretRow() const = 0;
  virtual void CaretToRowStart() = 0;
  virtual AnsiString RowText(int row) const = 0;
  // Selects the row's text whole; the caret ends at the end of the row.
  virtual void SelectRow(int row) = 0;
  virtual void SetRowColour(int row, TColor colour) = 0;
  virtual void SetRowUnderline(int row) = 0;
  // No bold, italic, underline or strike-out.
  virtual void ClearRowStyle(int row) = 0;
  virtual void SetFocus() = 0;
  virtual TColor BackgroundColour() const = 0;
  virtual void SetBackgroundColour(TColor colour) = 0;
};

// A text in memory with a caret, row colours and underlines. Every line break
// (CR LF, lone CR or lone LF) is held as CR LF, the form the interpreter counts
// rows by.
class TPlainTextEditor : public TProgEditor {
public:
  explicit TPlainTextEditor(const AnsiString& text = AnsiString());
  void SetText(const AnsiString& text);

  AnsiString Text() const override { return FText; }
  int RowOfPosition(int position) const override;
  int PlaceCaret(int position) override;
  int CaretRow() const override { return RowOfPosition(FCaret); }
  void CaretToRowStart() override;
  AnsiString RowText(int row) const override;
  void SelectRow(int row) override;
  void SetRowColour(int row, TColor colour) override;
  void SetRowUnderline(int row) override { FUnderlined[row] = true; }
  void ClearRowStyle(int row) override { FUnderlined.erase(row); }
  void SetFocus() override { ++FFocusCount; }
  TColor BackgroundColour() const override { return FBackground; }
  void SetBackgroundColour(TColor colour) override { FBackground = colour; }

  int RowCount() const { return static_cast<int>(FRowStarts.size()); }
  int CaretPosition() const { return FCaret; }
  // Puts the caret at the start of the row, as a click on it would.
  void SetCaretRow(int row);
  // Black unless a colour was set.
  TColor RowColour(int row) const;
  bool RowUnderlined(int row) const { return FUnderlined.count(row) != 0; }
  int SelectedRow() const { return FSelectedRow; }
  int FocusCount() const { return FFocusCount; }

private:
  int RowEnd(int row) const;
  AnsiString FText;
  std::vector<int> FRowStarts;
  int FCaret = 0;
  int FSelectedRow = -1;
  int FFocusCount = 0;
  TColor FBackground = clWhite;
  std::map<int, TColor> FColours;
  std::map<int, bool> FUnderlined;
};
