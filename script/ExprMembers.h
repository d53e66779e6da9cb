// Member operations of object paths (Q1.NEXT, List.COUNT, QuickRep1.PREVIEW):
// what a member keyword does on the object that owns it. Groups for classes
// of other modules (graphs, rich texts, reports) are registered by exact
// class name by the module that builds those classes.
#pragma once

#include <functional>

#include "prExpr.h"

class TObject;

// One member call as the resolver sees it.
class TMemberCall {
public:
  TMemberCall(AnsiString identifier, AnsiString member, int code, TParameterList* params)
      : Identifier(std::move(identifier)), Member(std::move(member)), Code(code), FParams(params) {}

  AnsiString Identifier;  // the whole upper-cased path, such as Q1.F
  AnsiString Member;      // the member name, such as F
  int Code;               // the member keyword's code

  int ParameterCount() const { return FParams ? FParams->Count() : 0; }
  // Reports "Identifier %s does not require parameters" when the call was
  // written without a parameter list; answers whether it has one.
  bool NeedsParameters() const;
  // Parameter index read as a string or an integer; a missing one raises.
  AnsiString Text(int index) const;
  int32_t Integer(int index) const;
  double Float(int index) const;
  bool Boolean(int index) const;

private:
  const IValuePtr& Param(int index) const;
  TParameterList* FParams;
};

// Answers the result node, or nullptr when the member does not apply to the
// object (the next group is tried then).
using TMemberHandler = std::function<IValuePtr(TObject* object, const TMemberCall& call)>;

// Registers the handler for objects whose class is exactly className; a
// second registration for the same class replaces the first, an empty
// handler removes it.
void RegisterMemberHandler(const AnsiString& className, TMemberHandler handler);

// Runs the member groups in order on the object; FALSE when none applies or
// the operation fails. The object may be nullptr (then FALSE).
IValuePtr RunMember(TObject* object, const TMemberCall& call);
