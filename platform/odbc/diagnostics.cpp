#include "platform/odbc/diagnostics.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "platform/odbc/utf16.h"

namespace odbc::detail {

static_assert(std::is_same_v<SQLWCHAR, std::uint16_t>,
              "the driver manager must use 2-byte wide characters (UTF-16)");

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
  const SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) return;
  handle_ = SQL_NULL_HANDLE;
  // An environment that cannot be allocated has no diagnostics to read; the
  // others report on their parent.
  if (type == SQL_HANDLE_ENV || parent == SQL_NULL_HANDLE)
    throw Error("Cannot allocate an ODBC environment", "HY001");
  throw DiagnosticError(type == SQL_HANDLE_DBC ? SQL_HANDLE_ENV : SQL_HANDLE_DBC, parent,
                        "Cannot allocate an ODBC handle: ");
}

Handle& Handle::operator=(Handle&& other) noexcept {
  if (this != &other) {
    Reset();
    type_ = other.type_;
    handle_ = other.handle_;
    other.handle_ = SQL_NULL_HANDLE;
  }
  return *this;
}

void Handle::Reset() noexcept {
  if (handle_ == SQL_NULL_HANDLE) return;
  SQLFreeHandle(type_, handle_);
  handle_ = SQL_NULL_HANDLE;
}

Error DiagnosticError(SQLSMALLINT type, SQLHANDLE handle, std::string_view context) {
  std::string message(context);
  std::string firstState;
  int firstNative = 0;
  std::vector<SQLWCHAR> text(1024);
  for (SQLSMALLINT record = 1;; ++record) {
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRecW(type, handle, record, state, &native, text.data(),
                                  static_cast<SQLSMALLINT>(text.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && static_cast<std::size_t>(length) >= text.size()) {
      text.resize(static_cast<std::size_t>(length) + 1);
      rc = SQLGetDiagRecW(type, handle, record, state, &native, text.data(),
                          static_cast<SQLSMALLINT>(text.size()), &length);
    }
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) break;
    if (record == 1) {
      firstState = ToUtf8(state, 5);
      firstNative = static_cast<int>(native);
    } else {
      message += '\n';
    }
    const std::size_t units = std::min(static_cast<std::size_t>(length), text.size() - 1);
    AppendUtf8(text.data(), units, message);
  }
  if (firstState.empty()) message += "Unknown ODBC error (no diagnostic record)";
  return Error(message, firstState, firstNative);
}

}  // namespace odbc::detail
