// The headless program editor.
#include "ProgEditor.h"

#include <algorithm>

TPlainTextEditor::TPlainTextEditor(const AnsiString& text) { SetText(text); }

void TPlainTextEditor::SetText(const AnsiString& text) {
  FText.clear();
  FText.reserve(text.size() + text.size() / 16);
  FRowStarts.assign(1, 0);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      FText += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      FRowStarts.push_back(static_cast<int>(FText.size()));
    } else {
      FText += c;
    }
  }
  FCaret = 0;
  FSelectedRow = -1;
  FColours.clear();
  FUnderlined.clear();
}

int TPlainTextEditor::RowOfPosition(int position) const {
  const auto after = std::upper_bound(FRowStarts.begin(), FRowStarts.end(), std::max(position, 0));
  return static_cast<int>(after - FRowStarts.begin()) - 1;
}

int TPlainTextEditor::PlaceCaret(int position) {
  FCaret = std::clamp(position, 0, static_cast<int>(FText.size()));
  return RowOfPosition(FCaret);
}

void TPlainTextEditor::CaretToRowStart() { FCaret = FRowStarts[static_cast<size_t>(CaretRow())]; }

int TPlainTextEditor::RowEnd(int row) const {
  if (row + 1 < RowCount()) return FRowStarts[static_cast<size_t>(row + 1)] - 2;  // before CR LF
  return static_cast<int>(FText.size());
}

AnsiString TPlainTextEditor::RowText(int row) const {
  if (row < 0 || row >= RowCount()) return AnsiString();
  const int start = FRowStarts[static_cast<size_t>(row)];
  return FText.substr(static_cast<size_t>(start), static_cast<size_t>(RowEnd(row) - start));
}

void TPlainTextEditor::SelectRow(int row) {
  if (row < 0 || row >= RowCount()) return;
  FSelectedRow = row;
  FCaret = RowEnd(row);
}

void TPlainTextEditor::SetRowColour(int row, TColor colour) {
  if (colour == clBlack)
    FColours.erase(row);
  else
    FColours[row] = colour;
}

void TPlainTextEditor::SetCaretRow(int row) {
  FCaret = FRowStarts[static_cast<size_t>(std::clamp(row, 0, RowCount() - 1))];
}

TColor TPlainTextEditor::RowColour(int row) const {
  const auto found = FColours.find(row);
  return found == FColours.end() ? clBlack : found->second;
}
