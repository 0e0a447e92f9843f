// The connection component set up for the private test server, as the application sets up its
// own: Unicode on, the utf8 character set, no login dialog.
#pragma once

#include "MySql/MyAccess.h"
#include "platform/rtl/UnicodeText.h"
#include "tests/support/TestDb.h"

inline void ApplyTestSettings(TMyConnection& conn) {
  const testdb::Settings& db = testdb::Get();
  conn.SetServer(UTF8ToString(db.host));
  conn.SetPort(static_cast<int>(db.port));
  conn.SetUsername(UTF8ToString(db.user));
  conn.SetPassword(UTF8ToString(db.password));
  conn.SetDatabase(UTF8ToString(db.database));
  conn.SetLoginPrompt(false);
  conn.Options()->SetUseUnicode(true);
  conn.Options()->SetCharset(u"utf8");
}
