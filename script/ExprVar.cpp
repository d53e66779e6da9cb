// The script's variable store and the resolution of identifiers without a point.
#include "E_PropsRep.h"
#include "ExprMembers.h"
#include "ExprSupport.h"

namespace {

AnsiString NormalName(const AnsiString& name) { return AnsiUpperCase(Trim(name)); }

// Each entry is the name, "=" and the code, framed by ";".
constexpr const char* MemberTable =
    ";CLEAR=1;COMMATEXT=2;COUNT=3;STRINGS=4;DELETE=5;INDEXOF=6;LOADFROMFILE=7;SAVETOFILE=8;ADD=9;"
    "INDEXOFNAME=10;CLOSE=20;OPEN=21;EXECSQL=22;ISEMPTY=23;EOF=24;BOF=25;NEXT=26;PRIOR=27;PREV=27;"
    "FIRST=28;LAST=29;MOVEBY=30;LOCATE=31;RECORDCOUNT=32;RC=32;LOCATEPARCIAL=33;FIELDEXISTS=34;"
    "TABLEEXISTS=35;DATATYPE=36;DATASIZE=37;FIELDCOUNT=38;FIELD=39;ASSTRING=40;F=40;FIELDBYNAME=40;"
    "ASINTEGER=41;ASFLOAT=42;ASBOOLEAN=43;ASDATE=44;ASTIME=45;ASDATETIME=46;CLASSNAME=50;FROMCLASS=51;"
    "PARENT=52;OWNER=53;EXECUTE=54;GETSEGMENT=60;CHANGESEGMENT=61;ADDTOWHERE=62;SELECTCOUNT=63;"
    "PAGENUMBER=70;PREPARE=71;NEWPAGE=72;PRINTING=73;PREVIEW=74;PRINT=75;EXPORT=76;LOAD=77;SAVE=78;"
    "LOADANDEVAL=80;PARAMINTEGER=81;PARAMBOOLEAN=82;PARAMSTRING=83;PARAMDATETIME=84;PARAMDATE=85;"
    "PARAMTIME=86;PARAMFLOAT=87;REFRESH=90;";

}  // namespace

void TExprVar::SetVariable(const AnsiString& name, const AnsiString& value, TValueKind kind) {
  const AnsiString key = NormalName(name);
  if (key.empty()) {
    ReportScriptError(ExprMsg::EmptyIdentifier);
    return;
  }
  if (value.empty() && kind != vkString) {
    ReportScriptError(AnsiString(ExprMsg::ErrorTypeOrValue) + " \"" + key + "\"");
    return;
  }
  auto found = FVariables.find(key);
  if (found != FVariables.end()) {
    found->second = TVariable{value, kind};
    return;
  }
  // Only new names are checked; the report may return (interactive runs) and the name is added all the same.
  if (!IsIdentStart(key[0])) ReportScriptErrorFmt(ExprMsg::ErrorPrimaryChar, {key});
  for (char c : key)
    if (!IsIdentChar(c)) ReportScriptErrorFmt(ExprMsg::ErrorCharacters, {key});
  FVariables.emplace(key, TVariable{value, kind});
}

bool TExprVar::VariableExists(const AnsiString& name) const { return FVariables.count(NormalName(name)) != 0; }

void TExprVar::FreeVariable(const AnsiString& name) { FVariables.erase(NormalName(name)); }

AnsiString TExprVar::VariableText(const AnsiString& name) const {
  auto found = FVariables.find(NormalName(name));
  return found == FVariables.end() ? AnsiString() : found->second.Text;
}

TValueKind TExprVar::VariableKind(const AnsiString& name) const {
  auto found = FVariables.find(NormalName(name));
  return found == FVariables.end() ? vkString : found->second.Kind;
}

int TExprVar::MemberCode(const AnsiString& memberName) {
  const AnsiString table = MemberTable;
  const size_t at = table.find(";" + NormalName(memberName) + "=");
  if (memberName.empty() || at == AnsiString::npos) return 0;
  const size_t digits = table.find('=', at) + 1;
  const AnsiString code = table.substr(digits, std::min<size_t>(4, table.find(';', digits) - digits));
  return StrToIntDef(code, 0);
}

IValuePtr TExprVar::ResolveIdentifier(const AnsiString& identifier, TParameterListPtr& params) {
  if (identifier.find('.') != AnsiString::npos) return ResolvePathIdentifier(identifier, params.get());
  auto found = FVariables.find(NormalName(identifier));
  if (found == FVariables.end()) return nullptr;
  return LiteralFromText(found->second.Text, found->second.Kind);
}

// A dotted name: a property read through property access, or a member
// keyword performed on the object that owns the last segment.
IValuePtr TExprVar::ResolvePathIdentifier(const AnsiString& identifier, TParameterList* params) {
  AnsiString path = NormalName(identifier);
  AnsiString form = "SELF";
  TObject* object = ResolveMember(path, form);
  const AnsiString member = NormalName(path);
  const int code = MemberCode(member);
  if (code != 0) return RunMember(object, TMemberCall(identifier, member, code, params));
  const AnsiString text = GetPropText(identifier, "SELF");
  // A path without a readable property leaves the last kind behind; its empty
  // text is a string, never a failed number.
  if (text.empty()) return LiteralFromText(text, vkString);
  switch (LastPropKind()) {
    case pkInteger: return LiteralFromText(text, vkInteger);
    case pkFloat: return LiteralFromText(text, vkFloat);
    case pkBoolean: return LiteralFromText(text, vkBoolean);
    default: return LiteralFromText(text, vkString);
  }
}

IValuePtr TExprVar::Resolver(void* context, const AnsiString& identifier, TParameterListPtr& params) {
  return static_cast<TExprVar*>(context)->ResolveIdentifier(identifier, params);
}

TExprVar& GlobalExprVar() {
  static TExprVar store;
  return store;
}

IValuePtr LiteralFromText(const AnsiString& text, TValueKind kind) {
  switch (kind) {
    case vkString: return std::make_shared<TStringLiteral>(text);
    case vkFloat: {
      AnsiString number = text;
      if (auto comma = number.find(','); comma != AnsiString::npos) number[comma] = '.';
      return std::make_shared<TFloatLiteral>(ScriptStrToFloat(number));
    }
    case vkInteger: return std::make_shared<TIntegerLiteral>(StrToInt(text));
    case vkBoolean: return std::make_shared<TBooleanLiteral>(!(!text.empty() && (text[0] == 'F' || text[0] == 'f')));
    default: return nullptr;
  }
}
