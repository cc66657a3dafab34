// Named parameters (:NAME) in statement text, mapped to the positional '?'
// markers that database servers understand. Pure text work; any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sql {

struct NamedParameter {
  std::string name;                 // as first written in the text
  std::vector<unsigned> positions;  // 0-based positions among the '?' markers
};

struct ParsedSql {
  std::string text;                        // the statement with every :NAME replaced by '?'
  std::vector<NamedParameter> parameters;  // in order of first appearance
};

// Finds :NAME markers outside string literals, quoted identifiers, comments
// and '::' casts. Names compare without regard to ASCII case, so :aID and
// :AID are one parameter; each appearance takes its own position.
ParsedSql ParseNamedParameters(std::string_view sql);

// ASCII case-insensitive equality, used for parameter and field names.
bool SameName(std::string_view a, std::string_view b);

}  // namespace sql
