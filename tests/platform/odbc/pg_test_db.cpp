#include "tests/platform/odbc/pg_test_db.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace testing_support {
namespace {

std::string RandomHex(std::size_t length) {
  std::random_device random;
  std::uniform_int_distribution<int> digit(0, 15);
  std::string s;
  for (std::size_t i = 0; i < length; ++i) s += "0123456789abcdef"[digit(random)];
  return s;
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

}  // namespace

std::unique_ptr<PgTestDb> PgTestDb::Create(const std::string& setupSql) {
  std::unique_ptr<PgTestDb> db(new PgTestDb);
  std::string pattern = (std::filesystem::temp_directory_path() / "odbc_test.XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary directory");
  db->directory_ = pattern;
  // Unique among the test programs running now; a leftover of a crashed
  // program with the same process id is dropped first.
  db->name_ = "odbc_test_" + std::to_string(getpid()) + "_" + RandomHex(6);
  db->password_ = "Pw" + RandomHex(20);
  db->Script("drop");
  setenv("PG_TEST_PASSWORD", db->password_.c_str(), 1);
  try {
    db->Script("create");
  } catch (...) {
    unsetenv("PG_TEST_PASSWORD");
    throw;
  }
  unsetenv("PG_TEST_PASSWORD");
  db->Run(setupSql);

  const std::string common =
      "Driver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=5432\nDatabase=" + db->name_ +
      "\nBoolsAsChar=0\n";
  WriteFile(db->directory_ + "/odbc.ini",
            std::string("[") + kDataSource + "]\n" + common + "UseDeclareFetch=1\n\n[" +
                kPlanDataSource + "]\n" + common + "UseDeclareFetch=0\nUseServerSidePrepare=1\n");
  setenv("ODBCINI", (db->directory_ + "/odbc.ini").c_str(), 1);
  return db;
}

PgTestDb::~PgTestDb() {
  unsetenv("ODBCINI");
  try {
    if (!name_.empty()) Script("drop");
  } catch (const std::exception&) {
    // Reported by the script on stderr; the directory goes all the same.
  }
  std::error_code ignored;
  std::filesystem::remove_all(directory_, ignored);
}

std::vector<std::string> PgTestDb::LoginParams() const {
  return {"USER NAME=" + name_, "PASSWORD=" + password_};
}

void PgTestDb::Run(const std::string& sql) {
  const std::string file = directory_ + "/run.sql";
  WriteFile(file, sql);
  Script("run", file);
}

void PgTestDb::Script(const std::string& command, const std::string& stdinFile) {
  std::string line = "bash '" SOURCE_DIR "/tests/support/pg_test_db.sh' " + command + " " + name_;
  if (!stdinFile.empty()) line += " < '" + stdinFile + "'";
  const int status = std::system(line.c_str());
  if (status != 0)
    throw std::runtime_error("pg_test_db.sh " + command + " failed (status " +
                             std::to_string(status) + ")");
}

}  // namespace testing_support
