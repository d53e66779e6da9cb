#include <gtest/gtest.h>

#include "Streaming.h"
#include "TStringList.h"

namespace {

// A component holding a string list as a sub-object, as queries and memos do.
class TLinesHolder : public TComponent {
  DECLARE_CLASS(TLinesHolder, TComponent)
public:
  using TComponent::TComponent;
  TStringList* GetLines() const { return &FLines; }
  void SetLines(TStringList* lines) { FLines.Assign(*lines); }
  mutable TStringList FLines;
};

BEGIN_CLASS(TLinesHolder) { b.Property("Lines", &TLinesHolder::GetLines, &TLinesHolder::SetLines); }

TEST(TStringListStreamingTest, LinesAreWrittenAsStringsListAndReadBack) {
  TLinesHolder holder(nullptr);
  holder.SetName("Q1");
  holder.FLines.SetText("select *\r\nfrom t\r\n\r\nwhere a = 'x'\r\n");
  const AnsiString text = ComponentToText(&holder);
  EXPECT_EQ(text,
            "object Q1: TLinesHolder\n"
            "  Lines.Strings = (\n"
            "    'select *'\n"
            "    'from t'\n"
            "    ''\n"
            "    'where a = ''x''')\n"
            "end\n");

  TLinesHolder back(nullptr);
  back.FLines.Add("replaced by the read");
  int changes = 0;
  back.FLines.OnChange.Handler = [&](TObject*) { ++changes; };
  ReadComponentFromText(text, &back);
  EXPECT_TRUE(back.FLines.Equals(holder.FLines)) << back.FLines.Text();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(ComponentToText(&back), text);
}

TEST(TStringListStreamingTest, EmptyListIsNotWritten) {
  TLinesHolder holder(nullptr);
  holder.SetName("Q1");
  EXPECT_EQ(ComponentToText(&holder), "object Q1: TLinesHolder\nend\n");
}

}  // namespace
