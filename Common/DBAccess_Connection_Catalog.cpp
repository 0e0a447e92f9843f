// The connection component's catalog lists, read through a temporary metadata component, and
// the login dialog step of connecting.
#include <memory>

#include "Common/DBAccess.h"
#include "Common/DBAccess_ConnectDialog.h"
#include "Common/DBAccess_MetaData.h"
#include "platform/db/DB.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/TextCompare.h"

namespace {

// Gives back the connect request taken for a list when the scope ends.
class TConnectRequest {
 public:
  explicit TConnectRequest(TCustomDAConnection* connection) : FConnection(connection) {
    FConnection->TakeConnectRequest();
  }
  ~TConnectRequest() { FConnection->DropConnectRequest(); }
  TConnectRequest(const TConnectRequest&) = delete;
  TConnectRequest& operator=(const TConnectRequest&) = delete;

 private:
  TCustomDAConnection* FConnection;
};

String FieldText(TField* field) { return field && !field->IsNull() ? field->AsString() : String(); }

}  // namespace

TLxMetaDataClass TCustomDAConnection::GetIMetaDataClass() {
  RTL_ASSERT(false, SMustBeOverrided);
  return {};
}

std::unique_ptr<TDAMetaData> TCustomDAConnection::CreateMetaData() {
  auto metaData = std::make_unique<TDAMetaData>(nullptr);
  metaData->SetConnection(this);
  return metaData;
}

// ---- Catalog lists ----

void TCustomDAConnection::GetTableNames(TStrings* list, bool allTables) {
  std::unique_ptr<TDAMetaData> metaData = CreateMetaData();
  TConnectRequest request(this);
  metaData->SetMetaDataKind(u"tables");
  if (!allTables) metaData->Restrictions()->Add(u"SCOPE=LOCAL");
  metaData->Open();
  TField* nameField = metaData->FieldByName(u"TABLE_NAME");
  TField* schemaField = metaData->FindField(u"TABLE_SCHEMA");
  TField* catalogField = metaData->FieldByName(u"TABLE_CATALOG");
  TSQLInfo* info = IConnection()->GetSQLInfo();
  const String currentSchema = GetCurrentSchema();
  list->BeginUpdate();
  try {
    list->Clear();
    for (metaData->First(); !metaData->Eof(); metaData->Next()) {
      String name = info->QuoteIfNeeded(FieldText(nameField));
      const String schema = FieldText(schemaField);
      if (allTables) {
        if (!schema.empty()) name = info->QuoteIfNeeded(schema) + u"." + name;
        const String catalog = FieldText(catalogField);
        if (!catalog.empty()) name = info->QuoteIfNeeded(catalog) + u"." + name;
      } else if (!currentSchema.empty() && !schema.empty() &&
                 AnsiLowerCase(schema) != currentSchema) {
        name = schema + u"." + name;
      }
      list->Add(name);
    }
  } catch (...) {
    list->EndUpdate();
    throw;
  }
  list->EndUpdate();
}

void TCustomDAConnection::GetDatabaseNames(TStrings* list) {
  // Opening the metadata connects by itself.
  std::unique_ptr<TDAMetaData> metaData = CreateMetaData();
  metaData->SetMetaDataKind(u"Databases");
  metaData->Open();
  TField* nameField = metaData->FieldByName(u"DATABASE_NAME");
  list->BeginUpdate();
  try {
    list->Clear();
    for (metaData->First(); !metaData->Eof(); metaData->Next()) list->Add(FieldText(nameField));
  } catch (...) {
    list->EndUpdate();
    throw;
  }
  list->EndUpdate();
}

void TCustomDAConnection::GetStoredProcNames(TStrings* list, bool allProcs) {
  std::unique_ptr<TDAMetaData> metaData = CreateMetaData();
  TConnectRequest request(this);
  metaData->SetMetaDataKind(u"procedures");
  if (!allProcs) metaData->Restrictions()->Add(u"SCOPE=LOCAL");
  metaData->Open();
  TField* catalogField = metaData->FindField(u"PROCEDURE_CATALOG");
  TField* schemaField = metaData->FindField(u"PROCEDURE_SCHEMA");
  TField* nameField = metaData->FieldByName(u"PROCEDURE_NAME");
  TField* packageField = metaData->FindField(u"PROCEDURE_PACKAGE");
  TField* overloadField = metaData->FindField(u"OVERLOAD");
  TSQLInfo* info = IConnection()->GetSQLInfo();
  list->BeginUpdate();
  try {
    list->Clear();
    for (metaData->First(); !metaData->Eof(); metaData->Next()) {
      String name = info->QuoteIfNeeded(FieldText(nameField));
      const String package = FieldText(packageField);
      if (!package.empty()) name = info->QuoteIfNeeded(package) + u"." + name;
      if (allProcs) {
        const String schema = FieldText(schemaField);
        if (!schema.empty()) name = info->QuoteIfNeeded(schema) + u"." + name;
        const String catalog = FieldText(catalogField);
        if (!catalog.empty()) name = info->QuoteIfNeeded(catalog) + u"." + name;
      }
      const String overload = FieldText(overloadField);
      if (!overload.empty()) name += u":" + overload;
      list->Add(name);
    }
  } catch (...) {
    list->EndUpdate();
    throw;
  }
  list->EndUpdate();
}

// ---- The login dialog ----

void TCustomDAConnection::SetConnectDialog(TCustomConnectDialog* value) {
  if (value == FConnectDialog) return;
  if (FConnectDialog) FConnectDialog->RemoveFreeNotification(this);
  FConnectDialog = value;
  if (FConnectDialog) {
    FConnectDialog->FreeNotification(this);
    FConnectDialog->SetConnection(this);
  }
}

TConnectDialogClass TCustomDAConnection::LoginDialogClass() {
  // Without a hook to show it, a dialog could only cancel every login.
  if (!ConnectDialogHook) return {};
  return TConnectDialogClass::Of<TCustomConnectDialog>();
}

void TCustomDAConnection::RunLoginDialog() {
  const int before = FConnectCount;
  std::unique_ptr<TCustomConnectDialog> temporary;
  TCustomConnectDialog* dialog = FConnectDialog;
  if (!dialog) {
    temporary = LoginDialogClass().Create(nullptr);
    dialog = temporary.get();
  }
  dialog->SetConnection(this);
  bool confirmed = false;
  try {
    confirmed = dialog->Execute();
  } catch (...) {
    FConnectCount = before - (GetConnected() ? 0 : 1);
    throw;
  }
  FConnectCount = before - (confirmed ? 0 : 1);
  if (confirmed) return;
  if (FConnectAfterLoad || ComponentState().Contains(csDesigning)) DatabaseError(SCannotConnect);
  Abort();
}
