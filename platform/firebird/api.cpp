#include "platform/firebird/api.h"

#include <ibase.h>

#include <string>

#include "platform/firebird/server_text.h"

namespace fb::detail {

Firebird::IMaster* Master() {
  static Firebird::IMaster* master = Firebird::fb_get_master_interface();
  return master;
}

Firebird::IUtil* Util() {
  static Firebird::IUtil* util = Master()->getUtilInterface();
  return util;
}

Firebird::IProvider* Provider() {
  static Firebird::IProvider* provider = Master()->getDispatcher();
  return provider;
}

FirebirdError Status::ToError(std::string_view context) const {
  const ISC_STATUS* errors = const_cast<Firebird::CheckStatusWrapper&>(wrapper_).getErrors();
  char buffer[2048];
  Util()->formatStatus(buffer, sizeof buffer, const_cast<Firebird::CheckStatusWrapper*>(&wrapper_));
  std::string message(context);
  if (!message.empty()) message += ": ";
  message += ServerTextToUtf8(buffer);
  const long iscCode = errors[0] == isc_arg_gds ? static_cast<long>(errors[1]) : 0;
  return FirebirdError(message, static_cast<int>(isc_sqlcode(errors)), iscCode);
}

void Status::Check(std::string_view context) {
  if (Failed()) throw ToError(context);
}

bool Status::IsConnectionLost() const {
  const ISC_STATUS* errors = const_cast<Firebird::CheckStatusWrapper&>(wrapper_).getErrors();
  for (const ISC_STATUS* p = errors; *p != isc_arg_end;) {
    const ISC_STATUS kind = *p++;
    const ISC_STATUS code = *p++;
    if (kind == isc_arg_gds &&
        (code == isc_network_error || code == isc_net_read_err || code == isc_net_write_err ||
         code == isc_lost_db_connection || code == isc_att_shutdown || code == isc_shutdown))
      return true;
    if (kind == isc_arg_cstring) ++p;  // length-prefixed string takes two slots
  }
  return false;
}

}  // namespace fb::detail
