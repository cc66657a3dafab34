// The one exception type of the ODBC access layer.
#pragma once

#include <stdexcept>
#include <string>

namespace odbc {

// An error reported by the driver manager or the driver, or by this layer
// (an unknown parameter or field name, a value that does not convert). The
// message (UTF-8) holds the text of every diagnostic record, most important
// first; SqlState and NativeCode come from that first record (empty and 0
// for the layer's own errors). Connection errors never carry the password.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message, std::string sqlState = {}, int nativeCode = 0)
      : std::runtime_error(message), sqlState_(std::move(sqlState)), nativeCode_(nativeCode) {}

  // The five-character SQLSTATE, e.g. "42S02" or "IM002".
  const std::string& SqlState() const noexcept { return sqlState_; }
  // The data source's own error number (SQL Server's message number).
  int NativeCode() const noexcept { return nativeCode_; }
  // The name of this error kind as the logs print it.
  static const char* ClassName() noexcept { return "OdbcError"; }

 private:
  std::string sqlState_;
  int nativeCode_;
};

}  // namespace odbc
