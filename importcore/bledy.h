// What the logs print of an error: its text, its numeric code and the name
// of its kind, for every error type the importer meets.
#pragma once

#include <exception>
#include <string>

// The SQL code of a database error, the native code of a source-database
// error; 0 for errors that carry none.
int KodBledu(const std::exception& e);
// The name of the error's kind, e.g. "FirebirdError".
std::string NazwaKlasyBledu(const std::exception& e);
