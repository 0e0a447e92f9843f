// The MySQL connection component's metadata classes, its list of stored routines and its login
// dialog class.
#include <memory>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_MetaData.h"
#include "MySql/MyClasses_Connection.h"
#include "MySql/MyClasses_Literals.h"
#include "MySql/MyClasses_MetaData.h"
#include "platform/db/DB.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/TextCompare.h"
#include "platform/rtl/UnicodeText.h"

// ---- TMyMetaData ----

TCustomMyConnection* TMyMetaData::Connection() const {
  return static_cast<TCustomMyConnection*>(TDAMetaData::Connection());
}

void TMyMetaData::SetConnection(TCustomMyConnection* value) { TDAMetaData::SetConnection(value); }

// ---- TCustomMyConnection ----

TLxMetaDataClass TCustomMyConnection::GetIMetaDataClass() {
  return TLxMetaDataClass::Of<TMySQLMetaData>();
}

std::unique_ptr<TDAMetaData> TCustomMyConnection::CreateMetaData() {
  auto metaData = std::make_unique<TMyMetaData>(nullptr);
  metaData->SetConnection(this);
  return metaData;
}

TConnectDialogClass TCustomMyConnection::LoginDialogClass() {
  return DefConnectDialogClassHook ? DefConnectDialogClassHook() : TConnectDialogClass{};
}

void TCustomMyConnection::GetStoredProcNames(TStrings* list, bool allProcs) {
  if (allProcs) {
    TCustomDAConnection::GetStoredProcNames(list, true);
    return;
  }
  list->Clear();
  const bool wasConnected = Connected();
  const String database = FDatabase;
  auto restore = [&](std::unique_ptr<TMyQuery>& query) {
    query.reset();
    if (!wasConnected) SetConnected(false);
    SetDatabase(database);
  };
  auto query = std::make_unique<TMyQuery>(nullptr);
  try {
    // A connection made only for the list selects no database, which might not exist.
    if (!wasConnected) SetDatabase(String());
    SetConnected(true);
    TMySQLConnection* connection = MySQLConnection();
    const int major = connection->ServerMajor();
    const int minor = connection->ServerMinor();
    const int release = connection->ServerRelease();
    if (major > 4) {
      query->SetConnection(this);
      String sql;
      if (major == 5 && minor == 0 && release == 0) {
        sql = u"SELECT name FROM mysql.proc ORDER BY name";
      } else {
        const String schema =
            AnsiLowerCase(connection->GetSQLInfo()->NormalizeName(database, false, true));
        const String literal =
            database.empty() ? String(u"'mysql'")
                             : UTF8ToString(MySQLQuoteBytes(UTF8Encode(schema),
                                                            connection->BackslashEscapes()));
        if (major == 5 && minor == 0 && release <= 3)
          sql = u"SELECT name FROM mysql.proc WHERE LOWER(db) = " + literal + u" ORDER BY name";
        else
          sql = u"SELECT ROUTINE_NAME FROM information_schema.routines "
                u"WHERE LOWER(routine_schema) = " + literal + u" ORDER BY ROUTINE_NAME";
      }
      query->SetSQLText(sql);
      query->SetFetchAll(true);
      query->Open();
      for (query->First(); !query->Eof(); query->Next())
        list->Add(query->Fields()->Fields(0)->AsString());
    }
  } catch (...) {
    restore(query);
    throw;
  }
  restore(query);
}
