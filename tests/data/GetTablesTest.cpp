#include <gtest/gtest.h>

#include "GetTables.h"

namespace {

TEST(GetTables, TableNamesOfStatements) {
  struct Case {
    const char* sql;
    bool withAlias, keepPath;
    const char* expected;
  } cases[] = {
      {"select * from customer c, orders o", false, false, "customer\r\norders"},
      {"select * from customer c, orders o", true, false, "customer=c\r\norders=o"},
      {"SELECT * FROM Customer AS C WHERE x=1", true, false, "customer=c"},
      {"select * from customer", true, false, "customer=customer"},
      {"select *\r\nfrom customer c\r\nwhere c.id > 0", true, false, "customer=c"},
      {"select *\nfrom t\norder by a", false, false, "t"},
      {"select *   from t", false, false, "t"},
      {"select * from t limit 5", true, false, "t=t"},
      {"select a from t group by a", false, false, "t"},
      {"select a from t union select b from u", false, false, "t"},
      {"select a from t where b in (select c from u)", false, false, "t"},
      {"select a, (select max(b) from u) from t", false, false, "t"},
      {"select * from t where n = ' from x, y'", false, false, "t"},
      {"select * from customer c left outer join orders o on c.id = o.cid where o.n > 1", true, false,
       "customer=c\r\norders=o"},
      {"select * from a join b on a.id=b.id join c on b.id=c.id", false, false, "a\r\nb\r\nc"},
      {"select * from a x inner join b y on (x.id = y.id), d", true, false, "a=x\r\nd=d\r\nb=y"},
      {"select * from a natural join b", false, false, "a\r\nb"},
      {"select * from a join b using (id)", true, false, "a=a\r\nb=b"},
      {"select * from \"my table\" m", true, false, "\"my table\"=m"},
      {"select * from \"my table\" m", false, false, "\"my table\""},
      {"select * from \"my table\"", true, false, "\"my table\"=\"my table\""},
      {"select * from '/data/sales/orders.db' o", false, false, "'data/sales/orders.db'"},
      {"select * from '/data/sales/orders.db' o", false, true, "'/data/sales/orders.db'"},
      {"select * from '/data/sales/orders.db' o", true, false, "'data/sales/orders.db'=o"},
      {"select * from data/orders.db", false, false, "orders.db"},
      {"delete from orders where id=1", false, false, "orders"},
      {"update orders set x=1 where id in (select id from old)", false, false, "orders"},
      {"insert into orders (a, b) values (1, 2)", false, false, "orders"},
      {"insert into orders(a) values (1)", false, false, "orders"},
      {"insert into archive select * from orders", false, false, "archive"},
      {"create table x (a int)", false, false, ""},
      {"", false, false, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GetTableNames(c.sql, c.withAlias, c.keepPath), c.expected)
        << c.sql << " alias=" << c.withAlias << " path=" << c.keepPath;
}

TEST(GetTables, StatementTablesListJoinsAfterTheFromList) {
  EXPECT_EQ(GetStatementTables("select * from customer c left join orders o on c.id = o.cid, items i"),
            "customer c  , items i,orders o,");
  EXPECT_EQ(GetStatementTables("select 1"), "");
}

TEST(GetTables, SubselectTables) {
  struct Case {
    const char* sql;
    bool keepPath;
    const char* expected;
  } cases[] = {
      {"select * from t where a in (select b from u) and c in ( select d from v)", false, "u\r\nv"},
      {"select * from t", false, ""},
      {"select * from t where a in (select b from u where c in (select d from v))", false, "u\r\nv"},
      {"select * from t where a in (select (select max(x) from w) from u)", false, "u\r\nw"},
      {"select * from t where a in (select b\r\nfrom u)", false, "u"},
      {"select * from t where a in (select b from '/x/y/u.db')", false, "u.db"},
      {"select * from t where a in (select b from '/x/y/u.db')", true, "'/x/y/u.db'"},
      {"select * from t where a in (select b from 'u')", false, "'u'"},
      {"select * from t where a in (select 1)", false, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GetSubselectTables(c.sql, c.keepPath), c.expected) << c.sql << " path=" << c.keepPath;
}

}  // namespace
