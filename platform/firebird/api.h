// Internal to the Firebird access layer: the client library's entry points
// and the status check that turns a failed call into a FirebirdError.
#pragma once

#include <firebird/Interface.h>

#include <string_view>

#include "platform/firebird/error.h"

namespace fb::detail {

Firebird::IMaster* Master();
Firebird::IUtil* Util();
Firebird::IProvider* Provider();

// A status for one client call; Check() raises the error it holds, if any.
class Status {
 public:
  Status() : status_(Master()->getStatus()), wrapper_(status_) {}
  ~Status() { status_->dispose(); }
  Status(const Status&) = delete;
  Status& operator=(const Status&) = delete;

  Firebird::CheckStatusWrapper* operator&() { return &wrapper_; }
  bool Failed() const { return (wrapper_.getState() & Firebird::IStatus::STATE_ERRORS) != 0; }
  // Raises a FirebirdError with the status's message and codes when it
  // failed; `context` (may be empty) goes in front of the server's message.
  void Check(std::string_view context = {});
  FirebirdError ToError(std::string_view context = {}) const;
  // True when the failure is a lost or broken network connection.
  bool IsConnectionLost() const;

 private:
  Firebird::IStatus* status_;
  Firebird::CheckStatusWrapper wrapper_;
};

}  // namespace fb::detail
