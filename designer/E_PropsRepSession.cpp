#include "E_PropsRepInternal.h"

// The database layer is not linked yet: no session, no datasets to find.
TComponent* DefaultSessionObject() { return nullptr; }
TComponent* FindSessionDataSet(const AnsiString&) { return nullptr; }
