#include <functional>

#include "DbFixture.h"

namespace {

class NavigationTest : public DbTest {};

struct Step {
  const char* what;
  std::function<int(TDataSet&)> move;  // answers MoveBy's result, else 0
  int moved;
  int n;  // N of the current row
  bool bof, eof;
};

const Step Steps[] = {
    {"open", [](TDataSet&) { return 0; }, 0, 1, true, false},
    {"next", [](TDataSet& d) { d.Next(); return 0; }, 0, 2, false, false},
    {"moveby 2", [](TDataSet& d) { return d.MoveBy(2); }, 2, 4, false, false},
    {"prior", [](TDataSet& d) { d.Prior(); return 0; }, 0, 3, false, false},
    {"moveby 10 stops at the end", [](TDataSet& d) { return d.MoveBy(10); }, 2, 5, false, true},
    {"next at eof", [](TDataSet& d) { d.Next(); return 0; }, 0, 5, false, true},
    {"moveby -3", [](TDataSet& d) { return d.MoveBy(-3); }, -3, 2, false, false},
    {"moveby -5 stops at the start", [](TDataSet& d) { return d.MoveBy(-5); }, -1, 1, true, false},
    {"prior at bof", [](TDataSet& d) { d.Prior(); return 0; }, 0, 1, true, false},
    {"last", [](TDataSet& d) { d.Last(); return 0; }, 0, 5, false, true},
    {"first", [](TDataSet& d) { d.First(); return 0; }, 0, 1, true, false},
    {"moveby 0", [](TDataSet& d) { return d.MoveBy(0); }, 0, 1, true, false},
};

TEST_F(NavigationTest, BothKindsOfQueryMoveAlike) {
  MakeNums();
  for (bool uni : {false, true}) {
    TQuery q(nullptr);
    q.SetDatabaseName(Data());
    q.SetUniDirectional(uni);
    q.SQL()->SetText("select N, NAME from nums order by N");
    q.Open();
    for (const Step& s : Steps) {
      int moved = s.move(q);
      SCOPED_TRACE(std::string(uni ? "unidirectional " : "bidirectional ") + s.what);
      EXPECT_EQ(moved, s.moved);
      EXPECT_EQ(q.FieldByName("N")->AsInteger(), s.n);
      EXPECT_EQ(q.Bof(), s.bof);
      EXPECT_EQ(q.Eof(), s.eof);
    }
    EXPECT_EQ(q.RecordCount(), 5);
  }
}

TEST_F(NavigationTest, ReadingToTheEndVisitsEveryRowOnce) {
  MakeNums();
  for (bool uni : {false, true}) {
    TQuery q(nullptr);
    q.SetDatabaseName(Data());
    q.SetUniDirectional(uni);
    q.SQL()->Add("select NAME from nums order by N");
    q.Open();
    std::string names;
    for (; !q.Eof(); q.Next()) names += q.Fields()[0]->AsString() + ",";
    EXPECT_EQ(names, "one,two,three,four,five,") << uni;
  }
}

TEST_F(NavigationTest, RecordCountBeforeAllRowsAreFetchedAsksTheDatabase) {
  MakeNums();
  for (bool uni : {false, true}) {
    TQuery q(nullptr);
    q.SetDatabaseName(Data());
    q.SetUniDirectional(uni);
    q.SQL()->SetText("select * from nums where N > :LOW;");
    q.ParamByName("LOW")->SetAsInteger(1);
    q.Open();
    EXPECT_EQ(q.RecordCount(), 4) << uni;
    EXPECT_EQ(q.FieldByName("N")->AsInteger(), 2) << "counting must not move the cursor";
    q.Last();
    EXPECT_EQ(q.RecordCount(), 4) << uni;
  }
}

TEST_F(NavigationTest, EmptyResultIsBofAndEof) {
  MakeNums();
  TQuery q(nullptr);
  q.SetDatabaseName(Data());
  q.SQL()->SetText("select * from nums where N > 100");
  q.Open();
  EXPECT_TRUE(q.IsEmpty());
  EXPECT_EQ(q.MoveBy(3), 0);
  EXPECT_TRUE(q.FieldByName("NAME")->IsNull());
  EXPECT_EQ(q.RecordCount(), 0);
  q.Last();
  EXPECT_TRUE(q.Bof() && q.Eof());
}

TEST_F(NavigationTest, MovingBackInAUnidirectionalQueryRunsTheStatementAgain) {
  MakeNums();
  TQuery q(nullptr);
  q.SetDatabaseName(Data());
  q.SetUniDirectional(true);
  q.SQL()->SetText("select N from nums order by N");
  q.Open();
  q.MoveBy(3);
  // A row added meanwhile shows up only because the statement runs anew.
  Session().OpenDatabase(Data())->Execute("insert into nums values (0, 'zero')");
  q.First();
  EXPECT_EQ(q.Fields()[0]->AsInteger(), 0);
  EXPECT_THROW(q.SetUniDirectional(false), EDatabaseError);  // not while open
}

TEST_F(NavigationTest, ClosedDataSetRefusesToMove) {
  TQuery q(nullptr);
  EXPECT_THROW(q.Next(), EDatabaseError);
  EXPECT_THROW(q.RecordCount(), EDatabaseError);
  EXPECT_TRUE(q.Eof());
  EXPECT_EQ(q.FieldCount(), 0);
}

TEST_F(NavigationTest, EventsFireInOrderWithTheirCounts) {
  MakeNums();
  TQuery q(nullptr);
  q.SetDatabaseName(Data());
  q.SQL()->SetText("select * from nums order by N");
  std::vector<std::string> log;
  auto record = [&](const char* name) {
    return TDataSetNotifyEvent([&log, name, &q](TDataSet* ds) {
      EXPECT_EQ(ds, &q);
      log.push_back(name + std::string(ds->Active() ? "+" : "-"));
    });
  };
  q.BeforeOpen = record("BeforeOpen");
  q.AfterOpen = record("AfterOpen");
  q.BeforeScroll = record("BeforeScroll");
  q.AfterScroll = record("AfterScroll");
  q.BeforeClose = record("BeforeClose");
  q.AfterClose = record("AfterClose");
  q.Open();
  q.Next();
  EXPECT_TRUE(q.Locate("NAME", "FOUR", TLocateOptions{loCaseInsensitive}));
  EXPECT_FALSE(q.Locate("NAME", "none", {}));
  q.Close();
  const std::vector<std::string> expected = {
      "BeforeOpen-", "AfterOpen+", "AfterScroll+",                    // open lands on the first row
      "BeforeScroll+", "AfterScroll+",                                // next
      "BeforeScroll+", "AfterScroll+",                                // locate found
      "BeforeScroll+",                                                // locate not found
      "BeforeClose+", "AfterClose-"};
  EXPECT_EQ(log, expected);
}

TEST_F(NavigationTest, FailingOpenLeavesTheDataSetClosedWithoutAfterOpen) {
  MakeNums();
  TQuery q(nullptr);
  q.SetDatabaseName(Data());
  q.SQL()->SetText("select nosuchcolumn from nums");
  int afterOpen = 0;
  q.AfterOpen = TDataSetNotifyEvent([&](TDataSet*) { ++afterOpen; });
  EXPECT_THROW(q.Open(), EDatabaseError);
  EXPECT_FALSE(q.Active());
  EXPECT_EQ(afterOpen, 0);
}

}  // namespace
