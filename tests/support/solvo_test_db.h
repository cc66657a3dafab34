// Reference Solvo databases for the tests that need the real Firebird server
// (started by scripts/setup). Each database is made by scripts/solvo-db in a
// directory of its own under /tmp and removed when the test program ends.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/firebird/database.h"
#include "platform/firebird/transaction.h"

namespace testing_support {

class SolvoTestDb {
 public:
  // A new database; `sample` adds the sample operator and configuration 5.
  static std::unique_ptr<SolvoTestDb> Create(const std::string& name, bool sample = false);
  ~SolvoTestDb();

  const std::string& Directory() const { return directory_; }
  const std::string& Path() const { return path_; }
  // "localhost:" + Path()
  std::string ConnectString() const { return "localhost:" + path_; }

  // Runs statements as the server administrator, each committed.
  void Execute(const std::vector<std::string>& statements);
  // The first column of the first row of a select, as text ("" when none).
  std::string Scalar(const std::string& select);
  // A connection as the server administrator, opened on first use.
  fb::Database& Admin();

 private:
  SolvoTestDb() = default;
  std::string directory_;
  std::string path_;
  std::unique_ptr<fb::Database> admin_;
};

// The server administrator's password, as Debian's package stored it.
std::string SysdbaPassword();

}  // namespace testing_support
