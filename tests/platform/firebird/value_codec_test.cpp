// Conversions between program values and the server's message buffers,
// checked without a server.
#include <gtest/gtest.h>
#include <ibase.h>

#include <cstring>

#include "platform/firebird/codec.h"
#include "platform/firebird/error.h"
#include "platform/time/datetime.h"

namespace fb::detail {
namespace {

Column MakeColumn(unsigned type, unsigned length, int scale = 0, unsigned charset = 51) {
  Column c;
  c.name = "P";
  c.type = type;
  c.length = length;
  c.scale = scale;
  c.charset = charset;
  c.offset = 0;
  c.nullOffset = 40;
  return c;
}

struct Buffer {
  unsigned char bytes[48] = {};
};

Value RoundTrip(const Value& in, const Column& column) {
  Buffer b;
  const BlobContext noBlobs{nullptr, nullptr};
  Encode(in, column, b.bytes, noBlobs);
  Value out;
  Decode(column, b.bytes, out, noBlobs);
  return out;
}

TEST(Timestamp, CountsDaysFrom30December1899) {
  const ISC_TIMESTAMP epoch = ToTimestamp(0.0);
  EXPECT_EQ(epoch.timestamp_date, 15018);  // modified Julian day of 1899-12-30
  EXPECT_EQ(epoch.timestamp_time, 0u);
  const ISC_TIMESTAMP sixHours = ToTimestamp(0.25);
  EXPECT_EQ(sixHours.timestamp_time, 6u * 3600 * 10000);
  const dt::DateTime when = dt::EncodeDateTime(2026, 12, 11, 13, 5, 7, 42);
  const ISC_TIMESTAMP ts = ToTimestamp(when);
  EXPECT_NEAR(FromTimestamp(ts.timestamp_date, ts.timestamp_time), when, 1e-9);
  // A time that rounds up to midnight moves to the next day.
  const ISC_TIMESTAMP nearMidnight = ToTimestamp(1.0 - 1e-12);
  EXPECT_EQ(nearMidnight.timestamp_date, 15019);
  EXPECT_EQ(nearMidnight.timestamp_time, 0u);
}

TEST(Codec, TextTravelsAsWindows1250AndComesBackAsUtf8) {
  const Column column = MakeColumn(SQL_VARYING, 20);
  Value in;
  in.SetString("zażółć");
  Buffer b;
  Encode(in, column, b.bytes, {nullptr, nullptr});
  const unsigned char expected[] = {6, 0, 0x7a, 0x61, 0xbf, 0xf3, 0xb3, 0xe6};
  EXPECT_EQ(std::memcmp(b.bytes, expected, sizeof expected), 0);
  EXPECT_EQ(RoundTrip(in, column).AsString(), "zażółć");
}

TEST(Codec, CharacterOutsideTheCodePageBecomesQuestionMark) {
  Value in;
  in.SetString("Ж-€");
  EXPECT_EQ(RoundTrip(in, MakeColumn(SQL_VARYING, 10)).AsString(), "?-€");
}

TEST(Codec, OverlongTextIsRefusedWithTruncationCode) {
  Value in;
  in.SetString("ąąąąą");  // five characters: five bytes on the wire
  EXPECT_EQ(RoundTrip(in, MakeColumn(SQL_VARYING, 5)).AsString(), "ąąąąą");
  in.SetString("ąąąąąą");
  try {
    RoundTrip(in, MakeColumn(SQL_VARYING, 5));
    FAIL() << "no error";
  } catch (const FirebirdError& e) {
    EXPECT_EQ(e.SqlCode(), -802);
  }
}

TEST(Codec, NumbersConvertToTheDeclaredType) {
  struct Case {
    Column column;
    Value in;
    double expected;
  };
  Value i;
  i.SetInteger(42);
  Value f;
  f.SetFloat(12.345);
  Value t;
  t.SetString("12,5");
  Value dot;
  dot.SetString(" 7.25 ");
  const Case cases[] = {
      {MakeColumn(SQL_LONG, 4), i, 42},        {MakeColumn(SQL_SHORT, 2), i, 42},
      {MakeColumn(SQL_LONG, 4, -2), f, 12.35},  // NUMERIC(9,2): rounded to the scale
      {MakeColumn(SQL_INT64, 8, -4), t, 12.5}, {MakeColumn(SQL_DOUBLE, 8), dot, 7.25},
      {MakeColumn(SQL_LONG, 4), t, 13},  // halves away from zero, as the server converts
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(RoundTrip(c.in, c.column).AsFloat(), c.expected) << c.column.type;
  }
}

TEST(Codec, NotANumberAndOverflowAreErrors) {
  Value word;
  word.SetString("abc");
  EXPECT_THROW(RoundTrip(word, MakeColumn(SQL_LONG, 4)), FirebirdError);
  Value big;
  big.SetInteger(70000);
  EXPECT_THROW(RoundTrip(big, MakeColumn(SQL_SHORT, 2)), FirebirdError);
}

TEST(Codec, NullReadsAsZeroEmptyTextAndZeroDate) {
  const Value null;
  const Value out = RoundTrip(null, MakeColumn(SQL_TIMESTAMP, 8));
  EXPECT_TRUE(out.IsNull());
  EXPECT_EQ(out.AsInteger(), 0);
  EXPECT_EQ(out.AsFloat(), 0.0);
  EXPECT_EQ(out.AsString(), "");
  EXPECT_EQ(out.AsDateTime(), 0.0);
}

TEST(Codec, CharColumnsLoseTheirPadding) {
  Value in;
  in.SetString("ab");
  EXPECT_EQ(RoundTrip(in, MakeColumn(SQL_TEXT, 6)).AsString(), "ab");
}

}  // namespace
}  // namespace fb::detail
