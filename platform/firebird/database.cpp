#include "platform/firebird/database.h"

#include <ibase.h>

#include <algorithm>

#include "platform/firebird/api.h"
#include "platform/firebird/parameter_block.h"
#include "platform/firebird/statement.h"
#include "platform/firebird/transaction.h"

namespace fb {
namespace {

constexpr detail::ParameterTag kDpbTags[] = {
    {"USER_NAME", isc_dpb_user_name},
    {"PASSWORD", isc_dpb_password},
    {"LC_CTYPE", isc_dpb_lc_ctype},
    {"SQL_ROLE_NAME", isc_dpb_sql_role_name},
};

}  // namespace

Database::~Database() {
  Close();
  // Objects that outlive their connection must not reach back into it.
  for (Transaction* t : std::vector<Transaction*>(transactions_)) t->SetDatabase(nullptr);
  for (Statement* s : std::vector<Statement*>(statements_)) s->DatabaseGone();
}

void Database::Open() {
  if (Connected()) return;
  if (beforeConnect) beforeConnect(*this);
  detail::ParameterBlock dpb(Firebird::IXpbBuilder::DPB);
  for (const std::string& line : params) {
    const std::size_t eq = line.find('=');
    const unsigned char tag = detail::TagOf(kDpbTags, line.substr(0, eq), "connection");
    dpb.Text(tag, eq == std::string::npos ? std::string() : line.substr(eq + 1));
  }
  dpb.Integer(isc_dpb_sql_dialect, sqlDialect);
  dpb.Tag(isc_dpb_utf8_filename);
  detail::Status status;
  attachment_ =
      detail::Provider()->attachDatabase(&status, databaseName.c_str(), dpb.Length(), dpb.Buffer());
  if (status.Failed()) {
    attachment_ = nullptr;
    throw status.ToError();
  }
  if (afterConnect) afterConnect(*this);
}

void Database::Close() noexcept {
  if (!attachment_) return;
  for (Transaction* t : std::vector<Transaction*>(transactions_)) t->End();
  for (Statement* s : std::vector<Statement*>(statements_)) s->ReleaseServerObjects();
  detail::Status status;
  attachment_->detach(&status);
  if (status.Failed()) {
    // A connection that is already broken cannot detach cleanly; drop it.
    attachment_->release();
  }
  attachment_ = nullptr;
}

Firebird::IAttachment* Database::Handle() {
  if (!attachment_) throw FirebirdError("Database not connected", -901);
  return attachment_;
}

void Database::Register(Transaction* t) { transactions_.push_back(t); }
void Database::Unregister(Transaction* t) noexcept { std::erase(transactions_, t); }
void Database::Register(Statement* s) { statements_.push_back(s); }
void Database::Unregister(Statement* s) noexcept { std::erase(statements_, s); }

}  // namespace fb
