// A read-only connection to an ODBC data source (a DSN of the driver
// manager), the owner of the statements of its queries.
//
// Not thread-safe: one thread at a time may use a Connection and every
// Query on it. Closing (or destroying) it releases the prepared statements
// of its queries; they prepare again on their next Open after a reconnect.
#pragma once

#include <string>
#include <vector>

namespace odbc {

class Query;

class Connection {
 public:
  Connection() = default;
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // The data source name as configured in odbc.ini.
  std::string dataSource;
  // Connection parameters as "name=value" lines, names without regard to
  // case: "USER NAME" and "PASSWORD" are the login; "BLOBS TO CACHE" and
  // "BLOB SIZE" are accepted and have no effect (long values are always read
  // whole). Any other name is an error at Open.
  std::vector<std::string> params;

  // Connects unless already connected, then asks the driver for read-only
  // access (drivers that do not support the request ignore it). Raises
  // odbc::Error naming the data source; the text never holds the password.
  void Open();
  // Releases the queries' statements and disconnects. Never raises.
  void Close() noexcept;
  bool Connected() const { return connection_ != nullptr; }

  // For the layer's own objects: the connection handle (raises odbc::Error
  // when not connected) and the queries to release on Close.
  void* Handle() const;
  void Register(Query* query);
  void Unregister(Query* query) noexcept;

 private:
  void* environment_ = nullptr;
  void* connection_ = nullptr;
  std::vector<Query*> queries_;
};

}  // namespace odbc
