#include "platform/firebird/codec.h"

#include <ibase.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/firebird/api.h"
#include "platform/text/win1250.h"

namespace fb::detail {
namespace {

constexpr unsigned kCharsetOctets = 1;
constexpr ISC_DATE kModifiedJulianOf18991230 = 15018;
constexpr double kTimeUnitsPerDay = 86400.0 * ISC_TIME_SECONDS_PRECISION;
constexpr unsigned kBlobSegment = 32 * 1024;

[[noreturn]] void ConversionError(const Column& column, const std::string& what) {
  // -303: the server's code for a conversion error from a string; -802 for
  // truncation. Callers print the code, so keep it like the server's.
  const bool truncation = what.find("truncation") != std::string::npos;
  throw FirebirdError("Parameter " + column.name + ": " + what, truncation ? -802 : -303,
                      truncation ? isc_string_truncation : isc_convert_error);
}

std::string ToServerText(const std::string& utf8, const Column& column) {
  return column.charset == kCharsetOctets ? utf8 : text::Utf8ToWin1250(utf8);
}

std::string FromServerText(const char* data, std::size_t size, const Column& column) {
  std::string_view raw(data, size);
  return column.charset == kCharsetOctets ? std::string(raw) : text::Win1250ToUtf8(raw);
}

double Scale(int scale) { return std::pow(10.0, scale); }

template <typename T>
void PutInteger(std::int64_t v, const Column& column, unsigned char* at) {
  if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max())
    ConversionError(column, "arithmetic overflow");
  const T narrow = static_cast<T>(v);
  std::memcpy(at, &narrow, sizeof narrow);
}

void PutExact(const Value& value, const Column& column, unsigned char* at) {
  std::int64_t raw;
  if (column.scale == 0 && value.GetKind() == Value::Kind::Integer) {
    raw = value.AsInt64();
  } else {
    // Half away from zero, as the server converts a number to a scaled one.
    const double scaled = std::round(value.AsFloat() * Scale(-column.scale));
    if (!(std::fabs(scaled) < 9.2e18)) ConversionError(column, "arithmetic overflow");
    raw = static_cast<std::int64_t>(scaled);
  }
  switch (column.type) {
    case SQL_SHORT:
      PutInteger<std::int16_t>(raw, column, at);
      break;
    case SQL_LONG:
      PutInteger<std::int32_t>(raw, column, at);
      break;
    default:
      PutInteger<std::int64_t>(raw, column, at);
      break;
  }
}

ISC_QUAD WriteBlob(const std::string& bytes, const BlobContext& blobs) {
  Status status;
  ISC_QUAD id{};
  Firebird::IBlob* blob = blobs.attachment->createBlob(&status, blobs.transaction, &id, 0, nullptr);
  status.Check("Creating a blob");
  for (std::size_t done = 0; done < bytes.size();) {
    const unsigned chunk =
        static_cast<unsigned>(std::min<std::size_t>(kBlobSegment, bytes.size() - done));
    blob->putSegment(&status, chunk, bytes.data() + done);
    if (status.Failed()) {
      FirebirdError error = status.ToError("Writing a blob");
      Status ignored;
      blob->cancel(&ignored);
      throw error;
    }
    done += chunk;
  }
  blob->close(&status);
  status.Check("Writing a blob");
  return id;
}

std::string ReadBlob(ISC_QUAD id, const BlobContext& blobs) {
  Status status;
  Firebird::IBlob* blob = blobs.attachment->openBlob(&status, blobs.transaction, &id, 0, nullptr);
  status.Check("Opening a blob");
  std::string bytes;
  char buffer[kBlobSegment];
  for (;;) {
    unsigned got = 0;
    const int result = blob->getSegment(&status, sizeof buffer, buffer, &got);
    if (result == Firebird::IStatus::RESULT_OK || result == Firebird::IStatus::RESULT_SEGMENT) {
      bytes.append(buffer, got);
      continue;
    }
    if (result == Firebird::IStatus::RESULT_NO_DATA) break;
    FirebirdError error = status.ToError("Reading a blob");
    Status ignored;
    blob->close(&ignored);
    throw error;
  }
  blob->close(&status);
  status.Check("Reading a blob");
  return bytes;
}

}  // namespace

ISC_TIMESTAMP ToTimestamp(dt::DateTime value) {
  double days = std::floor(value);
  double units = std::nearbyint((value - days) * kTimeUnitsPerDay);
  if (units >= kTimeUnitsPerDay) {
    units -= kTimeUnitsPerDay;
    days += 1;
  }
  ISC_TIMESTAMP ts;
  ts.timestamp_date = static_cast<ISC_DATE>(days) + kModifiedJulianOf18991230;
  ts.timestamp_time = static_cast<ISC_TIME>(units);
  return ts;
}

dt::DateTime FromTimestamp(ISC_DATE date, ISC_TIME time) {
  return static_cast<double>(date - kModifiedJulianOf18991230) +
         static_cast<double>(time) / kTimeUnitsPerDay;
}

std::vector<Column> DescribeColumns(Firebird::IMessageMetadata* meta) {
  Status status;
  const unsigned count = meta->getCount(&status);
  status.Check();
  std::vector<Column> columns(count);
  for (unsigned i = 0; i < count; ++i) {
    Column& c = columns[i];
    const char* alias = meta->getAlias(&status, i);
    const char* field = meta->getField(&status, i);
    c.name = alias && *alias ? alias : field ? field : "";
    c.type = meta->getType(&status, i) & ~1u;
    c.subType = meta->getSubType(&status, i);
    c.length = meta->getLength(&status, i);
    c.scale = meta->getScale(&status, i);
    c.charset = meta->getCharSet(&status, i);
    c.offset = meta->getOffset(&status, i);
    c.nullOffset = meta->getNullOffset(&status, i);
    status.Check("Reading statement metadata");
  }
  return columns;
}

void Encode(const Value& value, const Column& column, unsigned char* buffer,
            const BlobContext& blobs) {
  auto* nullFlag = reinterpret_cast<short*>(buffer + column.nullOffset);
  if (value.IsNull()) {
    *nullFlag = -1;
    return;
  }
  *nullFlag = 0;
  unsigned char* at = buffer + column.offset;
  switch (column.type) {
    case SQL_VARYING:
    case SQL_TEXT: {
      const std::string bytes = ToServerText(value.AsString(), column);
      if (bytes.size() > column.length)
        ConversionError(column, "string right truncation (" + std::to_string(bytes.size()) +
                                    " characters for " + std::to_string(column.length) + ")");
      if (column.type == SQL_VARYING) {
        const auto size = static_cast<ISC_USHORT>(bytes.size());
        std::memcpy(at, &size, sizeof size);
        std::memcpy(at + sizeof size, bytes.data(), bytes.size());
      } else {
        std::memcpy(at, bytes.data(), bytes.size());
        std::memset(at + bytes.size(), ' ', column.length - bytes.size());
      }
      break;
    }
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
      PutExact(value, column, at);
      break;
    case SQL_FLOAT: {
      const auto v = static_cast<float>(value.AsFloat());
      std::memcpy(at, &v, sizeof v);
      break;
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
      const double v = value.AsFloat();
      std::memcpy(at, &v, sizeof v);
      break;
    }
    case SQL_TIMESTAMP: {
      const ISC_TIMESTAMP ts = ToTimestamp(value.AsDateTime());
      std::memcpy(at, &ts, sizeof ts);
      break;
    }
    case SQL_TYPE_DATE: {
      const ISC_DATE d = ToTimestamp(value.AsDateTime()).timestamp_date;
      std::memcpy(at, &d, sizeof d);
      break;
    }
    case SQL_TYPE_TIME: {
      const ISC_TIME t = ToTimestamp(value.AsDateTime()).timestamp_time;
      std::memcpy(at, &t, sizeof t);
      break;
    }
    case SQL_BOOLEAN:
      *at = value.AsInt64() != 0 ? 1 : 0;
      break;
    case SQL_BLOB: {
      const std::string bytes = column.subType == isc_blob_text
                                    ? ToServerText(value.AsString(), column)
                                    : value.AsString();
      const ISC_QUAD id = WriteBlob(bytes, blobs);
      std::memcpy(at, &id, sizeof id);
      break;
    }
    case SQL_NULL:  // "? IS NULL": only the null flag counts
      break;
    default:
      ConversionError(column, "unsupported parameter type " + std::to_string(column.type));
  }
}

void Decode(const Column& column, const unsigned char* buffer, Value& value,
            const BlobContext& blobs) {
  if (*reinterpret_cast<const short*>(buffer + column.nullOffset) != 0) {
    value.Clear();
    return;
  }
  const unsigned char* at = buffer + column.offset;
  auto exact = [&](std::int64_t raw) {
    if (column.scale == 0) {
      value.SetInteger(raw);
    } else {
      value.SetFloat(static_cast<double>(raw) * Scale(column.scale));
    }
  };
  switch (column.type) {
    case SQL_VARYING: {
      ISC_USHORT size;
      std::memcpy(&size, at, sizeof size);
      value.SetString(
          FromServerText(reinterpret_cast<const char*>(at + sizeof size), size, column));
      break;
    }
    case SQL_TEXT: {
      std::size_t size = column.length;
      const char* data = reinterpret_cast<const char*>(at);
      if (column.charset != kCharsetOctets) {
        while (size > 0 && data[size - 1] == ' ') --size;  // CHAR comes blank-padded
      }
      value.SetString(FromServerText(data, size, column));
      break;
    }
    case SQL_SHORT: {
      std::int16_t v;
      std::memcpy(&v, at, sizeof v);
      exact(v);
      break;
    }
    case SQL_LONG: {
      std::int32_t v;
      std::memcpy(&v, at, sizeof v);
      exact(v);
      break;
    }
    case SQL_INT64: {
      std::int64_t v;
      std::memcpy(&v, at, sizeof v);
      exact(v);
      break;
    }
    case SQL_FLOAT: {
      float v;
      std::memcpy(&v, at, sizeof v);
      value.SetFloat(v);
      break;
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
      double v;
      std::memcpy(&v, at, sizeof v);
      value.SetFloat(v);
      break;
    }
    case SQL_TIMESTAMP: {
      ISC_TIMESTAMP ts;
      std::memcpy(&ts, at, sizeof ts);
      value.SetDateTime(FromTimestamp(ts.timestamp_date, ts.timestamp_time));
      break;
    }
    case SQL_TYPE_DATE: {
      ISC_DATE d;
      std::memcpy(&d, at, sizeof d);
      value.SetDateTime(FromTimestamp(d, 0));
      break;
    }
    case SQL_TYPE_TIME: {
      ISC_TIME t;
      std::memcpy(&t, at, sizeof t);
      value.SetDateTime(FromTimestamp(kModifiedJulianOf18991230, t));
      break;
    }
    case SQL_BOOLEAN:
      value.SetInteger(*at ? 1 : 0);
      break;
    case SQL_BLOB: {
      ISC_QUAD id;
      std::memcpy(&id, at, sizeof id);
      const std::string bytes = ReadBlob(id, blobs);
      value.SetString(column.subType == isc_blob_text
                          ? FromServerText(bytes.data(), bytes.size(), column)
                          : bytes);
      break;
    }
    default:
      throw FirebirdError("Column " + column.name + ": unsupported type " +
                          std::to_string(column.type));
  }
}

}  // namespace fb::detail
