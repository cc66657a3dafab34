#include "platform/odbc/connection.h"

#include <algorithm>
#include <cstdio>

#include "platform/odbc/diagnostics.h"
#include "platform/odbc/query.h"
#include "platform/odbc/utf16.h"
#include "platform/sql/named_parameters.h"
#include "platform/text/win1250.h"

namespace odbc {
namespace {

struct Login {
  std::string user;
  std::string password;
};

Login ParseParams(const std::vector<std::string>& params) {
  Login login;
  for (std::size_t i = 0; i < params.size(); ++i) {
    const std::string& line = params[i];
    const std::size_t eq = line.find('=');
    // The line itself is not shown: it may be a mistyped password.
    if (eq == std::string::npos)
      throw Error("Connection parameter " + std::to_string(i + 1) + " has no '='");
    const std::string name = text::Trim(std::string_view(line).substr(0, eq));
    const std::string value = line.substr(eq + 1);
    if (sql::SameName(name, "USER NAME")) {
      login.user = value;
    } else if (sql::SameName(name, "PASSWORD")) {
      login.password = value;
    } else if (!sql::SameName(name, "BLOBS TO CACHE") && !sql::SameName(name, "BLOB SIZE")) {
      throw Error("Unknown connection parameter '" + name + "'");
    }
  }
  return login;
}

// Drivers have been known to echo the login back in their messages.
Error WithoutPassword(const Error& e, const std::string& password) {
  std::string message = e.what();
  if (password.empty()) return e;
  for (std::size_t at = message.find(password); at != std::string::npos;
       at = message.find(password, at)) {
    message.replace(at, password.size(), "***");
    at += 3;
  }
  return Error(message, e.SqlState(), e.NativeCode());
}

void Wipe(std::vector<std::uint16_t>& v) { std::fill(v.begin(), v.end(), std::uint16_t{0}); }

}  // namespace

Connection::~Connection() {
  Close();
  for (Query* q : std::vector<Query*>(queries_)) q->ConnectionGone();
}

void Connection::Open() {
  if (Connected()) return;
  Login login = ParseParams(params);
  const std::string context = "Cannot connect to data source '" + dataSource + "': ";
  if (dataSource.empty()) throw Error(context + "no data source name given");

  detail::Handle environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
  detail::Check(SQLSetEnvAttr(environment.Get(), SQL_ATTR_ODBC_VERSION,
                              reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                environment, context);
  detail::Handle connection(SQL_HANDLE_DBC, environment.Get());

  std::vector<std::uint16_t> dsn = detail::ToUtf16z(dataSource);
  std::vector<std::uint16_t> user = detail::ToUtf16z(login.user);
  std::vector<std::uint16_t> password = detail::ToUtf16z(login.password);
  const SQLRETURN rc = SQLConnectW(connection.Get(), dsn.data(), SQL_NTS, user.data(), SQL_NTS,
                                   password.data(), SQL_NTS);
  Wipe(password);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
    const Error e = detail::DiagnosticError(SQL_HANDLE_DBC, connection.Get(), context);
    throw WithoutPassword(e, login.password);
  }
  // Advisory: a driver that cannot enforce it may refuse or ignore it.
  SQLSetConnectAttr(connection.Get(), SQL_ATTR_ACCESS_MODE,
                    reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);

  environment_ = environment.Release();
  connection_ = connection.Release();
}

void Connection::Close() noexcept {
  if (!connection_) return;
  for (Query* q : queries_) q->ConnectionClosing();
  const SQLRETURN rc = SQLDisconnect(connection_);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
    try {
      const Error e = detail::DiagnosticError(SQL_HANDLE_DBC, connection_);
      std::fprintf(stderr, "Disconnecting from %s failed: %s\n", dataSource.c_str(), e.what());
    } catch (...) {
      // Out of memory while reporting: the handles are freed all the same.
    }
  }
  SQLFreeHandle(SQL_HANDLE_DBC, connection_);
  SQLFreeHandle(SQL_HANDLE_ENV, environment_);
  connection_ = nullptr;
  environment_ = nullptr;
}

void* Connection::Handle() const {
  if (!connection_) throw Error("Not connected to data source '" + dataSource + "'", "08003");
  return connection_;
}

void Connection::Register(Query* query) { queries_.push_back(query); }
void Connection::Unregister(Query* query) noexcept { std::erase(queries_, query); }

}  // namespace odbc
