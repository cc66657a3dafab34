// The Firebird client library used directly, with nothing of the importer's
// between: the baseline the importer's passes are measured against.
#pragma once

#include <firebird/Interface.h>

#include <string>

namespace bench {

// An attachment as SYSDBA with the importer's connection character set.
class RawAttachment {
 public:
  RawAttachment(const std::string& database, const std::string& password);
  ~RawAttachment();
  RawAttachment(const RawAttachment&) = delete;
  RawAttachment& operator=(const RawAttachment&) = delete;

  Firebird::IAttachment* get() const { return attachment_; }
  Firebird::ThrowStatusWrapper& status() { return status_; }
  // Read committed, record versions, waiting on locks, read-write: the
  // importer's shared transaction.
  Firebird::ITransaction* StartTransaction();

 private:
  Firebird::ThrowStatusWrapper status_;
  Firebird::IAttachment* attachment_ = nullptr;
};

// The text of a client-library error.
std::string ErrorText(const Firebird::FbException& e);

}  // namespace bench
