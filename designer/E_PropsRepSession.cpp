#include "E_PropsRepInternal.h"

#include "DBTables.h"

TComponent* DefaultSessionObject() { return &Session(); }

// Every database of the default session in its order; within one database the
// first dataset of that name counts, and a later database's match wins.
TComponent* FindSessionDataSet(const AnsiString& name) {
  TComponent* found = nullptr;
  TSession& session = Session();
  for (int d = 0; d < session.DatabaseCount(); ++d) {
    TDatabase* db = session.Databases(d);
    for (int i = 0; i < db->DataSetCount(); ++i) {
      if (SameText(db->DataSets(i)->Name(), name)) {
        found = db->DataSets(i);
        break;
      }
    }
  }
  return found;
}
