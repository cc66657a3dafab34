#include "platform/firebird/transaction.h"

#include <ibase.h>

#include <algorithm>
#include <cstdio>

#include "platform/firebird/api.h"
#include "platform/firebird/parameter_block.h"
#include "platform/firebird/database.h"
#include "platform/firebird/statement.h"

namespace fb {
namespace {

constexpr detail::ParameterTag kTpbTags[] = {
    {"READ_COMMITTED", isc_tpb_read_committed},
    {"REC_VERSION", isc_tpb_rec_version},
    {"NO_REC_VERSION", isc_tpb_no_rec_version},
    {"WAIT", isc_tpb_wait},
    {"NOWAIT", isc_tpb_nowait},
    {"CONCURRENCY", isc_tpb_concurrency},
    {"CONSISTENCY", isc_tpb_consistency},
    {"READ", isc_tpb_read},
    {"WRITE", isc_tpb_write},
};

}  // namespace

Transaction::Transaction(Database* database, EndAction action)
    : defaultAction(action), database_(database) {
  if (database_) database_->Register(this);
}

Transaction::~Transaction() {
  End();
  for (Statement* s : std::vector<Statement*>(statements_)) s->SetTransaction(nullptr);
  if (database_) database_->Unregister(this);
}

void Transaction::SetDatabase(Database* database) {
  if (database == database_) return;
  End();
  if (database_) database_->Unregister(this);
  database_ = database;
  if (database_) database_->Register(this);
}

void Transaction::Start() {
  if (handle_) throw FirebirdError("Transaction is already active", -901);
  if (!database_) throw FirebirdError("Transaction has no database", -901);
  detail::ParameterBlock tpb(Firebird::IXpbBuilder::TPB);
  for (const std::string& p : params) tpb.Tag(detail::TagOf(kTpbTags, p, "transaction"));
  Firebird::IAttachment* attachment = database_->Handle();
  detail::Status status;
  handle_ = attachment->startTransaction(&status, tpb.Length(), tpb.Buffer());
  if (status.Failed()) {
    handle_ = nullptr;
    throw status.ToError();
  }
}

void Transaction::CloseCursors() noexcept {
  for (Statement* s : std::vector<Statement*>(statements_)) s->TransactionEnding();
}

void Transaction::Commit() {
  if (!handle_) throw FirebirdError("Transaction is not active", -901);
  CloseCursors();
  detail::Status status;
  handle_->commit(&status);
  if (!status.Failed()) {
    handle_ = nullptr;
    return;
  }
  if (status.IsConnectionLost()) {
    // The server may or may not have committed before the line broke.
    handle_->release();
    handle_ = nullptr;
    throw status.ToError("Commit outcome unknown, the connection was lost");
  }
  throw status.ToError();  // still active: the caller may roll back
}

void Transaction::Rollback() {
  if (!handle_) throw FirebirdError("Transaction is not active", -901);
  CloseCursors();
  detail::Status status;
  handle_->rollback(&status);
  if (status.Failed()) {
    handle_->release();
    handle_ = nullptr;
    if (status.IsConnectionLost()) return;  // nothing was committed: the server rolls back
    throw status.ToError();
  }
  handle_ = nullptr;
}

void Transaction::End() noexcept {
  if (!handle_) return;
  try {
    if (defaultAction == EndAction::Commit) {
      Commit();
    } else {
      Rollback();
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Ending a transaction failed: %s\n", e.what());
    if (handle_) {
      try {
        Rollback();
      } catch (...) {
        if (handle_) handle_->release();
        handle_ = nullptr;
      }
    }
  }
}

Firebird::ITransaction* Transaction::Handle() {
  if (!handle_) Start();
  return handle_;
}

void Transaction::Register(Statement* s) { statements_.push_back(s); }
void Transaction::Unregister(Statement* s) noexcept { std::erase(statements_, s); }

}  // namespace fb
