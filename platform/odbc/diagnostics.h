// Internal: ODBC handles owned by RAII and the conversion of diagnostic
// records into odbc::Error. Only this layer's sources include it.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <string_view>

#include "platform/odbc/error.h"

namespace odbc::detail {

// One ODBC handle, freed when the owner goes.
class Handle {
 public:
  Handle() = default;
  Handle(SQLSMALLINT type, SQLHANDLE parent);  // allocates; raises Error
  ~Handle() { Reset(); }
  Handle(Handle&& other) noexcept : type_(other.type_), handle_(other.handle_) {
    other.handle_ = SQL_NULL_HANDLE;
  }
  Handle& operator=(Handle&& other) noexcept;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  SQLHANDLE Get() const { return handle_; }
  SQLSMALLINT Type() const { return type_; }
  explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }
  void Reset() noexcept;
  // Gives the handle up to a new owner.
  SQLHANDLE Release() noexcept {
    SQLHANDLE h = handle_;
    handle_ = SQL_NULL_HANDLE;
    return h;
  }

 private:
  SQLSMALLINT type_ = 0;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// The error described by the handle's diagnostic records; `context` (may be
// empty) is put in front of the driver's text.
Error DiagnosticError(SQLSMALLINT type, SQLHANDLE handle, std::string_view context = {});

// Raises DiagnosticError unless `rc` is a success (SQL_NO_DATA counts as one:
// callers that care test for it themselves).
inline void Check(SQLRETURN rc, const Handle& handle, std::string_view context = {}) {
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA) return;
  throw DiagnosticError(handle.Type(), handle.Get(), context);
}

}  // namespace odbc::detail
