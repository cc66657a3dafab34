#include "platform/firebird/database.h"

#include <ibase.h>

#include <algorithm>
#include <cstdio>

#include "platform/firebird/api.h"
#include "platform/firebird/statement.h"
#include "platform/firebird/transaction.h"
#include "platform/text/win1250.h"

namespace fb {
namespace {

struct DpbTag {
  const char* name;
  unsigned char tag;
};

constexpr DpbTag kDpbTags[] = {
    {"USER_NAME", isc_dpb_user_name},
    {"PASSWORD", isc_dpb_password},
    {"LC_CTYPE", isc_dpb_lc_ctype},
    {"SQL_ROLE_NAME", isc_dpb_sql_role_name},
};

// Builds the attach parameters. Errors name the parameter, never its value.
Firebird::IXpbBuilder* BuildDpb(const std::vector<std::string>& params, int dialect) {
  detail::Status status;
  Firebird::IXpbBuilder* dpb =
      detail::Util()->getXpbBuilder(&status, Firebird::IXpbBuilder::DPB, nullptr, 0);
  status.Check();
  try {
    for (const std::string& line : params) {
      const std::size_t eq = line.find('=');
      const std::string name = text::UpperAscii(text::Trim(line.substr(0, eq)));
      const std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
      const auto* known = std::find_if(std::begin(kDpbTags), std::end(kDpbTags),
                                       [&](const DpbTag& t) { return name == t.name; });
      if (known == std::end(kDpbTags))
        throw FirebirdError("Unknown connection parameter " + name, -901);
      dpb->insertString(&status, known->tag, value.c_str());
      status.Check();
    }
    dpb->insertInt(&status, isc_dpb_sql_dialect, dialect);
    dpb->insertTag(&status, isc_dpb_utf8_filename);
    status.Check();
  } catch (...) {
    dpb->dispose();
    throw;
  }
  return dpb;
}

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
  Firebird::IXpbBuilder* dpb = BuildDpb(params, sqlDialect);
  detail::Status status;
  const unsigned char* buffer = dpb->getBuffer(&status);
  const unsigned length = dpb->getBufferLength(&status);
  attachment_ = detail::Provider()->attachDatabase(&status, databaseName.c_str(), length, buffer);
  dpb->dispose();
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
