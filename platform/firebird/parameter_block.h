// Internal: the attach and transaction parameter blocks, built from the
// "name" / "name=value" lines the layer's users write.
#pragma once

#include <firebird/Interface.h>

#include <string>
#include <string_view>

#include "platform/firebird/api.h"

namespace fb::detail {

struct ParameterTag {
  const char* name;  // upper case
  unsigned char tag;
};

// The tag of `name` (case does not matter) among `tags`. Raises
// FirebirdError naming the unknown parameter, never a value.
unsigned char TagOf(const ParameterTag* tags, std::size_t count, std::string_view name,
                    const char* kind);
template <std::size_t N>
unsigned char TagOf(const ParameterTag (&tags)[N], std::string_view name, const char* kind) {
  return TagOf(tags, N, name, kind);
}

// One parameter block, disposed of with its owner.
class ParameterBlock {
 public:
  explicit ParameterBlock(unsigned kind);
  ~ParameterBlock() { builder_->dispose(); }
  ParameterBlock(const ParameterBlock&) = delete;
  ParameterBlock& operator=(const ParameterBlock&) = delete;

  void Tag(unsigned char tag);
  void Text(unsigned char tag, const std::string& value);
  void Integer(unsigned char tag, int value);
  const unsigned char* Buffer();
  unsigned Length();

 private:
  Firebird::IXpbBuilder* builder_;
};

}  // namespace fb::detail
