// Kept statements: a generated INSERT, UPDATE or DELETE stays on its internal component, with its
// parameters and (for a provider that needs them) its placeholder positions, and serves the next
// record whose statement would have the same text. The generator says whether it would: the
// same inputs and the same answers from the record. The updater adds what lies on its side: the
// same component, command and connection, the text still on the command, the same refresh and
// returning options, and no handler that sees the parameters before they run.
#include "Common/DBAccess.h"
#include "Common/DBAccess_AccessUtils.h"
#include "Common/DBAccess_DataSet.h"
#include "Common/DBAccess_Updater.h"

int TDADataSetUpdater::KeptIndex(TStatementType statementType) {
  switch (statementType) {
    case stInsert:
      return 0;
    case stUpdate:
      return 1;
    case stDelete:
      return 2;
    default:
      return -1;
  }
}

bool TDADataSetUpdater::KeepingAllowed(TStatementType statementType) {
  // A handler may rename, retype or replace the parameters the kept text relies on.
  return KeptIndex(statementType) >= 0 && !FDataSet->HasBeforeUpdateExecute() &&
         !FDataSet->HasAfterUpdateExecute();
}

bool TDADataSetUpdater::UseKeptStatement(TStatementType statementType, bool modifiedOnly,
                                         TCustomDADataSet& component,
                                         TDAParamsInfo*& paramsInfo) {
  if (!KeepingAllowed(statementType)) return false;
  TKeptStatement& kept = FKept[KeptIndex(statementType)];
  if (kept.Component != &component || kept.Shape.Empty()) return false;
  TLxCommand* command = component.ICommand();
  bool same = command != nullptr && command == kept.Command &&
              component.Connection() == kept.Connection &&
              component.Params()->Count() == kept.ParamCount &&
              FDataSet->RefreshOptions().ToBits() == kept.RefreshOptions &&
              ReturnsValues() == kept.ReturnsValues &&
              SameUnits(command->SQL(), kept.CommandText) &&
              FService->Generator()->MatchesShape(kept.Shape, statementType, modifiedOnly);
  if (!same) return false;
  FStatementText = kept.Text;
  paramsInfo = kept.ParamsInfo.get();
  FStatementReused = true;
  return true;
}

void TDADataSetUpdater::KeepStatement(TStatementType statementType, TCustomDADataSet& component,
                                      TDAParamsInfo*& paramsInfo) {
  if (!KeepingAllowed(statementType) || FStatementText.empty() || paramsInfo == nullptr) return;
  TKeptStatement& kept = FKept[KeptIndex(statementType)];
  TLxCommand* command = component.ICommand();
  if (command == nullptr || !FService->Generator()->KeepLastShape(kept.Shape)) {
    Forget(kept);
    return;
  }
  if (!kept.ParamsInfo) kept.ParamsInfo = std::make_unique<TDAParamsInfo>(paramsInfo->ItemClass());
  kept.ParamsInfo->CopyFrom(*paramsInfo);
  kept.Text = FStatementText;
  kept.Component = &component;
  kept.Command = command;
  kept.Connection = component.Connection();
  kept.ParamCount = component.Params()->Count();
  kept.RefreshOptions = FDataSet->RefreshOptions().ToBits();
  kept.ReturnsValues = ReturnsValues();
  kept.CommandText = command->SQL();
  paramsInfo = kept.ParamsInfo.get();
}

void TDADataSetUpdater::Forget(TKeptStatement& kept) {
  kept.Shape.Clear();
  kept.Component = nullptr;
  kept.Command = nullptr;
}

void TDADataSetUpdater::DropKeptStatement(TStatementType statementType) {
  int index = KeptIndex(statementType);
  if (index >= 0) Forget(FKept[index]);
}

void TDADataSetUpdater::DropKeptStatements(const TCustomDADataSet* component) {
  for (TKeptStatement& kept : FKept)
    if (component == nullptr || kept.Component == component) Forget(kept);
}
