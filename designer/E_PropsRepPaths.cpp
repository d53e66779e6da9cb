#include "Dialogs.h"
#include "E_PropsRepInternal.h"
#include "Forms.h"

namespace {

int16_t& LastKindStore() {
  static int16_t kind = pkNone;
  return kind;
}

// Message texts.
constexpr const char* FormIsErrorText = " - form is error";
constexpr const char* PathErrorText = "-Error";

// Which front operation selects the form: they differ in trimming the form
// argument and in dropping a leading "SELF." from the path.
enum TSelectMode { smRead, smProperty, smName };

struct TSelection {
  bool Ok = false;
  TForm* StartForm = nullptr;
  AnsiString Path;     // trimmed, upper-cased
  AnsiString FormArg;  // after default substitution (and trimming)
};

TSelection SelectForm(const AnsiString& path, const AnsiString& formName, TSelectMode mode) {
  TSelection s;
  s.FormArg = formName;
  if (!DefaultFormName().empty() && (s.FormArg == "SELF" || s.FormArg.empty())) s.FormArg = DefaultFormName();
  if (mode != smRead) s.FormArg = UpperCase(Trim(s.FormArg));
  s.Path = UpperCase(Trim(path));
  if (s.FormArg == "SELF" || s.FormArg.empty()) {
    s.StartForm = Screen()->ActiveForm();
    if (mode != smName && s.Path.rfind("SELF.", 0) == 0) s.Path.erase(0, 5);
    s.Ok = true;
    return s;
  }
  s.StartForm = dynamic_cast<TForm*>(Application()->FindComponent(s.FormArg));
  s.Ok = s.StartForm != nullptr;
  return s;
}

// Takes the text before the first "." (trimmed) off the path.
AnsiString TakeSegment(AnsiString& path) {
  size_t dot = path.find('.');
  AnsiString segment = Trim(path.substr(0, dot));
  path.erase(0, dot + 1);
  return segment;
}

AnsiString SqueezePath(const AnsiString& path) {
  AnsiString p = StringReplace(path, " ", "", rfReplaceAll);
  while (p.find("..") != AnsiString::npos) p = StringReplace(p, "..", ".", rfReplaceAll);
  return p;
}

TObject* ResolveFromNothing(TForm*& startForm, AnsiString& path, const AnsiString& segment, bool deep,
                            TObject*& found, bool& done) {
  AnsiString upper = UpperCase(segment);
  done = true;
  if (upper == "APPLICATION") {
    done = false;
    return nullptr;
  }
  if (upper == "SESSION") return DefaultSessionObject();
  if (upper == "SCREEN") return Screen();
  if (TComponent* c = Application()->FindComponent(segment)) {
    found = c;
    done = false;
    return nullptr;
  }
  TObject* c = startForm ? startForm->FindComponent(segment) : nullptr;
  if (deep && c) WalkSubObjects(c, path);
  return c;
}

}  // namespace

AnsiString& DefaultFormName() {
  static AnsiString name = "A_reportForm";
  return name;
}

int16_t LastPropKind() { return LastKindStore(); }
void SetLastPropKind(int16_t kind) { LastKindStore() = kind; }

const std::vector<AnsiString>& ModalResultNames() {
  static const std::vector<AnsiString> names = {"mrNone", "mrOk", "mrCancel", "mrAbort",
                                                "mrRetry", "mrIgnore", "mrYes", "mrNo"};
  return names;
}

void WalkSubObjects(TObject*& obj, AnsiString& path) {
  while (path.find('.') != AnsiString::npos) {
    size_t dot = path.find('.');
    const TPropInfo* info = FindPropInfo(obj, path.substr(0, dot));
    TObject* next = nullptr;
    if (info && info->PropType && info->PropType->Kind == tkClass) next = GetObjectProp(obj, info);
    if (!next) {
      obj = nullptr;
      path.clear();
      return;
    }
    obj = next;
    path.erase(0, dot + 1);
  }
}

TObject* ResolvePath(TForm*& startForm, AnsiString& path, bool deep) {
  if (path.find('.') == AnsiString::npos) return startForm;
  path = SqueezePath(path);
  TObject* found = nullptr;
  while (path.find('.') != AnsiString::npos) {
    AnsiString segment = TakeSegment(path);
    if (auto* form = dynamic_cast<TForm*>(found)) {
      startForm = form;
      if (TObject* c = form->FindComponent(segment)) {
        WalkSubObjects(c, path);
        return c;
      }
      path = segment + "." + path;  // a property path of the form itself
      return form;
    }
    if (found) continue;  // past an object that is no form: consumed
    bool done = false;
    TObject* result = ResolveFromNothing(startForm, path, segment, deep, found, done);
    if (done) return result;
  }
  return found;
}

// ---------------------------------------------------------------------------

AnsiString GetPropText(const AnsiString& path, const AnsiString& formName) {
  TSelection s = SelectForm(path, formName, smRead);
  if (!s.Ok) {
    ShowMessage(s.FormArg + FormIsErrorText);
    return AnsiString();
  }
  TObject* obj = ResolvePath(s.StartForm, s.Path, true);
  if (!obj) {
    ShowMessage(path + PathErrorText);
    return AnsiString();
  }
  AnsiString result = ReadPropText(obj, s.Path);
  if (result.size() >= 3 && result.compare(0, 2, "*T") == 0 && result.back() == '*') result.clear();
  return result;
}

void SetPropText(const AnsiString& path, const AnsiString& value, const AnsiString& formName) {
  TSelection s = SelectForm(path, formName, smProperty);
  if (!s.Ok) {
    ShowMessage(s.FormArg + FormIsErrorText);
    return;
  }
  AnsiString shown = s.Path;
  TObject* obj = ResolvePath(s.StartForm, s.Path, true);
  if (!obj) {
    ShowMessage(shown + PathErrorText);
    return;
  }
  WritePropText(obj, s.Path, value);
}

bool PropExists(const AnsiString& path, const AnsiString& formName) {
  TSelection s = SelectForm(path, formName, smProperty);
  if (!s.Ok) return false;
  TObject* obj = ResolvePath(s.StartForm, s.Path, false);
  if (!obj || dynamic_cast<TForm*>(obj)) return false;
  WalkSubObjects(obj, s.Path);
  return FindPropInfo(obj, s.Path) != nullptr;
}

namespace {
TObject* ResolveName(const AnsiString& namePath, const AnsiString& formName, bool deep) {
  TSelection s = SelectForm(namePath, formName, smName);
  if (!s.Ok) return nullptr;
  s.Path += ".Name";
  return ResolvePath(s.StartForm, s.Path, deep);
}
}  // namespace

bool CompExists(const AnsiString& namePath, const AnsiString& formName) {
  return ResolveName(namePath, formName, true) != nullptr;
}

AnsiString CompClassName(const AnsiString& namePath, const AnsiString& formName) {
  TObject* obj = ResolveName(namePath, formName, true);
  return obj ? obj->ClassName() : AnsiString();
}

TComponent* FindCompByPath(const AnsiString& namePath, const AnsiString& formName) {
  return dynamic_cast<TComponent*>(ResolveName(namePath, formName, false));
}

TObject* ResolveMember(AnsiString& path, AnsiString& formName) {
  TSelection s = SelectForm(path, formName, smProperty);
  if (!s.Ok) {
    path.clear();
    return nullptr;
  }
  TObject* obj = ResolvePath(s.StartForm, s.Path, true);
  formName = s.StartForm ? s.StartForm->Name() : AnsiString();
  path = s.Path;
  if (!obj) {
    path.clear();
    return nullptr;
  }
  if (!PropExists(path, formName) && path.find('.') != AnsiString::npos) {
    path[path.rfind('.')] = '>';
    return nullptr;
  }
  return obj;
}
