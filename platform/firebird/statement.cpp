#include "platform/firebird/statement.h"

#include <ibase.h>

#include "platform/firebird/api.h"
#include "platform/firebird/database.h"
#include "platform/firebird/transaction.h"
#include "platform/text/win1250.h"

namespace fb {

Statement::Statement(Database* database, Transaction* transaction)
    : database_(database), transaction_(transaction) {
  if (database_) database_->Register(this);
  if (transaction_) transaction_->Register(this);
}

Statement::~Statement() {
  Statement::ReleaseServerObjects();
  if (transaction_) transaction_->Unregister(this);
  if (database_) database_->Unregister(this);
}

void Statement::SetTransaction(Transaction* transaction) {
  if (transaction == transaction_) return;
  CloseCursor();
  if (transaction_) transaction_->Unregister(this);
  transaction_ = transaction;
  if (transaction_) transaction_->Register(this);
}

void Statement::ReleaseServerObjects() noexcept { Unprepare(); }

void Statement::DatabaseGone() noexcept {
  ReleaseServerObjects();
  database_ = nullptr;
}

void Statement::TransactionEnding() noexcept { CloseCursor(); }

void Statement::CloseCursor() noexcept {
  if (!cursor_) return;
  detail::Status status;
  cursor_->close(&status);
  if (status.Failed()) cursor_->release();  // the server side is gone anyway
  cursor_ = nullptr;
}

void Statement::Unprepare() noexcept {
  CloseCursor();
  if (inMeta_) inMeta_->release();
  if (outMeta_) outMeta_->release();
  inMeta_ = outMeta_ = nullptr;
  if (statement_) {
    detail::Status status;
    statement_->free(&status);
    if (status.Failed()) statement_->release();
    statement_ = nullptr;
  }
  preparedText_.clear();
  inputs_.clear();
  outputs_.clear();
}

void Statement::Prepare(const std::string& sql) {
  if (statement_ && sql == preparedText_) return;
  Unprepare();
  if (!database_ || !database_->Connected()) throw FirebirdError("Database not connected", -901);
  if (!transaction_) throw FirebirdError("Statement has no transaction", -901);
  detail::Status status;
  Firebird::ITransaction* tra = transaction_->Handle();
  // The statement text travels in the connection's character set, like
  // every other text.
  const std::string serverText = text::Utf8ToWin1250(sql);
  statement_ = database_->Handle()->prepare(&status, tra, 0, serverText.c_str(),
                                            static_cast<unsigned>(database_->sqlDialect),
                                            Firebird::IStatement::PREPARE_PREFETCH_METADATA);
  status.Check();
  type_ = statement_->getType(&status);
  inMeta_ = statement_->getInputMetadata(&status);
  outMeta_ = statement_->getOutputMetadata(&status);
  if (status.Failed()) {
    FirebirdError error = status.ToError();
    Unprepare();
    throw error;
  }
  inputs_ = detail::DescribeColumns(inMeta_);
  outputs_ = detail::DescribeColumns(outMeta_);
  inBuffer_.assign(inMeta_->getMessageLength(&status), 0);
  outBuffer_.assign(outMeta_->getMessageLength(&status), 0);
  preparedText_ = sql;
}

bool Statement::HasCursor() const {
  return type_ == isc_info_sql_stmt_select || type_ == isc_info_sql_stmt_select_for_upd;
}

detail::BlobContext Statement::Blobs() {
  return detail::BlobContext{database_->Handle(), transaction_->Handle()};
}

void Statement::Bind(const std::vector<const Value*>& inputs) {
  const detail::BlobContext blobs = Blobs();
  static const Value kNull;
  for (std::size_t i = 0; i < inputs_.size(); ++i) {
    const Value* v = i < inputs.size() && inputs[i] ? inputs[i] : &kNull;
    detail::Encode(*v, inputs_[i], inBuffer_.data(), blobs);
  }
}

void Statement::DecodeRow(std::vector<Value>& row) {
  const detail::BlobContext blobs = Blobs();
  for (std::size_t i = 0; i < outputs_.size(); ++i)
    detail::Decode(outputs_[i], outBuffer_.data(), row[i], blobs);
}

void Statement::Run(const std::vector<const Value*>& inputs, std::vector<Value>& row) {
  CloseCursor();
  Firebird::ITransaction* tra = transaction_->Handle();
  Bind(inputs);
  detail::Status status;
  if (HasCursor()) {
    cursor_ = statement_->openCursor(&status, tra, inMeta_, inBuffer_.data(), outMeta_, 0);
    status.Check();
    return;
  }
  statement_->execute(&status, tra, inMeta_, inBuffer_.data(), outMeta_, outBuffer_.data());
  status.Check();
  if (!outputs_.empty()) DecodeRow(row);
}

bool Statement::Fetch(std::vector<Value>& row) {
  if (!cursor_) return false;
  detail::Status status;
  const int result = cursor_->fetchNext(&status, outBuffer_.data());
  if (result == Firebird::IStatus::RESULT_NO_DATA) {
    CloseCursor();
    return false;
  }
  status.Check();
  DecodeRow(row);
  return true;
}

}  // namespace fb
