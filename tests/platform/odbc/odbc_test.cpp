// The ODBC access layer against the real PostgreSQL server through psqlODBC.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/odbc/connection.h"
#include "platform/odbc/error.h"
#include "platform/odbc/query.h"
#include "platform/text/win1250.h"
#include "platform/time/datetime.h"
#include "tests/platform/odbc/pg_test_db.h"

namespace {

using testing_support::PgTestDb;

std::string Repeat(std::string_view piece, std::size_t chars) {
  std::string s;
  while (text::CharCount(s) < chars) s += piece;
  return text::FirstChars(s, chars);
}

struct TextCase {
  int id;
  std::string text;
  bool inShortColumn;  // also stored in the varchar(400) column
};

const std::vector<TextCase>& TextCases() {
  static const std::vector<TextCase> cases = {
      {1, "Zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ", true},
      {2, Repeat("ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ ", 300), true},
      // Longer than one chunk of the chunked read.
      {3, Repeat("Żółw w żółtej łódce. ", 5000), false},
      // Outside the Basic Multilingual Plane: a surrogate pair in UTF-16.
      {4, "€ 😀 ß", true},
      {5, "", true},
  };
  return cases;
}

std::string Quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

class OdbcTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string sql =
        "CREATE TABLE proba (id integer PRIMARY KEY, krotki varchar(400), dlugi text, "
        "kwota numeric(15,2), duzy bigint, flaga boolean, dzien date, chwila timestamp);\n"
        "INSERT INTO proba (id) VALUES (100);\n"
        "INSERT INTO proba VALUES (200, 'A', 'A', 1234.56, 9000000000, true, '2024-02-29', "
        "'2024-02-29 13:45:30.250');\n"
        "INSERT INTO proba VALUES (201, 'B', 'B', -2.50, -1, false, '1899-12-30', "
        "'1999-12-31 23:59:59');\n";
    for (const TextCase& c : TextCases()) {
      sql += "INSERT INTO proba (id, krotki, dlugi) VALUES (" + std::to_string(c.id) + ", " +
             (c.inShortColumn ? Quoted(c.text) : "NULL") + ", " + Quoted(c.text) + ");\n";
    }
    db_ = PgTestDb::Create(sql).release();
  }
  static void TearDownTestSuite() {
    delete db_;
    db_ = nullptr;
  }

  void SetUp() override {
    connection_.dataSource = PgTestDb::kDataSource;
    connection_.params = db_->LoginParams();
  }

  static PgTestDb* db_;
  odbc::Connection connection_;
};

PgTestDb* OdbcTest::db_ = nullptr;

TEST_F(OdbcTest, WrongPasswordGivesTheDriversMessageWithoutThePassword) {
  connection_.params = {"USER NAME=" + db_->User(), "PASSWORD=Wr0ngPassw0rd"};
  try {
    connection_.Open();
    FAIL() << "connected with a wrong password";
  } catch (const odbc::Error& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("password authentication failed"), std::string::npos) << message;
    EXPECT_NE(message.find(PgTestDb::kDataSource), std::string::npos) << message;
    EXPECT_EQ(message.find("Wr0ngPassw0rd"), std::string::npos) << message;
    EXPECT_EQ(e.SqlState(), "08001");
  }
  EXPECT_FALSE(connection_.Connected());
}

TEST_F(OdbcTest, MissingDataSourceIsNamedInTheError) {
  connection_.dataSource = "no_such_dsn";
  try {
    connection_.Open();
    FAIL() << "connected to a data source that does not exist";
  } catch (const odbc::Error& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find("'no_such_dsn'"), std::string::npos) << message;
    EXPECT_NE(message.find("Data source name not found"), std::string::npos) << message;
    EXPECT_EQ(e.SqlState(), "IM002");
  }
  EXPECT_FALSE(connection_.Connected());
}

TEST_F(OdbcTest, BlobParametersAreAcceptedAndUnknownOnesRefused) {
  struct Case {
    std::vector<std::string> extra;
    const char* error;  // part of the error text; nullptr: connects
  };
  const Case cases[] = {
      {{"BLOBS TO CACHE=65535", "BLOB SIZE=999"}, nullptr},
      {{"blob size=999"}, nullptr},
      {{"SQLPASSTHRU MODE=SHARED AUTOCOMMIT"}, "Unknown connection parameter 'SQLPASSTHRU MODE'"},
      {{"PASSWORDsecret"}, "has no '='"},
  };
  for (const Case& c : cases) {
    odbc::Connection connection;
    connection.dataSource = PgTestDb::kDataSource;
    connection.params = db_->LoginParams();
    connection.params.insert(connection.params.end(), c.extra.begin(), c.extra.end());
    if (!c.error) {
      EXPECT_NO_THROW(connection.Open()) << c.extra[0];
      EXPECT_TRUE(connection.Connected());
      continue;
    }
    try {
      connection.Open();
      ADD_FAILURE() << "connected with " << c.extra[0];
    } catch (const odbc::Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).find("secret"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(connection.Connected());
  }
}

TEST_F(OdbcTest, QueriesWorkAgainAfterTheConnectionIsReopened) {
  connection_.Open();
  odbc::Query q(&connection_);
  q.SetSql({"SELECT id FROM proba", "WHERE id = :ID"});
  q.ParamByName("ID").SetInteger(200);
  q.Open();
  ASSERT_FALSE(q.Eof());

  connection_.Close();
  EXPECT_FALSE(q.Active());
  try {
    q.Open();
    FAIL() << "opened on a closed connection";
  } catch (const odbc::Error& e) {
    EXPECT_EQ(e.SqlState(), "08003");
  }

  connection_.Open();
  q.Open();
  ASSERT_FALSE(q.Eof());
  EXPECT_EQ(q.FieldByName("ID").AsInteger(), 200);
}

TEST_F(OdbcTest, TextRoundTripsThroughParametersAndBothReadPaths) {
  connection_.Open();
  // Bound columns ahead of the long one; then every column read piecewise.
  const char* queries[] = {
      "SELECT id, krotki, dlugi FROM proba WHERE dlugi = :T",
      "SELECT dlugi, krotki, id FROM proba WHERE dlugi = :T",
  };
  for (const char* sql : queries) {
    odbc::Query q(&connection_);
    q.SetSql({sql});
    for (const TextCase& c : TextCases()) {
      q.ParamByName("T").SetString(c.text);
      q.Open();
      ASSERT_FALSE(q.Eof()) << sql << " / case " << c.id;
      EXPECT_EQ(q.FieldByName("ID").AsInteger(), c.id) << sql;
      EXPECT_EQ(q.FieldByName("DLUGI").AsString(), c.text) << sql << " / case " << c.id;
      EXPECT_EQ(q.FieldByName("KROTKI").AsString(), c.inShortColumn ? c.text : "") << sql;
      EXPECT_EQ(q.FieldByName("KROTKI").IsNull(), !c.inShortColumn) << sql;
      q.Next();
      EXPECT_TRUE(q.Eof()) << sql;
    }
  }
}

TEST_F(OdbcTest, NullReadsAsZeroEmptyTextAndDateZero) {
  connection_.Open();
  odbc::Query q(&connection_);
  q.SetSql({"SELECT krotki, dlugi, kwota, duzy, flaga, dzien, chwila FROM proba",
            "WHERE id = 100 AND :P IS NULL"});
  q.ParamByName("P").Clear();
  q.Open();
  ASSERT_FALSE(q.Eof()) << "a NULL parameter did not arrive as NULL";
  ASSERT_EQ(q.FieldCount(), 7u);
  for (std::size_t i = 0; i < q.FieldCount(); ++i) {
    const odbc::Field f = q.Field(i);
    EXPECT_TRUE(f.IsNull()) << f.Name();
    EXPECT_EQ(f.AsInteger(), 0) << f.Name();
    EXPECT_EQ(f.AsFloat(), 0.0) << f.Name();
    EXPECT_EQ(f.AsString(), "") << f.Name();
    EXPECT_EQ(f.AsDateTime(), 0.0) << f.Name();
  }

  q.ParamByName("P").SetInteger(1);
  q.Open();
  EXPECT_TRUE(q.Eof());
}

TEST_F(OdbcTest, NumericIntegerBitAndDateColumnsKeepTheirValues) {
  connection_.Open();
  odbc::Query q(&connection_);
  q.SetSql({"SELECT kwota, duzy, flaga, dzien, chwila FROM proba WHERE id IN (200, 201)",
            "ORDER BY id"});
  q.Open();
  const odbc::Field kwota = q.FieldByName("KWOTA");
  const odbc::Field duzy = q.FieldByName("DUZY");
  const odbc::Field flaga = q.FieldByName("FLAGA");
  const odbc::Field dzien = q.FieldByName("DZIEN");
  const odbc::Field chwila = q.FieldByName("CHWILA");
  EXPECT_EQ(kwota.Kind(), odbc::ValueKind::Float);
  EXPECT_EQ(duzy.Kind(), odbc::ValueKind::Integer);
  EXPECT_EQ(flaga.Kind(), odbc::ValueKind::Integer);
  EXPECT_EQ(dzien.Kind(), odbc::ValueKind::DateTime);
  EXPECT_EQ(chwila.Kind(), odbc::ValueKind::DateTime);

  ASSERT_FALSE(q.Eof());
  EXPECT_DOUBLE_EQ(kwota.AsFloat(), 1234.56);
  EXPECT_EQ(duzy.AsInt64(), 9000000000);
  EXPECT_THROW(duzy.AsInteger(), odbc::Error);
  EXPECT_EQ(flaga.AsInteger(), 1);
  EXPECT_EQ(dzien.AsDateTime(), dt::EncodeDate(2024, 2, 29));
  EXPECT_EQ(chwila.AsDateTime(), dt::EncodeDateTime(2024, 2, 29, 13, 45, 30, 250));

  q.Next();  // the Fields read whatever row is current
  ASSERT_FALSE(q.Eof());
  EXPECT_DOUBLE_EQ(kwota.AsFloat(), -2.5);
  EXPECT_EQ(kwota.AsInteger(), -2);  // half to even
  EXPECT_EQ(duzy.AsInteger(), -1);
  EXPECT_EQ(flaga.AsInteger(), 0);
  EXPECT_FALSE(flaga.IsNull());
  EXPECT_EQ(dzien.AsDateTime(), 0.0);
  EXPECT_EQ(chwila.AsDateTime(), dt::EncodeDateTime(1999, 12, 31, 23, 59, 59));
}

TEST_F(OdbcTest, RepeatedNamedParameterTakesOneValueEverywhere) {
  connection_.Open();
  odbc::Query q(&connection_);
  q.SetSql({"SELECT id FROM proba", "WHERE id BETWEEN :Id AND :ID + 1", "ORDER BY id"});
  EXPECT_EQ(q.ParamCount(), 1u);
  q.ParamByName("id").SetInteger(200);
  q.Open();
  EXPECT_EQ(q.FetchAll(), 2);
  EXPECT_EQ(q.FieldByName("ID").AsInteger(), 200);
  EXPECT_THROW(q.ParamByName("NOPE"), odbc::Error);
}

TEST_F(OdbcTest, DateTimeParameterKeepsItsMilliseconds) {
  connection_.Open();
  odbc::Query q(&connection_);
  q.SetSql({"SELECT id, CAST(:DataOd AS timestamp) AS echo FROM proba",
            "WHERE chwila = :DATAOD OR dzien = CAST(:DataOd AS date) + 1"});
  const dt::DateTime when = dt::EncodeDateTime(2024, 2, 29, 13, 45, 30, 250);
  q.ParamByName("DATAOD").SetDateTime(when);
  q.Open();
  ASSERT_FALSE(q.Eof());
  EXPECT_EQ(q.FieldByName("ID").AsInteger(), 200);
  EXPECT_EQ(q.FieldByName("ECHO").AsDateTime(), when);
  q.Next();
  EXPECT_TRUE(q.Eof());

  // Before day 0: the day after 29 December 1899 is row 201's day 0.
  q.ParamByName("DATAOD").SetDateTime(dt::EncodeDate(1899, 12, 29));
  q.Open();
  ASSERT_FALSE(q.Eof());
  EXPECT_EQ(q.FieldByName("ID").AsInteger(), 201);
}

TEST_F(OdbcTest, FetchAllCountsTheRowsThenTheWalkVisitsEachOnce) {
  connection_.Open();
  // Only bound columns (block fetches), then a long text (row by row).
  const char* queries[] = {
      "SELECT n AS id FROM generate_series(1, 1000) AS n ORDER BY n",
      "SELECT n AS id, repeat('ż', n % 7) AS napis FROM generate_series(1, 1000) AS n ORDER BY n",
  };
  for (const char* sql : queries) {
    for (const bool fetchAll : {true, false}) {
      SCOPED_TRACE(std::string(sql) + (fetchAll ? " / FetchAll" : " / walk"));
      odbc::Query q(&connection_);
      q.SetSql({sql});
      q.Open();
      if (fetchAll) {
        EXPECT_EQ(q.FetchAll(), 1000);
        EXPECT_EQ(q.RecordCount(), 1000);
      }
      const odbc::Field id = q.FieldByName("ID");
      int expected = 1;
      for (; !q.Eof(); q.Next(), ++expected) {
        ASSERT_EQ(id.AsInteger(), expected);
        if (q.FieldCount() > 1) {
          ASSERT_EQ(text::CharCount(q.Field(1).AsString()), std::size_t(expected % 7));
        }
      }
      EXPECT_EQ(expected, 1001);
      EXPECT_TRUE(id.IsNull());  // no current row
      if (fetchAll) {
        q.First();
        EXPECT_EQ(id.AsInteger(), 1);
      } else {
        EXPECT_THROW(q.First(), odbc::Error);
      }
    }
  }
}

TEST_F(OdbcTest, LowerCaseColumnsAreFoundByUpperCaseNamesAndUnnamedOnesByPosition) {
  connection_.Open();
  odbc::Query q(&connection_);
  q.SetSql({"SELECT mag_id, mag_symbol FROM (VALUES (7, 'MAG')) AS s (mag_id, mag_symbol)"});
  q.Open();
  EXPECT_EQ(q.FieldByName("MAG_ID").Name(), "mag_id");
  EXPECT_EQ(q.FieldByName("MAG_ID").AsInteger(), 7);
  EXPECT_EQ(q.FieldByName("Mag_Symbol").AsString(), "MAG");
  EXPECT_THROW(q.FieldByName("MAG_NAZWA"), odbc::Error);

  q.SetSql({"SELECT MIN(n), MAX(n) FROM generate_series(3, 9) AS n"});
  q.Open();
  ASSERT_EQ(q.FieldCount(), 2u);
  EXPECT_EQ(q.Field(0).AsInteger(), 3);
  EXPECT_EQ(q.Field(1).AsInteger(), 9);
  EXPECT_THROW(q.Field(2), odbc::Error);
}

TEST_F(OdbcTest, StatementIsPreparedOnceWhileItsTextIsUnchanged) {
  connection_.dataSource = PgTestDb::kPlanDataSource;
  connection_.Open();
  odbc::Query plans(&connection_);
  // Built so that this query's own text does not match.
  plans.SetSql({"SELECT name, statement FROM pg_prepared_statements",
                "WHERE strpos(statement, 'reuse' || '_marker') > 0"});
  const auto serverPlans = [&] {
    std::vector<std::string> found;
    for (plans.Open(); !plans.Eof(); plans.Next())
      found.push_back(plans.FieldByName("NAME").AsString() + " " +
                      plans.FieldByName("STATEMENT").AsString());
    return found;
  };

  odbc::Query q(&connection_);
  const char* sql = "SELECT id AS reuse_marker FROM proba WHERE id = :ID";
  q.SetSql({sql});
  q.ParamByName("ID").SetInteger(200);
  q.Open();
  const std::vector<std::string> first = serverPlans();
  ASSERT_EQ(first.size(), 1u);
  for (const int id : {201, 200}) {
    q.SetSql({sql});  // the same text again keeps the prepared statement
    q.ParamByName("ID").SetInteger(id);
    q.Open();
    ASSERT_FALSE(q.Eof());
    EXPECT_EQ(q.Field(0).AsInteger(), id);
    EXPECT_EQ(serverPlans(), first);
  }

  q.SetSql({"SELECT id AS reuse_marker, 2 FROM proba WHERE id = :ID"});
  q.ParamByName("ID").SetInteger(200);
  q.Open();
  const std::vector<std::string> replaced = serverPlans();
  ASSERT_EQ(replaced.size(), 1u);
  EXPECT_NE(replaced[0].find("reuse_marker, 2"), std::string::npos) << replaced[0];
}

TEST_F(OdbcTest, SqlErrorCarriesStateAndNativeCodeAndTheQueryRecovers) {
  connection_.Open();
  odbc::Query q(&connection_);
  q.SetSql({"SELECT mag_id FROM dbo.sl_magazyn"});
  try {
    q.Open();
    FAIL() << "selected from a table that does not exist";
  } catch (const odbc::Error& e) {
    EXPECT_NE(std::string(e.what()).find("sl_magazyn"), std::string::npos) << e.what();
    EXPECT_EQ(e.SqlState(), "42P01");
    EXPECT_NE(e.NativeCode(), 0);
  }
  EXPECT_FALSE(q.Active());

  q.SetSql({"SELECT COUNT(*) AS n FROM proba"});
  q.Open();
  EXPECT_EQ(q.FieldByName("N").AsInteger(), 3 + static_cast<int>(TextCases().size()));
}

}  // namespace
