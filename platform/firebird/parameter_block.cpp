#include "platform/firebird/parameter_block.h"

#include "platform/text/win1250.h"

namespace fb::detail {

unsigned char TagOf(const ParameterTag* tags, std::size_t count, std::string_view name,
                    const char* kind) {
  const std::string wanted = text::UpperAscii(text::Trim(name));
  for (std::size_t i = 0; i < count; ++i) {
    if (wanted == tags[i].name) return tags[i].tag;
  }
  throw FirebirdError(std::string("Unknown ") + kind + " parameter " + wanted, -901);
}

ParameterBlock::ParameterBlock(unsigned kind) {
  Status status;
  builder_ = Util()->getXpbBuilder(&status, kind, nullptr, 0);
  status.Check();
}

void ParameterBlock::Tag(unsigned char tag) {
  Status status;
  builder_->insertTag(&status, tag);
  status.Check();
}

void ParameterBlock::Text(unsigned char tag, const std::string& value) {
  Status status;
  builder_->insertString(&status, tag, value.c_str());
  status.Check();
}

void ParameterBlock::Integer(unsigned char tag, int value) {
  Status status;
  builder_->insertInt(&status, tag, value);
  status.Check();
}

const unsigned char* ParameterBlock::Buffer() {
  Status status;
  const unsigned char* buffer = builder_->getBuffer(&status);
  status.Check();
  return buffer;
}

unsigned ParameterBlock::Length() {
  Status status;
  const unsigned length = builder_->getBufferLength(&status);
  status.Check();
  return length;
}

}  // namespace fb::detail
