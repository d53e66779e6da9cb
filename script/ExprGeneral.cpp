// The general functions that reach components, the collected components, the
// script file, the user interface and, through the script host, the report
// designer and the main window.
#include <array>

#include "Dialogs.h"
#include "E_PropsRep.h"
#include "ExprSupport.h"
#include "Forms.h"
#include "ScriptFiles.h"
#include "ScriptHost.h"

namespace {

enum : int {
  fnProp = 6, fnPropExist, fnCompExist, fnClassName,
  fnFileExists = 24, fnTextEval = 37, fnShowMessage = 39, fnAddToC, fnClearC, fnSetC, fnCountC, fnCurrentDir,
  fnError, fnCreateSimple, fnCreateMasterDetail, fnCreate, fnInit,
  fnCreateFile = 59, fnOpenFile, fnFileSize, fnEof, fnFilePos, fnSeek, fnWrite, fnWriteLn, fnReadLn, fnRead,
  fnCloseFile, fnInputClear, fnInputBegin, fnInputEnd, fnInputOk, fnInputField, fnRun, fnProcessMessages,
  fnHourglass, fnDefault, fnCloseAll, fnToClipboard, fnSetModify
};

constexpr const char* UnknownProperty = "Unknown %s property, but disabled modify";
// The report engine's base class of printable controls, known by name.
constexpr const char* PrintableClass = "TQRPrintable";

AnsiString Text(TFunction& f, int index) { return f.Parameter(index)->ReadString(); }

// The form argument of the property functions: p2 when given, else SELF.
AnsiString FormArgument(TFunction& f) { return f.ParameterCount() > 1 ? Text(f, 1) : AnsiString("SELF"); }

// The designer kind named by the first word that the kind text contains.
int DesignerKind(const AnsiString& kindText) {
  struct TKindWord {
    const char* Word;
    int Kind;
  };
  static constexpr std::array<TKindWord, 15> words = {{
      {"LABEL", 2}, {"MEMO", 3}, {"SHAPE", 4}, {"DBIMAGE", 6}, {"IMAGE", 5}, {"CHART", 7}, {"GRAPH", 7},
      {"BARCODE", 8}, {"DBRICH", 10}, {"RICH", 9}, {"CHILD", 12}, {"DETAIL", 13}, {"GROUP", 14},
      {"STRINGSBAND", 15}, {"BAND", 11},
  }};
  const AnsiString kind = AnsiUpperCase(Trim(kindText));
  for (const TKindWord& word : words)
    if (kind.find(word.Word) != AnsiString::npos) return word.Kind;
  return 0;
}

AnsiString CreateComponent(const AnsiString& kindText, const AnsiString& parentText) {
  TScriptHost& host = ScriptHost();
  const int kind = DesignerKind(kindText);
  if (kind == 0) return AnsiString();
  TControl* parent = nullptr;
  const AnsiString parentName = Trim(parentText);
  if (TForm* form = host.ReportForm(); form && !parentName.empty())
    parent = dynamic_cast<TControl*>(form->FindComponent(parentName));
  return host.CreateComponent(kind, parent);
}

AnsiString ReplaceStars(const AnsiString& spec, const AnsiString& name) {
  return StringReplace(spec, "*.", name + ".", rfReplaceAll);
}

// Whether the statement text, read as a string, is TRUE.
bool Holds(const AnsiString& text) {
  const IValuePtr value = ParseScriptText(text);
  return AnsiUpperCase(Trim(value ? value->ReadString() : AnsiString())) == "TRUE";
}

void Collect(TStrings& list, const AnsiString& name) {
  if (list.IndexOf(name) < 0) list.Add(name);
}

TForm* CollectionForm() {
  if (auto* form = dynamic_cast<TForm*>(Application()->FindComponent(DefaultFormName()))) return form;
  return Screen()->ActiveForm();
}

bool AddToCollected(const AnsiString& specText) {
  TStrings* list = CollectedComponents();
  if (!list) return true;
  try {
    const AnsiString spec = Trim(specText);
    if (!spec.empty() && spec.find("*.") == AnsiString::npos) {
      if (CompExists(spec, "SELF")) Collect(*list, spec);
      return true;
    }
    TForm* form = CollectionForm();
    if (!form) return true;
    for (int i = 0; i < form->ComponentCount(); ++i) {
      TComponent* component = form->Components(i);
      if (!component->InheritsFrom(AnsiString(PrintableClass))) continue;
      try {
        if (spec.empty() || Holds(ReplaceStars(spec, component->Name()))) Collect(*list, component->Name());
      } catch (const std::exception&) {
        // A component whose test fails is not collected.
      }
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool SetCollected(const AnsiString& specText) {
  TStrings* list = CollectedComponents();
  const AnsiString spec = Trim(specText);
  const size_t assign = spec.find(":=");
  if (!list || spec.find("*.") == AnsiString::npos || assign == AnsiString::npos) return false;
  for (int i = 0; i < list->Count(); ++i) {
    const AnsiString statement = ReplaceStars(spec, list->Strings(i));
    try {
      const AnsiString target = Trim(statement.substr(0, statement.find(":=")));
      if (!PropExists(target, "SELF")) continue;
      if (const IValuePtr value = ParseScriptText(statement)) value->ReadString();
    } catch (const std::exception&) {
      // A component that cannot take the value is skipped.
    }
  }
  return true;
}

bool CloseAll() {
  TScriptHost& host = ScriptHost();
  StopRequested = true;
  host.PostCloseRequest();
  Application()->ProcessMessages();
  host.PostCloseRequest();
  return false;
}

bool InputEnd() {
  TScriptHost& host = ScriptHost();
  Application()->ProcessMessages();
  const bool finished = host.InputFinished();
  Application()->ProcessMessages();
  return finished;
}

bool Run(TFunction& f) {
  try {
    const AnsiString command = Text(f, 0);
    const bool wait = f.Parameter(1)->ReadBoolean();
    return ScriptRunProcess(command, wait, f.Parameter(2)->ReadBoolean());
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool ModifyProperty(const AnsiString& name, const AnsiString& value) {
  bool result = PropExists(name, "SELF");
  try {
    SetPropText(name, value, "SELF");
  } catch (const std::exception&) {
    result = false;
  }
  if (!result) ReportScriptErrorFmt(UnknownProperty, {name});
  return result;
}

AnsiString EvalGeneralString(int number, TFunction& f) {
  switch (number) {
    case fnProp: {
      const AnsiString path = Text(f, 0);
      return GetPropText(path, FormArgument(f));
    }
    case fnClassName: {
      const AnsiString path = Text(f, 0);
      return CompClassName(path, FormArgument(f));
    }
    case fnTextEval: {
      TScriptHost& host = ScriptHost();
      return host.ExpandTemplates(Text(f, 0));
    }
    case fnCurrentDir: return GetCurrentDir();
    case fnCreate: {
      const AnsiString kind = Text(f, 0);
      return CreateComponent(kind, Text(f, 1));
    }
    case fnReadLn: return ScriptReadLn();
    case fnRead: return ScriptRead(f.Parameter(0)->ReadInteger());
    default: return AnsiString();
  }
}

int32_t EvalGeneralInteger(int number, TFunction& /*f*/) {
  switch (number) {
    case fnCountC: return CollectedComponents() ? CollectedComponents()->Count() : 0;
    case fnFileSize: return ScriptFileSize();
    case fnFilePos: return ScriptFilePos();
    default: return 0;
  }
}

bool EvalGeneralBoolean(int number, TFunction& f) {
  switch (number) {
    case fnPropExist: {
      const AnsiString path = Text(f, 0);
      return PropExists(path, FormArgument(f));
    }
    case fnCompExist: {
      const AnsiString path = Text(f, 0);
      return CompExists(path, FormArgument(f));
    }
    case fnFileExists: return FileExists(Text(f, 0));
    case fnShowMessage: ShowMessage(Text(f, 0)); return true;
    case fnAddToC: return AddToCollected(Text(f, 0));
    case fnClearC:
      if (!CollectedComponents()) return false;
      CollectedComponents()->Clear();
      return true;
    case fnSetC: return SetCollected(Text(f, 0));
    case fnError: ReportScriptError(Text(f, 0)); return true;
    case fnCreateSimple: ScriptHost().CreateSimpleReport(); return true;
    case fnCreateMasterDetail: {
      TScriptHost& host = ScriptHost();
      const AnsiString master = Text(f, 0);
      host.CreateMasterDetailReport(master, Text(f, 1));
      return true;
    }
    case fnInit: ScriptHost().BindReportEvents(); return true;
    case fnCreateFile: return ScriptCreateFile(Text(f, 0));
    case fnOpenFile: return ScriptOpenFile(Text(f, 0));
    case fnEof: return ScriptEof();
    case fnSeek: return ScriptSeek(f.Parameter(0)->ReadInteger());
    case fnWrite: return ScriptWrite(Text(f, 0));
    case fnWriteLn: return ScriptWrite(Text(f, 0) + "\r\n");
    case fnCloseFile: return ScriptCloseFile();
    case fnInputClear: ScriptHost().InputClear(); return true;
    case fnInputBegin: ScriptHost().InputBegin(); return true;
    case fnInputEnd: return InputEnd();
    case fnInputOk: return ScriptHost().InputOk();
    case fnInputField: {
      TScriptHost& host = ScriptHost();
      const int32_t place = f.Parameter(0)->ReadInteger();
      return place >= 1 && place <= 10 ? host.InputLeft(place) : true;
    }
    case fnRun: return Run(f);
    case fnProcessMessages: Application()->ProcessMessages(); return true;
    case fnHourglass: Screen()->SetCursor(crHourGlass); return false;
    case fnDefault: Screen()->SetCursor(crDefault); return false;
    case fnCloseAll: return CloseAll();
    case fnToClipboard: {
      TScriptHost& host = ScriptHost();
      host.SetClipboardText(Text(f, 0));
      return false;
    }
    case fnSetModify: {
      TScriptHost& host = ScriptHost();
      host.SetModifyAllowed(f.Parameter(0)->ReadBoolean());
      return true;
    }
    default: return false;
  }
}
