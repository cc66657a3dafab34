#include "importcore/bledy.h"

#include "platform/firebird/error.h"
#include "platform/odbc/error.h"
#include "platform/system/text_file.h"

int KodBledu(const std::exception& e) {
  if (const auto* fb = dynamic_cast<const fb::FirebirdError*>(&e)) return fb->SqlCode();
  if (const auto* odbc = dynamic_cast<const odbc::Error*>(&e))
    return static_cast<int>(odbc->NativeCode());
  return 0;
}

std::string NazwaKlasyBledu(const std::exception& e) {
  if (dynamic_cast<const fb::FirebirdError*>(&e)) return fb::FirebirdError::ClassName();
  if (dynamic_cast<const odbc::Error*>(&e)) return odbc::Error::ClassName();
  if (dynamic_cast<const sys::FileError*>(&e)) return sys::FileError::ClassName();
  return "Exception";
}
