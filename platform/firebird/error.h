// The one exception type of the Firebird access layer.
#pragma once

#include <stdexcept>
#include <string>

namespace fb {

// An error reported by the Firebird client or server, or by this layer when a
// value cannot be converted for the server. Carries the server's message (in
// UTF-8), its SQL code (e.g. -204; 0 when the error carries none) and the
// first ISC error code of the status (0 when none).
class FirebirdError : public std::runtime_error {
 public:
  FirebirdError(const std::string& message, int sqlCode = 0, long iscCode = 0)
      : std::runtime_error(message), sqlCode_(sqlCode), iscCode_(iscCode) {}

  int SqlCode() const noexcept { return sqlCode_; }
  long IscCode() const noexcept { return iscCode_; }
  // The name of this error kind as the logs print it.
  static const char* ClassName() noexcept { return "FirebirdError"; }

 private:
  int sqlCode_;
  long iscCode_;
};

}  // namespace fb
