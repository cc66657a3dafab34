#include "platform/sql/named_parameters.h"

#include <cctype>
#include <stdexcept>

namespace sql {
namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

// Copies a quoted run (string literal or quoted identifier) starting at i;
// a doubled quote inside stays part of the run. Returns the index after it.
std::size_t CopyQuoted(std::string_view sql, std::size_t i, std::string& out) {
  const char quote = sql[i];
  out += sql[i++];
  while (i < sql.size()) {
    out += sql[i];
    if (sql[i++] == quote) {
      if (i < sql.size() && sql[i] == quote) {
        out += sql[i++];
      } else {
        break;
      }
    }
  }
  return i;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

ParsedSql ParseNamedParameters(std::string_view sql) {
  ParsedSql result;
  result.text.reserve(sql.size());
  unsigned position = 0;
  std::size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == '\'' || c == '"') {
      i = CopyQuoted(sql, i, result.text);
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      const std::size_t end = sql.find('\n', i);
      const std::size_t stop = end == std::string_view::npos ? sql.size() : end;
      result.text.append(sql.substr(i, stop - i));
      i = stop;
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      const std::size_t end = sql.find("*/", i + 2);
      const std::size_t stop = end == std::string_view::npos ? sql.size() : end + 2;
      result.text.append(sql.substr(i, stop - i));
      i = stop;
    } else if (c == '?') {
      result.text += c;
      ++position;
      ++i;
    } else if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {
      // A cast (x::int), not a parameter.
      result.text.append("::");
      i += 2;
    } else if (c == ':' && i + 1 < sql.size() && IsNameStart(sql[i + 1])) {
      std::size_t end = i + 1;
      while (end < sql.size() && IsNameChar(sql[end])) ++end;
      const std::string_view name = sql.substr(i + 1, end - i - 1);
      NamedParameter* found = nullptr;
      for (auto& p : result.parameters) {
        if (SameName(p.name, name)) found = &p;
      }
      if (!found) found = &result.parameters.emplace_back(NamedParameter{std::string(name), {}});
      found->positions.push_back(position++);
      result.text += '?';
      i = end;
    } else {
      result.text += c;
      ++i;
    }
  }
  return result;
}

std::optional<double> ParseDecimal(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  std::string s(text.substr(begin, end - begin));
  for (char& c : s) {
    if (c == ',') c = '.';
  }
  if (s.empty()) return std::nullopt;
  std::size_t used = 0;
  double v = 0;
  try {
    v = std::stod(s, &used);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  if (used != s.size()) return std::nullopt;
  return v;
}

}  // namespace sql
