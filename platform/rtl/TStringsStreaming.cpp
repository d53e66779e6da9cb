// The lines of a TStrings in a form file: Lines.Strings = ('a' 'b').
#include "Streaming.h"
#include "TStringList.h"

void TStrings::DefineProperties(TFiler& filer) {
  TPersistent::DefineProperties(filer);
  filer.DefineProperty(
      "Strings",
      [this](TReader& reader) {
        Updating([&] {
          Clear();
          reader.ReadListBegin();
          while (!reader.EndOfList()) Add(reader.ReadString());
          reader.ReadListEnd();
        });
      },
      [this](TWriter& writer) {
        writer.WriteListBegin();
        for (int i = 0, n = Count(); i < n; ++i) writer.WriteString(Get(i));
        writer.WriteListEnd();
      },
      Count() > 0);
}
