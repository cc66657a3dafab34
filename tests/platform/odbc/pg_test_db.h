// A PostgreSQL database standing in for the source SQL Server: its own role
// and database (made by tests/support/pg_test_db.sh, dropped at the end) and
// its own odbc.ini, which ODBCINI points to while the object lives.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace testing_support {

class PgTestDb {
 public:
  // Reads rows in chunks through a declared cursor, as a large import does.
  static constexpr const char* kDataSource = "pg_test";
  // Prepares statements on the server, where pg_prepared_statements shows
  // them (declared cursors hide them).
  static constexpr const char* kPlanDataSource = "pg_test_plans";

  // A new database; `setupSql` runs in it as its owner.
  static std::unique_ptr<PgTestDb> Create(const std::string& setupSql);
  ~PgTestDb();
  PgTestDb(const PgTestDb&) = delete;
  PgTestDb& operator=(const PgTestDb&) = delete;

  const std::string& User() const { return name_; }
  const std::string& Password() const { return password_; }
  // "USER NAME=…" and "PASSWORD=…" for odbc::Connection::params.
  std::vector<std::string> LoginParams() const;
  // Runs statements as the owner; raises std::runtime_error on failure.
  void Run(const std::string& sql);

 private:
  PgTestDb() = default;
  void Script(const std::string& command, const std::string& stdinFile = {});

  std::string directory_;
  std::string name_;
  std::string password_;
};

}  // namespace testing_support
