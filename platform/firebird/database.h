// A connection to a Firebird database.
//
// Not thread-safe: one thread at a time may use a Database and everything
// attached to it. Closing (or destroying) it ends every transaction that is
// still active with that transaction's default end action and releases every
// prepared statement.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace Firebird {
class IAttachment;
}

namespace fb {

class Transaction;
class Statement;

class Database {
 public:
  Database() = default;
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // The connect string, e.g. "localhost:/data/crm.fdb".
  std::string databaseName;
  // Connection parameters as "name=value" lines: user_name, password,
  // lc_ctype, sql_role_name.
  std::vector<std::string> params;
  int sqlDialect = 1;
  // Run before every connect attempt (may change databaseName) and after a
  // successful attach. An error from afterConnect leaves the attachment open.
  std::function<void(Database&)> beforeConnect;
  std::function<void(Database&)> afterConnect;

  // Connects unless already connected. Raises FirebirdError on failure; the
  // error text never contains the password.
  void Open();
  // Ends active transactions by their default action, releases statements
  // and detaches. Never raises.
  void Close() noexcept;
  bool Connected() const { return attachment_ != nullptr; }

  // For the layer's own objects.
  Firebird::IAttachment* Handle();
  void Register(Transaction* t);
  void Unregister(Transaction* t) noexcept;
  void Register(Statement* s);
  void Unregister(Statement* s) noexcept;

 private:
  Firebird::IAttachment* attachment_ = nullptr;
  std::vector<Transaction*> transactions_;
  std::vector<Statement*> statements_;
};

}  // namespace fb
