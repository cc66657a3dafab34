#include "tests/support/solvo_test_db.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/firebird/query.h"

namespace testing_support {

std::string SysdbaPassword() {
  std::ifstream file("/etc/firebird/3.0/SYSDBA.password");
  std::string line;
  while (std::getline(file, line)) {
    const std::string key = "ISC_PASSWORD=";
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    return value;
  }
  throw std::runtime_error("no ISC_PASSWORD in /etc/firebird/3.0/SYSDBA.password");
}

std::unique_ptr<SolvoTestDb> SolvoTestDb::Create(const std::string& name, bool sample) {
  std::unique_ptr<SolvoTestDb> db(new SolvoTestDb);
  db->directory_ = "/tmp/solvo-tests-" + std::to_string(getpid()) + "/" + name;
  db->path_ = db->directory_ + "/crm.fdb";
  const std::string command = std::string(SOURCE_DIR) + "/scripts/solvo-db create '" + db->path_ +
                              "'" + (sample ? " --sample" : "") + " >/dev/null";
  if (std::system(command.c_str()) != 0)
    throw std::runtime_error("scripts/solvo-db could not create " + db->path_);
  return db;
}

SolvoTestDb::~SolvoTestDb() {
  admin_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(directory_, ignored);
}

fb::Database& SolvoTestDb::Admin() {
  if (!admin_) {
    admin_ = std::make_unique<fb::Database>();
    admin_->databaseName = ConnectString();
    admin_->params = {"user_name=SYSDBA", "password=" + SysdbaPassword(), "lc_ctype=WIN1250"};
    admin_->Open();
  }
  return *admin_;
}

void SolvoTestDb::Execute(const std::vector<std::string>& statements) {
  fb::Transaction t(&Admin(), fb::EndAction::Rollback);
  t.params = {"read_committed", "rec_version", "nowait"};
  fb::Query q(&Admin(), &t);
  q.SetParamCheck(false);
  for (const std::string& sql : statements) {
    q.SetSqlText(sql);
    q.ExecSQL();
    t.Commit();
  }
}

std::string SolvoTestDb::Scalar(const std::string& select) {
  fb::Transaction t(&Admin(), fb::EndAction::Commit);
  t.params = {"read_committed", "rec_version", "nowait"};
  fb::Query q(&Admin(), &t);
  q.SetParamCheck(false);
  q.SetSqlText(select);
  q.Open();
  return q.Eof() ? std::string() : q.Field(0).AsString();
}

}  // namespace testing_support
