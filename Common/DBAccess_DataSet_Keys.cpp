// The fields that identify a record of the dataset component: the current record's key and
// values, which bring the cursor back to the same record after a refresh or a change of the
// local filter, and the key list the provider interface reports.
#include "Common/DBAccess.h"
#include "Common/DBAccess_Service.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"

namespace {

TDADataSetService* ServiceOf(TMemDataSet& dataSet) {
  auto* service = dynamic_cast<TDADataSetService*>(dataSet.DataSetService());
  RTL_ASSERT(service != nullptr, u"DBAccess");
  return service;
}

}  // namespace

TDataSetServiceClass TCustomDADataSet::GetDataSetServiceClass() {
  return TDataSetServiceClass::Of<TDADataSetService>();
}

void TCustomDADataSet::GetCurrentKeysAndValues(TFieldDescArray& fields, Variant& values) {
  TDADataSetService* service = ServiceOf(*this);
  const TKeyAndDataFields known = service->GetKeyAndDataFields(false);
  fields = known.KeyFieldDescs;
  const bool keyed = !fields.empty();
  if (!keyed) {
    // Without a key every comparable column names the record.
    TDASQLGenerator* generator = service->Generator();
    for (TFieldDesc* desc : known.DataFieldDescs)
      if (!generator->IsBlobDataType(desc->DataType()) &&
          !generator->IsObjectDataType(desc->DataType()))
        fields.push_back(desc);
  }
  TRecordBuffer buffer = GetActiveRecBuf();
  auto valueOf = [this, buffer](TFieldDesc* desc) {
    return buffer != nullptr ? Data()->GetFieldAsVariant(desc->FieldNo(), buffer) : Variant();
  };
  if (keyed && fields.size() == 1) {
    values = valueOf(fields[0]);
    return;
  }
  values = Variant();
  if (fields.empty()) return;
  values = VarArrayCreate({0, static_cast<int>(fields.size()) - 1}, varVariant);
  for (size_t i = 0; i < fields.size(); ++i)
    values.PutElement({static_cast<int>(i)}, valueOf(fields[i]));
}

TCustomDADataSet::TRecordKey TCustomDADataSet::CurrentRecordKey() {
  TRecordKey key;
  TFieldDescArray descs;
  GetCurrentKeysAndValues(descs, key.Values);
  TDADataSetService* service = ServiceOf(*this);
  for (TFieldDesc* desc : descs) {
    TField* field = service->FieldOf(desc);
    key.FieldNames.push_back(field != nullptr ? field->FieldName() : desc->Name());
  }
  return key;
}

std::vector<TField*> TCustomDADataSet::RecordKeyFields(const TRecordKey& key) {
  std::vector<TField*> fields;
  if (key.Values.IsEmpty()) return fields;
  for (const String& name : key.FieldNames) {
    TField* field = FindField(name);
    if (field == nullptr) return {};
    fields.push_back(field);
  }
  return fields;
}

void TCustomDADataSet::ApplyRefreshKeepingRecord(const TRecordKey& key) {
  DoBeforeScroll();
  std::vector<TField*> fields = RecordKeyFields(key);
  if (fields.empty() || !LocateRecordFields(fields, key.Values, false, TSearchOptions()))
    InternalFirst();
  FScrollAfterRefresh = true;
}

void TCustomDADataSet::DoAfterRefresh() {
  if (FScrollAfterRefresh) {
    FScrollAfterRefresh = false;
    DoAfterScroll();
  }
  TMemDataSet::DoAfterRefresh();
}

void TCustomDADataSet::SetFiltered(bool value) {
  if (!Active() || value == Filtered()) {
    TMemDataSet::SetFiltered(value);
    return;
  }
  const TRecordKey key = CurrentRecordKey();
  TMemDataSet::SetFiltered(value);
  std::vector<TField*> fields = RecordKeyFields(key);
  if (!fields.empty()) LocateEx(fields, TSearchOptions(), key.Values);
}

String TCustomDADataSet::PSGetKeyFields() {
  String keys = TMemDataSet::PSGetKeyFields();
  if (!keys.empty()) return keys;
  if (!FKeyFieldsCache.empty()) return FKeyFieldsCache;
  if (!FKeyFields.empty()) {
    FKeyFieldsCache = FKeyFields;
    return FKeyFieldsCache;
  }
  // The service names the key by the dataset's fields, which a closed dataset makes only by
  // opening.
  const bool describe = !Active() && EffectiveConnection() != nullptr && Fields()->Count() == 0;
  if (describe) Open();
  try {
    TDADataSetService* service = ServiceOf(*this);
    for (TFieldDesc* desc : service->GetKeyAndDataFields(false).KeyFieldDescs) {
      TField* field = service->FieldOf(desc);
      if (field == nullptr) continue;
      if (!keys.empty()) keys += u';';
      keys += field->FieldName();
    }
  } catch (...) {
    if (describe) Close();
    throw;
  }
  if (describe) Close();
  FKeyFieldsCache = keys;
  return keys;
}
