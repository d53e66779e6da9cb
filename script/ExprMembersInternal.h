// Shared by the sources of the member groups.
#pragma once

#include "ExprMembers.h"

IValuePtr MemberString(const AnsiString& text);
IValuePtr MemberInteger(int64_t value);
IValuePtr MemberFloat(double value);
IValuePtr MemberBoolean(bool value);

// Group of the datasets of the exact classes TDataSet, TQuery and TTable;
// nullptr when the object is none of them or the member is no dataset member.
IValuePtr DataSetMember(TObject* object, const TMemberCall& call);
