#include "DbFixture.h"

namespace {

class TableTest : public DbTest {
protected:
  std::string Dump(const std::string& table, const std::string& columns = "*") {
    TQuery q(nullptr);
    q.SetDatabaseName(Data());
    q.SQL()->SetText("select " + columns + " from " + table + " order by 1");
    q.Open();
    std::string out;
    for (; !q.Eof(); q.Next()) {
      for (int i = 0; i < q.FieldCount(); ++i) out += (i ? "," : "") + q.Fields()[i]->AsString();
      out += ";";
    }
    return out;
  }
};

TEST_F(TableTest, EditingWritesThroughToTheFile) {
  MakeNums();
  TTable t(nullptr);
  t.SetDatabaseName(Data());
  t.SetTableName("NUMS");  // file names are matched without case
  t.Open();
  EXPECT_EQ(t.FieldCount(), 2) << "the row id stays hidden";
  t.Append();
  EXPECT_EQ(t.State(), dsInsert);
  t.FieldByName("N")->SetAsInteger(6);
  t.FieldByName("NAME")->SetAsString("six");
  t.Post();
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "six");
  EXPECT_TRUE(t.Locate("N", "2", {}));
  t.Edit();
  t.FieldByName("NAME")->SetAsString("TWO");
  t.Next();  // moving posts the edit
  EXPECT_EQ(t.State(), dsBrowse);
  EXPECT_EQ(t.FieldByName("N")->AsInteger(), 3);
  t.Delete();
  EXPECT_EQ(t.FieldByName("N")->AsInteger(), 4) << "the next row becomes current";
  t.Edit();
  t.FieldByName("NAME")->SetAsString("lost");
  t.Cancel();
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "four");
  EXPECT_EQ(t.RecordCount(), 5);
  EXPECT_EQ(Dump("nums"), "1,one;2,TWO;4,four;5,five;6,six;");
  t.Append();
  t.FieldByName("N")->SetAsInteger(1);
  EXPECT_THROW(t.Post(), EDatabaseError);  // the key exists
  t.Cancel();
}

TEST_F(TableTest, QueriesAreReadOnly) {
  MakeNums();
  TQuery q(nullptr);
  q.SetDatabaseName(Data());
  q.SetRequestLive(true);
  q.SQL()->SetText("select * from nums");
  q.Open();
  try {
    q.Edit();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Cannot modify a read-only dataset");
  }
}

TEST_F(TableTest, CreateEmptyAndDeleteATableFile) {
  TTable t(nullptr);
  t.SetTableName(Data() + "made.db");  // a path names a file of its own
  EXPECT_FALSE(t.Exists());
  t.FieldDefs().Add("ID", ftInteger, 0, true);
  t.FieldDefs().Add("NAME", ftString, 30);
  t.FieldDefs().Add("WHEN", ftDate);
  t.FieldDefs().Add("PRICE", ftCurrency);
  t.IndexDefs().Add("", "ID", TIndexOptions{ixPrimary});
  t.IndexDefs().Add("BYNAME", "NAME", TIndexOptions{});
  t.CreateTable();
  EXPECT_TRUE(t.Exists());
  t.Open();
  const std::pair<const char*, TFieldType> types[] = {
      {"ID", ftInteger}, {"NAME", ftString}, {"WHEN", ftDate}, {"PRICE", ftCurrency}};
  for (const auto& [n, type] : types) EXPECT_EQ(t.FieldByName(n)->DataType(), type) << n;
  EXPECT_EQ(t.FieldByName("NAME")->Size(), 30);
  for (int id : {2, 1}) {
    t.Append();
    t.FieldByName("ID")->SetAsInteger(id);
    t.FieldByName("NAME")->SetAsString(id == 1 ? "zeta" : "alpha");
    t.FieldByName("WHEN")->SetAsDateTime(EncodeDate(2022, 3, id));
    t.Post();
  }
  t.Close();
  t.Open();  // ordered by the primary key
  EXPECT_EQ(t.FieldByName("ID")->AsInteger(), 1);
  t.SetIndexName("BYNAME");
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "alpha");
  t.IndexDefs().Update();
  ASSERT_EQ(t.IndexDefs().Count(), 2);
  EXPECT_EQ(t.IndexDefs().Items(0).Fields, "ID");
  EXPECT_TRUE(t.IndexDefs().Items(0).Options.Contains(ixPrimary));
  EXPECT_EQ(t.IndexDefs().Find("byname")->Fields, "NAME");
  t.EmptyTable();
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_THROW(t.DeleteTable(), EDatabaseError);  // not while open
  t.Close();
  t.DeleteTable();
  EXPECT_FALSE(std::filesystem::exists(Data() + "made.db"));
}

TEST_F(TableTest, IndexFieldNamesOrderTheRows) {
  MakeNums();
  TTable t(nullptr);
  t.SetDatabaseName(Data());
  t.SetTableName("nums.db");
  t.SetIndexFieldNames("NAME");
  t.Open();
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "five");
  t.Last();
  EXPECT_EQ(t.FieldByName("NAME")->AsString(), "two");
}

// ---------------------------------------------------------------------------

class BatchMoveTest : public TableTest {
protected:
  void SetUp() override {
    TableTest::SetUp();
    MakeTables();
  }
  void MakeTables() {
    Session().Close();
    std::filesystem::remove(Data() + "src.db");
    std::filesystem::remove(Data() + "dst.db");
    MakeTable("src", "create table src (ID INTEGER, NAME VARCHAR(10), D DATE);"
                     "insert into src values (1,'a','2020-01-01'),(2,'b',null),(3,'c','2020-03-03')");
    MakeTable("dst", "create table dst (ID INTEGER PRIMARY KEY, NAME VARCHAR(10), EXTRA INTEGER);"
                     "insert into dst values (2,'old',7),(9,'keep',8)");
  }
};

TEST_F(BatchMoveTest, FiveModes) {
  struct Case {
    TBatchMode mode;
    int moved;
    const char* dst;
  } cases[] = {
      {batAppend, 0, ""},  // the key 2 exists: the move fails as a whole
      {batUpdate, 1, "2,b,7;9,keep,8;"},
      {batAppendUpdate, 3, "1,a,;2,b,7;3,c,;9,keep,8;"},
      {batDelete, 1, "9,keep,8;"},
      {batCopy, 3, "1,a,2020-01-01;2,b,;3,c,2020-03-03;"},
  };
  for (const Case& c : cases) {
    MakeTables();
    TQuery src(nullptr);
    src.SetDatabaseName(Data());
    src.SetUniDirectional(true);
    src.SQL()->SetText("select * from src order by ID");
    TTable dst(nullptr);
    dst.SetDatabaseName(Data());
    dst.SetTableName("dst");
    TBatchMove bm(nullptr);
    bm.SetSource(&src);
    bm.SetDestination(&dst);
    bm.SetMode(c.mode);
    SCOPED_TRACE(GetEnumName(TypeInfoOf<TBatchMode>(), c.mode));
    if (c.mode == batAppend) {
      EXPECT_THROW(bm.Execute(), EDatabaseError);
      EXPECT_EQ(Dump("dst"), "2,old,7;9,keep,8;") << "rolled back";
    } else {
      bm.Execute();
      EXPECT_EQ(bm.MovedCount(), c.moved);
      EXPECT_EQ(Dump("dst", c.mode == batCopy ? "ID, NAME, D || ''" : "ID, NAME, EXTRA"), c.dst);
    }
  }
}

TEST_F(BatchMoveTest, CopyMakesATypedTableFileAndRecordCountLimits) {
  TQuery src(nullptr);
  src.SetDatabaseName(Data());
  src.SQL()->SetText("select ID, NAME, D, ID * 1.5 as HALF from src order by ID");
  TTable dst(nullptr);
  dst.SetTableName(Root() + "temp_save/COPY.db");
  std::filesystem::create_directories(Root() + "temp_save");
  TBatchMove bm(nullptr);
  bm.SetSource(&src);
  bm.SetDestination(&dst);
  bm.SetMode(batCopy);
  bm.SetRecordCount(2);
  bm.Execute();
  EXPECT_EQ(bm.MovedCount(), 2);
  dst.Open();
  EXPECT_EQ(dst.RecordCount(), 2);
  EXPECT_EQ(dst.FieldByName("D")->DataType(), ftDate);
  EXPECT_EQ(dst.FieldByName("NAME")->Size(), 10);
  EXPECT_EQ(dst.FieldByName("HALF")->DataType(), ftFloat);
  EXPECT_DOUBLE_EQ(dst.FieldByName("D")->AsDateTime(), EncodeDate(2020, 1, 1));
}

TEST_F(BatchMoveTest, KeyViolationsCanBeCountedInsteadOfAborting) {
  TTable src(nullptr);
  src.SetDatabaseName(Data());
  src.SetTableName("src");
  TTable dst(nullptr);
  dst.SetDatabaseName(Data());
  dst.SetTableName("dst");
  TBatchMove bm(nullptr);
  bm.SetSource(&src);
  bm.SetDestination(&dst);
  bm.SetAbortOnKeyViol(false);
  bm.Execute();
  EXPECT_EQ(bm.MovedCount(), 2);
  EXPECT_EQ(bm.KeyViolCount(), 1);
  EXPECT_EQ(Dump("dst", "ID"), "1;2;3;9;");
  TTable unkeyed(nullptr);
  unkeyed.SetDatabaseName(Data());
  unkeyed.SetTableName("src");
  bm.SetDestination(&unkeyed);
  bm.SetMode(batUpdate);
  EXPECT_THROW(bm.Execute(), EDatabaseError);
}

}  // namespace
