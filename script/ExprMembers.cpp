// Member operations on any object, on string lists and drop-down lists, on
// pictures, and the dispatch over the member groups.
#include "ExprMembers.h"

#include <map>

#include "Controls.h"
#include "DBTables.h"
#include "Dialogs.h"
#include "ExprMembersInternal.h"
#include "ExprSupport.h"
#include "Graphics.h"
#include "StdCtrls.h"

namespace {

constexpr const char* NoParameters = "Identifier %s does not require parameters";

std::map<AnsiString, TMemberHandler, std::less<>>& Handlers() {
  static std::map<AnsiString, TMemberHandler, std::less<>> handlers;
  return handlers;
}

bool HasAncestorNamed(const TObject* object, const AnsiString& upperName) {
  for (const TClassInfo* cls = &object->ClassInfo(); cls; cls = cls->Parent())
    if (AnsiUpperCase(Trim(cls->Name())) == upperName) return true;
  return false;
}

enum : int {
  mcClear = 1, mcCommaText, mcCount, mcStrings, mcDelete, mcIndexOf, mcLoadFromFile, mcSaveToFile, mcAdd,
  mcIndexOfName,
  mcClassName = 50, mcFromClass, mcParent, mcOwner, mcExecute
};

// Group 1. Sets matched when the member gave a result.
IValuePtr AnyObjectMember(TObject* object, const TMemberCall& call, bool& matched) {
  matched = true;
  switch (call.Code) {
    case mcClassName: return MemberString(object->ClassName());
    case mcFromClass:
      if (call.NeedsParameters() && HasAncestorNamed(object, AnsiUpperCase(Trim(call.Text(0)))))
        return MemberBoolean(true);
      break;
    case mcParent: {
      auto* control = dynamic_cast<TControl*>(object);
      return MemberString(control && control->Parent() ? control->Parent()->Name() : AnsiString());
    }
    case mcOwner: {
      auto* component = dynamic_cast<TComponent*>(object);
      return MemberString(component && component->Owner() ? component->Owner()->Name() : AnsiString());
    }
    case mcExecute:
      if (auto* move = dynamic_cast<TBatchMove*>(object)) {
        move->Execute();
        return MemberBoolean(true);
      }
      if (auto* dialog = dynamic_cast<TOpenDialog*>(object)) {
        dialog->Execute();  // the dialog's answer is not the member's result
        return MemberBoolean(true);
      }
      break;
    default: break;
  }
  matched = false;
  return nullptr;
}

TStrings* ListOf(TObject* object) {
  if (auto* combo = dynamic_cast<TComboBox*>(object)) return combo->Items();
  if (object->ClassName() == "TStringList") return static_cast<TStrings*>(object);
  return nullptr;
}

// Group 5: the lines of a string list or the items of a drop-down list.
IValuePtr ListMember(TStrings& list, const TMemberCall& call) {
  switch (call.Code) {
    case mcClear: list.Clear(); return MemberBoolean(true);
    case mcCommaText: return MemberString(list.CommaText());
    case mcCount: return MemberInteger(list.Count());
    default: break;
  }
  if (call.Code < mcStrings || call.Code > mcIndexOfName) return nullptr;
  if (!call.NeedsParameters()) return MemberBoolean(false);
  switch (call.Code) {
    case mcStrings: {
      const int index = call.Integer(0);
      if (index < 0 || index >= list.Count()) throw EExpression("List index out of bounds");
      return MemberString(list.Strings(index));
    }
    case mcDelete: {
      const int index = call.Integer(0);
      if (index < 0 || index >= list.Count()) throw EExpression("List index out of bounds");
      list.Delete(index);
      return MemberBoolean(true);
    }
    case mcIndexOf: return MemberInteger(list.IndexOf(call.Text(0)));
    case mcLoadFromFile: list.LoadFromFile(call.Text(0)); return MemberBoolean(true);
    case mcSaveToFile: list.SaveToFile(call.Text(0)); return MemberBoolean(true);
    case mcAdd: list.Add(call.Text(0)); return MemberBoolean(true);
    case mcIndexOfName: return MemberInteger(list.IndexOfName(call.Text(0)));
    default: return nullptr;
  }
}

// Group 7: a picture loads or saves its file.
IValuePtr PictureMember(TPicture& picture, const TMemberCall& call) {
  if (call.Code != mcLoadFromFile && call.Code != mcSaveToFile) return nullptr;
  if (!call.NeedsParameters()) return MemberBoolean(false);
  if (call.Code == mcLoadFromFile) picture.LoadFromFile(call.Text(0));
  else picture.SaveToFile(call.Text(0));
  return MemberBoolean(true);
}

IValuePtr RunGroups(TObject* object, const TMemberCall& call) {
  bool matched = false;
  if (IValuePtr result = AnyObjectMember(object, call, matched); matched) return result;
  if (IValuePtr result = DataSetMember(object, call)) return result;
  const auto found = Handlers().find(object->ClassName());
  if (found != Handlers().end())
    if (IValuePtr result = found->second(object, call)) return result;
  if (TStrings* list = ListOf(object))
    if (IValuePtr result = ListMember(*list, call)) return result;
  if (object->ClassName() == "TPicture")
    if (IValuePtr result = PictureMember(*static_cast<TPicture*>(object), call)) return result;
  return nullptr;
}

}  // namespace

IValuePtr MemberString(const AnsiString& text) { return std::make_shared<TStringLiteral>(text); }
IValuePtr MemberInteger(int64_t value) { return std::make_shared<TIntegerLiteral>(static_cast<int32_t>(value)); }
IValuePtr MemberFloat(double value) { return std::make_shared<TFloatLiteral>(value); }
IValuePtr MemberBoolean(bool value) { return std::make_shared<TBooleanLiteral>(value); }

bool TMemberCall::NeedsParameters() const {
  if (FParams) return true;
  ReportScriptErrorFmt(NoParameters, {Identifier});
  return false;
}

const IValuePtr& TMemberCall::Param(int index) const {
  if (!FParams || index >= FParams->Count()) throw EExpression(Format(NoParameters, {Identifier}));
  return FParams->Item(index);
}

AnsiString TMemberCall::Text(int index) const { return Param(index)->ReadString(); }
int32_t TMemberCall::Integer(int index) const { return Param(index)->ReadInteger(); }
double TMemberCall::Float(int index) const { return Param(index)->ReadFloat(); }
bool TMemberCall::Boolean(int index) const { return Param(index)->ReadBoolean(); }

void RegisterMemberHandler(const AnsiString& className, TMemberHandler handler) {
  if (handler) Handlers()[className] = std::move(handler);
  else Handlers().erase(className);
}

IValuePtr RunMember(TObject* object, const TMemberCall& call) {
  if (!object) return MemberBoolean(false);
  try {
    if (IValuePtr result = RunGroups(object, call)) return result;
  } catch (const std::exception&) {
    // A failing member operation gives FALSE; its message, if any, was reported.
  }
  return MemberBoolean(false);
}
