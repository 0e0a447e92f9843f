// TDataSet: searching and provider support, as a dataset without SQL, keys or transactions
// answers them. Descendants that have those override.
#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"
#include "platform/db/FieldDefs.h"
#include "platform/db/Fields.h"

bool TDataSet::Locate(const String&, const Variant&, TLocateOptions) { return false; }

Variant TDataSet::Lookup(const String&, const Variant&, const String&) { return Variant::Null(); }

void TDataSet::PSEndTransaction(bool) {}

void TDataSet::PSExecute() { DatabaseError(SOperationNotSupported, this); }

int TDataSet::PSExecuteStatement(const String&, TParams*, TDataSet**) {
  DatabaseError(SOperationNotSupported, this);
}

void TDataSet::PSGetAttributes(std::vector<std::pair<String, Variant>>&) {}

String TDataSet::PSGetCommandText() { return String(); }

int TDataSet::PSGetCommandType() { return -1; }

TIndexDefs* TDataSet::PSGetIndexDefs(TIndexOptions) { return nullptr; }

std::unique_ptr<TIndexDef> TDataSet::PSGetDefaultOrder() { return nullptr; }

String TDataSet::PSGetKeyFields() {
  String keys;
  for (TField* field : *FFields) {
    if (!field->ProviderFlags().Contains(pfInKey)) continue;
    if (!keys.empty()) keys += u';';
    keys += field->FieldName();
  }
  return keys;
}

TParams* TDataSet::PSGetParams() { return nullptr; }

String TDataSet::PSGetQuoteChar() { return u"\""; }

String TDataSet::PSGetTableName() { return String(); }

Variant TDataSet::PSGetUpdateException(Exception*, Exception*) { return Variant(); }

bool TDataSet::PSInTransaction() { return false; }

bool TDataSet::PSIsSQLBased() { return false; }

bool TDataSet::PSIsSQLSupported() { return false; }

void TDataSet::PSReset() {}

void TDataSet::PSSetCommandText(const String&) {}

void TDataSet::PSSetParams(TParams*) {}

void TDataSet::PSStartTransaction() {}

bool TDataSet::PSUpdateRecord(TUpdateKind, TDataSet*) { return false; }
