// Internal: conversions between Values and the server's message buffers.
// Every type conversion of the layer happens here.
#pragma once

#include <firebird/Interface.h>

#include <string>
#include <vector>

#include "platform/firebird/value.h"

namespace fb::detail {

// One parameter or column of a prepared statement, as the server declared it.
struct Column {
  std::string name;  // alias for select columns, field name otherwise
  unsigned type = 0;
  int subType = 0;
  unsigned length = 0;
  int scale = 0;
  unsigned charset = 0;
  unsigned offset = 0;
  unsigned nullOffset = 0;
};

std::vector<Column> DescribeColumns(Firebird::IMessageMetadata* meta);

// Where blobs are created and read.
struct BlobContext {
  Firebird::IAttachment* attachment;
  Firebird::ITransaction* transaction;
};

// Writes value into the message buffer as the column's type; raises
// FirebirdError when it does not fit (text too long, not a number).
void Encode(const Value& value, const Column& column, unsigned char* buffer,
            const BlobContext& blobs);
// Reads the column from the message buffer into value.
void Decode(const Column& column, const unsigned char* buffer, Value& value,
            const BlobContext& blobs);

// The program's date-time (days since 30 Dec 1899) and the server's timestamp.
ISC_TIMESTAMP ToTimestamp(dt::DateTime value);
dt::DateTime FromTimestamp(ISC_DATE date, ISC_TIME time);

}  // namespace fb::detail
