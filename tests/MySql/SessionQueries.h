// Running statements on a session against the test server, as the call table will: a query, then
// the pending result claimed by a result set and read row by row as text.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "MySql/MySqlResultSet.h"
#include "MySql/MySqlSession.h"
#include "tests/support/TestDb.h"

namespace sessiontest {

using Row = std::vector<std::optional<std::string>>;

struct Result {
  TMySqlFieldInfos columns;
  std::vector<Row> rows;
  // The length prefix of every value (1, 3, 4 or 9 bytes; 1 for NULL), row by row.
  std::vector<std::vector<int>> prefixes;
};

inline std::unique_ptr<TMySqlSession> Open(uint32_t flags = 0) {
  const testdb::Settings& db = testdb::Get();
  auto session = std::make_unique<TMySqlSession>();
  session->SetConnectTimeout(30);
  session->Connect(db.host, db.user, db.password, db.database, static_cast<int32_t>(db.port), "",
                   flags);
  return session;
}

// Reads the rest of the result that the last reply left pending.
inline Result ReadRows(TMySqlSession& s) {
  Result out;
  if (s.FieldCount() == 0) return out;
  out.columns = s.PendingColumns();
  TMySqlResultSet result(&s);
  s.PendingColumns().clear();
  s.SetResultState(TMySqlSession::ResultReading);
  TMySqlBinds* binds = result.Binds();
  while (result.Fetch(binds)) {
    Row row;
    std::vector<int> prefixes;
    int32_t position = 0;
    for (const TMySqlBind& b : binds->Binds) {
      if (b.IsNull) {
        row.push_back(std::nullopt);
        prefixes.push_back(1);
        position += 1;
        continue;
      }
      row.emplace_back(std::string(reinterpret_cast<const char*>(binds->Buffer + b.Offset),
                                   static_cast<size_t>(b.Length)));
      prefixes.push_back(b.Offset - position);
      position = b.Offset + b.Length;
    }
    EXPECT_EQ(position, result.RowLength()) << "the values fill the row";
    out.rows.push_back(std::move(row));
    out.prefixes.push_back(std::move(prefixes));
  }
  EXPECT_EQ(s.ResultState(), TMySqlSession::ResultIdle);
  return out;
}

inline Result RunQuery(TMySqlSession& s, const std::string& sql) {
  s.Query(sql);
  return ReadRows(s);
}

// Letters in an order that does not repeat soon, so a misplaced piece of a long value shows.
inline std::string Letters(size_t n) {
  std::string s(n, 'a');
  uint32_t x = 2463534242u;
  for (auto& c : s) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>('a' + x % 26);
  }
  return s;
}

inline std::string One(TMySqlSession& s, const std::string& sql) {
  Result r = RunQuery(s, sql);
  EXPECT_EQ(r.rows.size(), 1u) << sql;
  return r.rows.empty() || !r.rows[0][0] ? std::string() : *r.rows[0][0];
}

}  // namespace sessiontest
