// Shared between the property-access sources; not for other modules.
#pragma once

#include "E_PropsRep.h"

class TComponent;

void SetLastPropKind(int16_t kind);
// The component that reference texts of obj's properties are relative to.
TComponent* ReferenceRoot(TObject* obj);
// The default database session, nil when the database layer has none.
TComponent* DefaultSessionObject();
// The dataset named so (without case) in the default session's databases; a
// later database's match replaces an earlier one's.
TComponent* FindSessionDataSet(const AnsiString& name);
