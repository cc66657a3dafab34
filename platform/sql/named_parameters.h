// Named parameters (:NAME) in statement text, mapped to the positional '?'
// markers that database servers understand. Pure text work; any thread.
#pragma once

#include <algorithm>
#include <optional>
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

// One parameter object per name (constructed from the name) and, for each
// '?' position, the parameter bound there; plain '?' markers stay null.
template <typename Param>
void BindByName(const ParsedSql& parsed, std::vector<Param>& params,
                std::vector<const Param*>& markers) {
  params.clear();
  params.reserve(parsed.parameters.size());
  std::size_t count = 0;
  for (const auto& p : parsed.parameters) {
    params.emplace_back(p.name);
    for (unsigned pos : p.positions) count = std::max<std::size_t>(count, pos + 1);
  }
  markers.assign(count, nullptr);
  for (std::size_t i = 0; i < parsed.parameters.size(); ++i) {
    for (unsigned pos : parsed.parameters[i].positions) markers[pos] = &params[i];
  }
}

// A number written as text, with either '.' or ',' as the decimal separator
// and blanks around it; nullopt when the text is not a number.
std::optional<double> ParseDecimal(std::string_view text);

}  // namespace sql
