// Names of the phase codes that the importer announces with WM_ETAP.
#pragma once

#include <cstdint>

namespace host {

// nullptr for a code the host does not know.
const char* PhaseName(std::int64_t code);

}  // namespace host
