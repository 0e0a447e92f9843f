// The updater's statement batches: while the record store applies cached updates, the INSERT,
// UPDATE and DELETE statements of several records are joined into one text, each ending with
// ";" and separated by a line break, and sent together when the batch is full or the last
// record is reached. Each statement's parameters are renamed after its place in the batch
// (P_0_, P_1_, ...), so that the batch's parameters are told apart by name.
#include "Common/DBAccess.h"
#include "Common/DBAccess_AccessUtils.h"
#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_Updater.h"
#include "Common/LxAccess_Command.h"
#include "platform/rtl/NumberText.h"

bool TDADataSetUpdater::BatchAllowed() {
  // An update object's statements run one at a time, as their user wrote them.
  return FDataSet->ApplyingCachedUpdates() && FDataSet->Options()->UpdateBatchSize > 1 &&
         FDataSet->UpdateObject() == nullptr;
}

bool TDADataSetUpdater::BatchFull() {
  return BatchAllowed() && FBatchCount >= FDataSet->Options()->UpdateBatchSize;
}

bool TDADataSetUpdater::Batching(TStatementType statementType) {
  return statementType != stBatchUpdate && statementType != stLock && statementType != stRefresh &&
         BatchAllowed();
}

String TDADataSetUpdater::AddToBatch(const String& text, bool generated) {
  String sql = text;
  if (!generated && sql.find(u':') != String::npos) {
    TLxCommand* command = FDataSet->ICommand();
    RTL_ASSERT(command != nullptr, u"The dataset has no command to rename parameters with");
    sql = command->ParseSQL(
        sql, nullptr, u":" + TDASQLGenerator::BatchParamPrefix() + IntToStr(FBatchCount) + u"_");
  }
  if (sql.empty()) return sql;
  if (!FBatchSQL.empty()) FBatchSQL += u"\r\n";
  FBatchSQL += sql + u";";
  ++FBatchCount;
  return sql;
}

void TDADataSetUpdater::AddBatchParams() {
  if (!FBatchParams) FBatchParams = std::make_unique<TDAParams>();
  TDAParams* params = TDBAccessUtils::GetParams(FUpdateComponent);
  for (int i = 0; i < params->Count(); ++i) {
    TDAParam* source = params->Items(i);
    auto* copy = static_cast<TDAParam*>(FBatchParams->AddParameter());
    copy->Assign(source);
    copy->SetParamType(source->ParamType());
  }
}

void TDADataSetUpdater::AssignBatchParams() {
  TDAParams* params = TDBAccessUtils::GetParams(FUpdateComponent);
  for (int i = 0; i < params->Count(); ++i) {
    TDAParam* param = params->Items(i);
    TDAParam* source = FBatchParams ? FBatchParams->FindParam(param->Name()) : nullptr;
    if (source == nullptr && FBatchParams && i < FBatchParams->Count())
      source = FBatchParams->Items(i);
    if (source != nullptr) param->Assign(source);
  }
}

void TDADataSetUpdater::FlushBatch() {
  if (FBatchSQL.empty()) return;
  struct TEmptyBatch {
    TDADataSetUpdater* Updater;
    ~TEmptyBatch() {
      // Sent or refused, the batch is over: what failed stays pending in the store.
      Updater->FBatchSQL.clear();
      if (Updater->FBatchParams) Updater->FBatchParams->Clear();
      Updater->FBatchCount = 0;
    }
  } empty{this};
  PerformSQL(String(), TStatementTypes{stBatchUpdate});
}
