// Internal: the rows a query has read, kept compactly: one 8-byte cell per
// column (an integer, the bits of a double, or the offset of a text in one
// shared buffer) and one null flag per cell. Clearing keeps the capacity, so
// walking a result block by block allocates nothing once warmed up.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace odbc::detail {

class RowStore {
 public:
  void Reset(std::size_t columns) {
    columns_ = columns;
    Clear();
  }
  void Clear() noexcept {
    cells_.clear();
    nulls_.clear();
    text_.clear();
  }
  std::size_t Rows() const { return columns_ == 0 ? 0 : nulls_.size() / columns_; }

  // Appends a row whose cells are all NULL; the setters then fill its cells.
  void AddRow() {
    cells_.resize(cells_.size() + columns_);
    nulls_.resize(nulls_.size() + columns_, 1);
  }
  void SetInteger(std::size_t column, std::int64_t v) {
    Set(column, std::bit_cast<std::uint64_t>(v));
  }
  void SetFloat(std::size_t column, double v) { Set(column, std::bit_cast<std::uint64_t>(v)); }
  // Opens a text cell of the last row; the caller appends its bytes to the
  // returned buffer and then calls EndText.
  std::string& BeginText(std::size_t column) {
    Set(column, text_.size());
    text_.append(sizeof(std::uint32_t), '\0');
    return text_;
  }
  void EndText(std::size_t column) {
    const std::size_t start = cells_[LastRowStart() + column];
    const auto length = static_cast<std::uint32_t>(text_.size() - start - sizeof(std::uint32_t));
    std::memcpy(&text_[start], &length, sizeof length);
  }

  bool IsNull(std::size_t row, std::size_t column) const {
    return nulls_[row * columns_ + column] != 0;
  }
  std::int64_t Integer(std::size_t row, std::size_t column) const {
    return std::bit_cast<std::int64_t>(cells_[row * columns_ + column]);
  }
  double Float(std::size_t row, std::size_t column) const {
    return std::bit_cast<double>(cells_[row * columns_ + column]);
  }
  std::string_view Text(std::size_t row, std::size_t column) const {
    const std::size_t start = cells_[row * columns_ + column];
    std::uint32_t length = 0;
    std::memcpy(&length, &text_[start], sizeof length);
    return std::string_view(text_).substr(start + sizeof length, length);
  }

 private:
  std::size_t LastRowStart() const { return cells_.size() - columns_; }
  void Set(std::size_t column, std::uint64_t bits) {
    cells_[LastRowStart() + column] = bits;
    nulls_[LastRowStart() + column] = 0;
  }

  std::size_t columns_ = 0;
  std::vector<std::uint64_t> cells_;
  std::vector<std::uint8_t> nulls_;
  std::string text_;
};

}  // namespace odbc::detail
