// Measures the importer's whole-base product and customer passes against a
// bare loop that makes the same procedure calls through the client library
// alone. bench/run prepares the databases and calls this program; see
// bench/README.md.
//
//   bench-przebiegow --dsn NAME --importer-db PATH --recorder-db PATH --bare-db PATH
//
// The three Solvo databases must be new. The importer's passes go to the
// first; the second gets recording procedures and one more importer pass,
// whose calls the bare loop replays into the third. Each side runs twice:
// a first import (every row added) and a rerun (every row unchanged).
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>

#include "bench/bare_loop.h"
#include "bench/call_recorder.h"
#include "bench/importer_pass.h"
#include "platform/firebird/query.h"

namespace {

using bench::Phase;

struct Arguments {
  std::string dsn, importerDb, recorderDb, bareDb;
};

Arguments Parse(int argc, char** argv) {
  Arguments a;
  const std::map<std::string, std::string*> options = {{"--dsn", &a.dsn},
                                                       {"--importer-db", &a.importerDb},
                                                       {"--recorder-db", &a.recorderDb},
                                                       {"--bare-db", &a.bareDb}};
  for (int i = 1; i < argc; ++i) {
    const auto found = options.find(argv[i]);
    if (found == options.end() || i + 1 == argc)
      throw std::invalid_argument(std::string("unknown or incomplete option: ") + argv[i]);
    *found->second = argv[++i];
  }
  for (const auto& [name, value] : options) {
    if (value->empty()) throw std::invalid_argument("missing " + name);
  }
  return a;
}

// Debian's Firebird package keeps the administrator password here.
std::string SysdbaPassword() {
  std::ifstream file("/etc/firebird/3.0/SYSDBA.password");
  for (std::string line; std::getline(file, line);) {
    const std::string key = "ISC_PASSWORD=";
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
    return value;
  }
  throw std::runtime_error("no ISC_PASSWORD in /etc/firebird/3.0/SYSDBA.password");
}

// Lets the disk write out what the previous measurement left in the page
// cache, so that it does not slow down the next one.
void Settle() {
  sync();
  sleep(2);
}

struct PhaseInfo {
  Phase phase;
  const char* name;
  const char* procedure;
  const char* table;  // Solvo's table, for the check that both sides agree
};

std::string Scalar(fb::Database& db, const std::string& select) {
  fb::Transaction t(&db, fb::EndAction::Rollback);
  fb::Query q(&db, &t);
  q.SetSqlText(select);
  q.Open();
  return q.Eof() ? std::string() : q.Field(0).AsString();
}

std::unique_ptr<fb::Database> Admin(const std::string& path, const std::string& password) {
  auto db = std::make_unique<fb::Database>();
  db->databaseName = "localhost:" + path;
  db->params = {"user_name=SYSDBA", "password=" + password, "lc_ctype=WIN1250"};
  db->Open();
  return db;
}

std::string Outcomes(const bench::LoopResult& r) {
  std::string text;
  for (const auto& [outcome, count] : r.outcomes)
    text += (text.empty() ? "" : ", ") + std::to_string(outcome) + ": " + std::to_string(count);
  return text;
}

void Report(const char* what, std::size_t rows, double seconds) {
  std::printf("  %-34s %8zu rows %8.2f s %9.0f rows/s\n", what, rows, seconds,
              seconds > 0 ? static_cast<double>(rows) / seconds : 0.0);
}

std::size_t RowsOf(const std::vector<std::string>& log) {
  for (const std::string& line : log) {
    const std::string key = "  Rekordów do analizy: ";
    if (line.rfind(key, 0) == 0) return std::stoul(line.substr(key.size()));
  }
  throw std::runtime_error("the pass logged no row count");
}

void Summary(const std::vector<std::string>& log) {
  for (const std::string& line : log) {
    if (line.rfind("  Nowych: ", 0) == 0 || line.rfind("  Tempo", 0) == 0 ||
        line.find("przetworzonych") != std::string::npos)
      std::printf("      importer log: %s\n", line.c_str());
  }
}

void Measure(const PhaseInfo& p, const Arguments& a, const std::string& password,
             bench::ImporterRun& importer, bench::ImporterRun& recorder, fb::Database& importerDb,
             fb::Database& bareDb) {
  std::printf("%s (%s)\n", p.name, p.procedure);
  // The calls to replay come first; then the two sides take turns, each
  // after the disk has caught up with the one before.
  recorder.Pass(p.phase);
  bench::RawAttachment source("localhost:" + a.recorderDb, password);
  bench::RawAttachment target("localhost:" + a.bareDb, password);
  const auto recorderDb = Admin(a.recorderDb, password);
  const bench::ProcedureParameters params = bench::ReadProcedureParameters(bareDb, p.procedure);
  bench::BareLoop loop(target, p.procedure, static_cast<unsigned>(params.inputs.size()));
  const auto calls = loop.ReadCalls(source, bench::RecordedCallsSelect(*recorderDb, p.procedure));

  Settle();
  const bench::PassResult first = importer.Pass(p.phase);
  Settle();
  const bench::LoopResult bareFirst = loop.Run(calls);
  Settle();
  const bench::PassResult rerun = importer.Pass(p.phase);
  Settle();
  const bench::LoopResult bareRerun = loop.Run(calls);
  const double sourceRead = importer.SourceReadSeconds(p.phase);
  const std::size_t rows = RowsOf(first.logLines);

  Report("importer, first import", rows, first.seconds);
  Summary(first.logLines);
  Report("bare loop, first import", bareFirst.calls, bareFirst.seconds);
  std::printf("      bare loop outcomes: %s\n", Outcomes(bareFirst).c_str());
  Report("importer, rerun", rows, rerun.seconds);
  Summary(rerun.logLines);
  Report("bare loop, rerun", bareRerun.calls, bareRerun.seconds);
  std::printf("      bare loop outcomes: %s\n", Outcomes(bareRerun).c_str());
  std::printf("  source query alone (ODBC):         %8.2f s\n", sourceRead);
  std::printf("  importer time / bare loop time:    first %.3f, rerun %.3f\n",
              first.seconds / bareFirst.seconds, rerun.seconds / bareRerun.seconds);
  const std::string count = std::string("SELECT COUNT(*) FROM ") + p.table;
  const std::string inImporter = Scalar(importerDb, count);
  const std::string inBare = Scalar(bareDb, count);
  std::printf("  rows in %s: importer %s, bare loop %s%s\n\n", p.table, inImporter.c_str(),
              inBare.c_str(), inImporter == inBare ? "" : "  <-- THEY DIFFER");
}

}  // namespace

int main(int argc, char** argv) {
  try {
    // Figures appear as each measurement ends, also into a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const Arguments a = Parse(argc, argv);
    const std::string password = SysdbaPassword();
    const PhaseInfo phases[] = {
        {Phase::Products, "Products", "SP_IMPORTUJTOWAR", "TOWARY"},
        {Phase::Customers, "Customers", "SP_IMPORTUJKONTRAHENTA", "KONTRAHENT"},
    };
    {
      auto db = Admin(a.recorderDb, password);
      for (const PhaseInfo& p : phases) bench::InstallRecorder(*db, p.procedure);
    }
    bench::ImporterRun importer(a.importerDb, a.dsn);
    bench::ImporterRun recorder(a.recorderDb, a.dsn);
    auto importerDb = Admin(a.importerDb, password);
    auto bareDb = Admin(a.bareDb, password);
    for (const PhaseInfo& p : phases)
      Measure(p, a, password, importer, recorder, *importerDb, *bareDb);
    return 0;
  } catch (const Firebird::FbException& e) {
    std::cerr << "bench-przebiegow: " << bench::ErrorText(e) << "\n";
  } catch (const std::exception& e) {
    std::cerr << "bench-przebiegow: " << e.what() << "\n";
  }
  return 1;
}
