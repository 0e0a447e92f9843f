// NULL blob values of fetched rows: the store holds no blob for them until the record is first
// read out (or copied for a rollback), and from then on the record and every buffer read from it
// share one blob, as they share a blob fetched with content. The value reads as NULL throughout;
// written, it takes the content; rolled back or cancelled, it is NULL again.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyClasses.h"
#include "platform/db/Fields.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/MySql/MyTestConnection.h"

namespace {

class MyNullBlobs : public ::testing::Test {
 protected:
  void SetUp() override {
    conn = ConnectProvider();
    conn->ExecSQL(u"DROP TABLE IF EXISTS null_blobs");
    conn->ExecSQL(u"CREATE TABLE null_blobs (id INT PRIMARY KEY, t TEXT, b BLOB) CHARSET utf8mb4");
    conn->ExecSQL(u"INSERT INTO null_blobs VALUES (1, 'белешка', X'0102'), (2, NULL, NULL), "
                  u"(3, '', NULL)");
  }
  void TearDown() override { conn->ExecSQL(u"DROP TABLE IF EXISTS null_blobs"); }

  // Every row fetched into a record set of the provider; the caller opens it.
  std::unique_ptr<TMySQLRecordset> RecordSet(bool cached = false) {
    auto rs = std::make_unique<TMySQLRecordset>();
    rs->SetConnection(conn.get());
    rs->SetProp(pcFetchAll, true);
    rs->SetSQL(u"SELECT id, t, b FROM null_blobs ORDER BY id");
    rs->SetCachedUpdates(cached);
    rs->Open();
    return rs;
  }

  static TRecordItem* Item(TMySQLRecordset& rs, int recNo) {
    TRecordItem* item = rs.FirstItem();
    for (int i = 1; i < recNo; ++i) item = item->Next;
    return item;
  }

  std::unique_ptr<TMySQLConnection> conn;
};

TEST_F(MyNullBlobs, NoBlobUntilTheRecordIsReadOutThenOneSharedBlob) {
  auto rs = RecordSet();
  ASSERT_EQ(rs->RecordCount(), 3);
  struct Expected {
    bool textBlob, bytesBlob;  // whether the fetch made a blob
    bool textNull, bytesNull;
  } rows[] = {{true, true, false, false}, {false, false, true, true}, {true, false, false, true}};
  for (int recNo = 1; recNo <= 3; ++recNo) {
    SCOPED_TRACE(recNo);
    uint8_t* stored = Item(*rs, recNo)->Data();
    const Expected& e = rows[recNo - 1];
    EXPECT_EQ(rs->GetBlobObject(2, stored) != nullptr, e.textBlob);
    EXPECT_EQ(rs->GetBlobObject(3, stored) != nullptr, e.bytesBlob);
    // Read as NULL or not without a blob being made.
    EXPECT_EQ(rs->GetNull(2, stored), e.textNull);
    EXPECT_EQ(rs->GetNull(3, stored), e.bytesNull);
    EXPECT_EQ(rs->GetBlobSize(3, stored), recNo == 1 ? 2u : 0u);
    EXPECT_EQ(rs->GetBlobObject(3, stored) != nullptr, e.bytesBlob);
  }
  uint8_t* buf = rs->AllocRecBuf();
  rs->SetToBegin();
  for (int recNo = 1; recNo <= 3; ++recNo) {
    SCOPED_TRACE(recNo);
    rs->GetNextRecord(buf);
    uint8_t* stored = Item(*rs, recNo)->Data();
    for (int fieldNo : {2, 3}) {
      TBlob* blob = rs->GetBlobObject(fieldNo, buf);
      ASSERT_NE(blob, nullptr);
      EXPECT_EQ(blob, rs->GetBlobObject(fieldNo, stored));  // the record's own blob
    }
    EXPECT_EQ(rs->GetBlob(2, buf)->IsUnicode(), true);
    EXPECT_EQ(rs->GetNull(2, buf), rows[recNo - 1].textNull);
    EXPECT_EQ(rs->GetNull(3, buf), rows[recNo - 1].bytesNull);
    EXPECT_EQ(rs->GetBlobSize(3, buf), recNo == 1 ? 2u : 0u);
  }
  EXPECT_EQ(rs->GetFieldAsVariant(2, buf).AsString(), u"");  // record 3: empty, not NULL
  rs->FreeRecBuf(buf);
}

// A NULL value written after the fetch, through the buffer read out of the record: the record sees
// the content; through the record itself: its blob is made there.
TEST_F(MyNullBlobs, ANullValueWrittenAfterTheFetch) {
  auto rs = RecordSet();
  uint8_t* buf = rs->AllocRecBuf();
  rs->SetToBegin();
  rs->GetNextRecord(buf);
  rs->GetNextRecord(buf);  // record 2: both NULL
  const AnsiString text = "нова белешка";
  rs->WriteBlob(2, buf, 0, static_cast<uint32_t>(text.size()), text.data());
  EXPECT_FALSE(rs->GetNull(2, buf));
  uint8_t* stored = Item(*rs, 2)->Data();
  EXPECT_EQ(rs->GetBlob(2, stored)->GetAsWideString(), UTF8ToString(text));
  rs->FreeRecBuf(buf);

  uint8_t* third = Item(*rs, 3)->Data();
  ASSERT_EQ(rs->GetBlobObject(3, third), nullptr);
  rs->WriteBlob(3, third, 0, 3, "abc", true);
  EXPECT_EQ(rs->GetBlob(3, third)->GetAsAnsiString(), "abc");
  EXPECT_FALSE(rs->GetNull(3, third));
}

// The user's path: a query component edits a NULL text, cancels, edits again and posts; with
// cached updates the posted change is cancelled again. The server sees the posted value only.
TEST_F(MyNullBlobs, EditCancelPostAndCachedRollbackOfANullText) {
  for (bool cached : {false, true}) {
    SCOPED_TRACE(cached ? "cached updates" : "posted at once");
    conn->ExecSQL(u"UPDATE null_blobs SET t = NULL WHERE id = 2");
    TMyConnection session{nullptr};
    ApplyTestSettings(session);
    TMyQuery query{nullptr};
    query.SetConnection(&session);
    query.SetCachedUpdates(cached);
    query.SetSQLText(u"SELECT id, t, b FROM null_blobs ORDER BY id");
    query.Open();
    query.Next();
    TField* t = query.FieldByName(u"t");
    ASSERT_TRUE(t->IsNull());
    query.Edit();
    t->SetAsString(u"привремено");
    EXPECT_EQ(t->AsString(), u"привремено");
    query.Cancel();
    EXPECT_TRUE(t->IsNull());
    query.Edit();
    t->SetAsString(u"трајно");
    query.Post();
    EXPECT_EQ(t->AsString(), u"трајно");
    query.First();
    query.Next();
    EXPECT_EQ(t->AsString(), u"трајно");
    if (cached) {
      query.CancelUpdates();
      EXPECT_TRUE(t->IsNull());
      TOtherSession check;
      EXPECT_EQ(check.One(u"SELECT t FROM null_blobs WHERE id = 2"), u"<null>");
    } else {
      TOtherSession check;
      EXPECT_EQ(check.One(u"SELECT t FROM null_blobs WHERE id = 2"), u"трајно");
    }
    query.Close();
  }
}

}  // namespace
