// Reading rows through TQuery against the same loop written on sqlite3
// itself, side by side on one generated table. Run with
//   DbQueryBench                       the timings
//   DbQueryBench --memory ROWS uni|bi  peak memory of one read of ROWS rows
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "DBTables.h"

namespace {

int64_t RowCount() {
  const char* env = std::getenv("DB_BENCH_ROWS");
  return env ? std::atoll(env) : 1000000;
}

// A STANDARD directory holding big.db: ROWS rows of five columns.
const std::string& Directory(int64_t rows) {
  static std::string dir;
  if (!dir.empty()) return dir;
  dir = (std::filesystem::temp_directory_path() / ("db-bench-" + std::to_string(::getpid()))).string() + "/";
  std::filesystem::create_directories(dir);
  sqlite3* db = nullptr;
  sqlite3_open((dir + "big.db").c_str(), &db);
  std::string sql =
      "create table big (ID INTEGER, NAME VARCHAR(30), AMOUNT FLOAT, SALEDATE DATE, NOTE VARCHAR(40));"
      "with recursive n(i) as (select 1 union all select i + 1 from n where i < " + std::to_string(rows) + ") "
      "insert into big select i, 'Customer number ' || i, i * 0.25, date('2000-01-01', '+' || (i % 9000) || ' days'), "
      "'note ' || (i % 977) from n;";
  sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  sqlite3_close(db);
  return dir;
}

void Cleanup() {
  Session().Close();
  std::filesystem::remove_all(Directory(RowCount()));
}

void BM_DirectSqlite(benchmark::State& state) {
  std::string file = Directory(RowCount()) + "big.db";
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "select * from big", -1, &st, nullptr);
    size_t bytes = 0;
    int64_t rows = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
      for (int i = 0; i < 5; ++i) {
        const unsigned char* text = sqlite3_column_text(st, i);
        bytes += text ? std::strlen(reinterpret_cast<const char*>(text)) : 0;
      }
      ++rows;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    benchmark::DoNotOptimize(bytes);
    state.counters["rows"] = double(rows);
  }
}

size_t ReadAll(bool uni, int64_t& rows) {
  TQuery q(nullptr);
  q.SetDatabaseName(Directory(RowCount()));
  q.SetUniDirectional(uni);
  q.SQL()->SetText("select * from big");
  q.Open();
  size_t bytes = 0;
  rows = 0;
  const int n = q.FieldCount();
  for (; !q.Eof(); q.Next()) {
    for (int i = 0; i < n; ++i) bytes += q.Fields()[i]->AsString().size();
    ++rows;
  }
  return bytes;
}

void BM_Query(benchmark::State& state) {
  bool uni = state.range(0) != 0;
  for (auto _ : state) {
    int64_t rows = 0;
    benchmark::DoNotOptimize(ReadAll(uni, rows));
    state.counters["rows"] = double(rows);
  }
  state.SetLabel(uni ? "UniDirectional" : "bidirectional");
}

BENCHMARK(BM_DirectSqlite)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Query)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  FormatSettings().ShortDateFormat = "dd.mm.yyyy";
  FormatSettings().DateSeparator = '.';
  if (argc == 4 && std::strcmp(argv[1], "--memory") == 0) {
    ::setenv("DB_BENCH_ROWS", argv[2], 1);
    Directory(RowCount());  // made before the measured read
    struct rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    int64_t rows = 0;
    ReadAll(std::strcmp(argv[3], "uni") == 0, rows);
    getrusage(RUSAGE_SELF, &after);
    std::printf("rows %lld  %s  peak RSS %ld KiB (before the read %ld KiB)\n", static_cast<long long>(rows), argv[3],
                after.ru_maxrss, before.ru_maxrss);
    Cleanup();
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Cleanup();
  return 0;
}
