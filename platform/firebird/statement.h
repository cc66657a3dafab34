// Internal base of Query and StoredProc: one prepared server statement with
// its parameter and result buffers. Prepared once and kept while its text is
// unchanged; released when its connection closes.
#pragma once

#include <firebird/Interface.h>

#include <string>
#include <vector>

#include "platform/firebird/codec.h"
#include "platform/firebird/value.h"

namespace fb {

class Database;
class Transaction;

class Statement {
 public:
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Database* GetDatabase() const { return database_; }
  Transaction* GetTransaction() const { return transaction_; }
  void SetTransaction(Transaction* transaction);

  // Called by the connection and the transaction.
  virtual void ReleaseServerObjects() noexcept;
  virtual void TransactionEnding() noexcept;
  void DatabaseGone() noexcept;

 protected:
  Statement(Database* database, Transaction* transaction);
  virtual ~Statement();

  bool Prepared() const { return statement_ != nullptr; }
  // Prepares `sql` unless it is the text already prepared.
  void Prepare(const std::string& sql);
  void Unprepare() noexcept;
  const std::string& PreparedText() const { return preparedText_; }

  std::size_t InputCount() const { return inputs_.size(); }
  const std::vector<detail::Column>& OutputColumns() const { return outputs_; }
  bool HasCursor() const;

  // Encodes inputs[i] for the i-th '?' of the prepared statement, then runs
  // it. A statement with a cursor opens it; any other statement fills the
  // outputs (EXECUTE PROCEDURE) into `row`.
  void Run(const std::vector<const Value*>& inputs, std::vector<Value>& row);
  // Fetches the next cursor row into `row`; false at the end of the data.
  bool Fetch(std::vector<Value>& row);
  bool CursorOpen() const { return cursor_ != nullptr; }
  void CloseCursor() noexcept;

 private:
  void Bind(const std::vector<const Value*>& inputs);
  void DecodeRow(std::vector<Value>& row);
  detail::BlobContext Blobs();

  Database* database_;
  Transaction* transaction_;
  Firebird::IStatement* statement_ = nullptr;
  Firebird::IMessageMetadata* inMeta_ = nullptr;
  Firebird::IMessageMetadata* outMeta_ = nullptr;
  Firebird::IResultSet* cursor_ = nullptr;
  unsigned type_ = 0;
  std::string preparedText_;
  std::vector<detail::Column> inputs_;
  std::vector<detail::Column> outputs_;
  std::vector<unsigned char> inBuffer_;
  std::vector<unsigned char> outBuffer_;
};

}  // namespace fb
