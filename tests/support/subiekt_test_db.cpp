#include "tests/support/subiekt_test_db.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace testing_support {
namespace {

// One ODBC configuration file per test program, set before any data source
// is written or read.
void UseOwnOdbcIni() {
  static const bool done = [] {
    const std::string dir = "/tmp/subiekt-tests-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    setenv("ODBCINI", (dir + "/odbc.ini").c_str(), 1);
    return true;
  }();
  (void)done;
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

}  // namespace

std::unique_ptr<SubiektTestDb> SubiektTestDb::Create(const std::string& name, int scale) {
  UseOwnOdbcIni();
  std::unique_ptr<SubiektTestDb> db(new SubiektTestDb);
  db->dsn_ = "t_" + name + "_" + std::to_string(getpid());
  Run(std::string(SOURCE_DIR) + "/scripts/subiekt-db create " + db->dsn_ + " --scale " +
      std::to_string(scale) + " >/dev/null");
  return db;
}

SubiektTestDb::~SubiektTestDb() {
  const std::string command =
      std::string(SOURCE_DIR) + "/scripts/subiekt-db drop " + dsn_ + " >/dev/null 2>&1";
  [[maybe_unused]] const int ignored = std::system(command.c_str());
}

void SubiektTestDb::Execute(const std::string& sql) {
  const std::string file = "/tmp/subiekt-tests-" + std::to_string(getpid()) + "/stmt.sql";
  std::ofstream(file) << sql << "\n";
  Run("runuser -u postgres -- psql -q -v ON_ERROR_STOP=1 -d " + dsn_ + " -f " + file +
      " >/dev/null");
}

void SubiektTestDb::AddDataSource(const std::string& dsn, const std::string& database) {
  UseOwnOdbcIni();
  std::ofstream(std::getenv("ODBCINI"), std::ios::app)
      << "\n[" << dsn
      << "]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=5432\nDatabase=" << database
      << "\n";
}

}  // namespace testing_support
