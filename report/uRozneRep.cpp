#include "uRozneRep.h"

#include <algorithm>

#include "Dialogs.h"
#include "Forms.h"
#include "Process.h"

namespace {

const char* const CreateProcessError = "Error, create process:\r";
const char* const ErrorCodeLabel = "Error code:";
const char* const DesktopOpener = "xdg-open";

bool IsStringType(TRegDataType type) { return type == rdString || type == rdExpandString; }

}  // namespace

bool RunProcess(const AnsiString& commandLine, bool wait, bool show) {
  Application()->ProcessMessages();
  TProcessStart start = StartProcess(commandLine, wait, show);
  if (start.Started()) return true;
  MessageDlg(CreateProcessError + commandLine + "\r" + ErrorCodeLabel + IntToStr(start.Error), mtError, {mbOK});
  return false;
}

void ShellOpen(const AnsiString& text) { ShellOpenWith(DesktopOpener, text, false); }

bool ClearDirectory(const AnsiString& directory) {
  return ClearDirectoryTree(IncludeTrailingPathDelimiter(directory));
}

bool ReadRegistryString(THKey root, const AnsiString& keyPath, const AnsiString& name, AnsiString& text) {
  try {
    TRegistry registry;
    registry.SetRootKey(root);
    if (!registry.OpenKeyReadOnly(keyPath) || !IsStringType(registry.GetDataType(name))) return false;
    text = registry.ReadString(name);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

bool WriteRegistryString(THKey root, const AnsiString& keyPath, const AnsiString& name, const AnsiString& text) {
  try {
    TRegistry registry;
    registry.SetRootKey(root);
    if (!registry.OpenKey(keyPath, true)) return false;
    if (registry.ValueExists(name) && !IsStringType(registry.GetDataType(name))) return false;
    registry.WriteString(name, text);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

AnsiString FitText(const AnsiString& text, char fill, int width) {
  size_t w = width > 0 ? size_t(width) : 0;
  AnsiString result = text.substr(0, w);
  result.append(w - result.size(), fill);
  return result;
}

AnsiString CopyRange(const AnsiString& text, int first, int last) {
  if (last < first || first > int(text.size())) return "";
  int from = std::max(first, 1);
  return Copy(text, from, last - from + 1);
}
