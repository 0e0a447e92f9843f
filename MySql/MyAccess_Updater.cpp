#include "MySql/MyAccess_Updater.h"

#include "Common/DBAccess.h"
#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_HotCast.h"
#include "MySql/MyAccess_DataSet.h"
#include "MySql/MyAccess_Generator.h"
#include "MySql/MyAccess_Service.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"

namespace {

bool IsDateTimeVariant(const Variant& v) {
  return v.VarType() == varDate || v.VarType() == varSQLTimeStamp;
}

}  // namespace

bool MySQLDateTimesEqual(TDateTime a, TDateTime b) {
  uint16_t ya, ma, da, ha, na, sa, msa;
  uint16_t yb, mb, db, hb, nb, sb, msb;
  DecodeDateTime(a, ya, ma, da, ha, na, sa, msa);
  DecodeDateTime(b, yb, mb, db, hb, nb, sb, msb);
  if (ya != yb || ma != mb || da != db || ha != hb || na != nb) return false;
  int diff = (sa * 1000 + msa) - (sb * 1000 + msb);
  return diff > -1000 && diff < 1000;
}

bool TCustomMyDataSetUpdater::ValuesEqual(const Variant& a, const Variant& b) {
  if (TDADataSetUpdater::ValuesEqual(a, b)) return true;
  if (!IsDateTimeVariant(a) || !IsDateTimeVariant(b)) return false;
  return MySQLDateTimesEqual(VarToDateTime(a), VarToDateTime(b));
}

void TCustomMyDataSetUpdater::SetUpdateComponentOptions(TStatementType,
                                                        TCustomDADataSet& component) {
  // The setting stays with the component and its record set between posts: set again, it is
  // only handed to the record set once more (an open component would fetch and resync, too).
  if (!component.FetchAll() || component.UniDirectional() || component.Active())
    component.SetFetchAll(true);
  auto* own = HotCast<TCustomMyDataSet>(DADataSet());
  auto* target = HotCast<TCustomMyDataSet>(&component);
  if (own != nullptr && target != nullptr) {
    target->Options()->SetEnableBoolean(own->Options()->EnableBoolean());
    // A row read back (a lock's check, a refresh) must give its columns in the dataset's own
    // form (binary ones as bytes or text, any as text), to be compared with the record and
    // copied into it.
    target->Options()->SetBinaryAsString(own->Options()->BinaryAsString());
    target->Options()->SetFieldsAsString(own->Options()->FieldsAsString());
  }
}

void TCustomMyDataSetUpdater::PrepareUpdateStatement(const String& text,
                                                     TStatementTypes statementTypes, bool generate,
                                                     TDAParamsInfo*& paramsInfo) {
  TDADataSetUpdater::PrepareUpdateStatement(text, statementTypes, generate, paramsInfo);
  // A kept statement's command still holds the positions written when it was generated.
  if (paramsInfo == nullptr || StatementReused()) return;
  if (statementTypes.Contains(stRefreshQuick) || statementTypes.Contains(stRefreshCheckDeleted))
    return;
  TDAParams* own = DAService()->OwnParams();
  bool ownParams = own != nullptr && own->Count() > 0;
  if (statementTypes.Contains(stRefresh) && (ownParams || DAService()->FullRefresh())) return;
  // Read from the text that goes out, so that every position addresses its "?", also where the
  // conditions were moved inside the dataset's own statement.
  TLxCommand* command = CurrentUpdateDataSet()->ICommand();
  // These positions replace any the scan of the text recorded.
  command->SetProp(pcFillParamPositions, true);
  command->SetProp(pcFillParamPositions, false);
  for (int position : PlaceholderPositions(command->SQL()))
    command->SetProp(pcParamPosition, position);
}

bool TCustomMyDataSetUpdater::GetIdentityFieldValue(Variant& value) {
  TCustomDAConnection* connection = DADataSet()->Connection();
  if (connection == nullptr || connection->IConnection() == nullptr) return false;
  Variant id;
  // The key comes from the INSERT's answer. An open session still holds it. A closed one (in
  // disconnected mode the session ends with the statement) would be opened afresh and know no
  // key: the component that ran the INSERT kept it from its session.
  if (connection->Connected()) {
    connection->IConnection()->GetProp(pcLastInsertId, id);
  } else if (TCustomDADataSet* component = CurrentUpdateDataSet()) {
    id = Variant(component->LastInsertId());
  }
  if (id.IsEmpty() || id.IsNull()) return false;
  int64_t key = id.AsInt64();
  if (key == 0) return false;
  value = Variant(key);
  return true;
}

void TCustomMyDataSetUpdater::PrepareEdit() {
  TCustomDADataSet* dataSet = DADataSet();
  // A cached insert that is not applied yet has no row on the server to read.
  if (dataSet->RefreshOptions().Contains(roBeforeEdit) &&
      !(dataSet->CachedUpdates() && dataSet->UpdateStatus() == usInserted))
    RefreshRecord();
  TDADataSetUpdater::PrepareEdit();
}

void TCustomMyDataSetUpdater::LockRecord() {
  if (!DADataSet()->FetchAll())
    DatabaseError(u"Lock is not compatible with FetchAll = False", DADataSet());
  TDADataSetUpdater::LockRecord();
}

bool TCustomMyDataSetUpdater::IsTrackedField(TFieldDesc* fieldDesc) {
  return TCustomMyDataSetService::IsTrackedField(fieldDesc);
}

void TCustomMyDataSetUpdater::TrackFieldValue(TFieldDesc* fieldDesc, const Variant& value) {
  static_cast<TCustomMyDataSetService*>(DAService())->TrackFieldValue(fieldDesc, value);
}
