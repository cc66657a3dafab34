// A transaction on a Database.
//
// A transaction does not end by itself after a statement: a statement run
// while it is inactive starts it, and it stays active until Commit or
// Rollback. When its connection closes while it is active, its default end
// action is applied. Same thread rules as Database.
#pragma once

#include <string>
#include <vector>

namespace Firebird {
class ITransaction;
}

namespace fb {

class Database;
class Statement;

enum class EndAction { Commit, Rollback };

class Transaction {
 public:
  explicit Transaction(Database* database = nullptr, EndAction defaultAction = EndAction::Commit);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void SetDatabase(Database* database);
  Database* GetDatabase() const { return database_; }

  // "read_committed", "rec_version", "no_rec_version", "wait", "nowait",
  // "concurrency", "consistency", "read", "write"; applied at the next start.
  std::vector<std::string> params;
  EndAction defaultAction;

  bool Active() const { return handle_ != nullptr; }
  // Raise FirebirdError when the server refuses. Starting an active
  // transaction is an error here; the import helpers check Active() first.
  void Start();
  // A commit whose connection broke reports that its outcome is unknown.
  void Commit();
  void Rollback();
  // Ends an active transaction by the default action; never raises.
  void End() noexcept;

  // Starts the transaction when inactive and returns its handle.
  Firebird::ITransaction* Handle();
  void Register(Statement* s);
  void Unregister(Statement* s) noexcept;

 private:
  void CloseCursors() noexcept;

  Database* database_;
  Firebird::ITransaction* handle_ = nullptr;
  std::vector<Statement*> statements_;
};

}  // namespace fb
