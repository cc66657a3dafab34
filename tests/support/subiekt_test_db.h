// Subiekt GT stand-in databases for tests: made by scripts/subiekt-db on the
// local PostgreSQL server, with their ODBC data source in an ODBC
// configuration file of the test program's own (ODBCINI is set for the
// whole process, so the importer started by the test finds it too).
#pragma once

#include <memory>
#include <string>

namespace testing_support {

class SubiektTestDb {
 public:
  // A new stand-in; `name` is made unique to this test program.
  static std::unique_ptr<SubiektTestDb> Create(const std::string& name, int scale = 1);
  ~SubiektTestDb();

  // The ODBC data source name, also the PostgreSQL database name.
  const std::string& Dsn() const { return dsn_; }
  // Runs SQL on the stand-in as PostgreSQL's superuser.
  void Execute(const std::string& sql);
  // Adds a data source of its own pointing to another database.
  static void AddDataSource(const std::string& dsn, const std::string& database);

 private:
  SubiektTestDb() = default;
  std::string dsn_;
};

}  // namespace testing_support
