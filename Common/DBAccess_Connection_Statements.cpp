// The connection component's statements, run through its internal command component, the
// references its clients hold, the apply of several datasets' cached updates in their
// transactions, and assignment.
#include <algorithm>

#include "Common/DBAccess.h"
#include "Common/DBAccess_MetaData.h"
#include "Common/DBAccess_SQL.h"
#include "Common/DBAccess_Transaction.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"

namespace {

constexpr char16_t SInvalidParamsArray[] =
    u"Invalid Params array. Valid format: <Name1>,<Value1>[,<Name2>,<Value2>[...]]";
constexpr char16_t SNotOwnedFmt[] = u"Cannot update, %s is not owned by %s";

bool IsText(const Variant& value) {
  const uint16_t type = value.VarType();
  return type == varUString || type == varString || type == varOleStr;
}

// Name/value pairs: complete, each name a text. A single Null stands for no pairs.
bool CheckPairs(const std::vector<Variant>& pairs) {
  if (pairs.size() == 1 && pairs[0].IsNull()) return false;
  if (pairs.size() % 2 != 0) throw Exception(SInvalidParamsArray);
  for (size_t i = 0; i < pairs.size(); i += 2)
    if (!IsText(pairs[i])) throw Exception(SInvalidParamsArray);
  return !pairs.empty();
}

}  // namespace

// ---- The clients.

void TCustomDAConnection::ClearRefs() {
  // Each command and dataset unregisters itself as it lets go.
  while (!FCommands.empty()) FCommands.back()->SetConnection(nullptr);
  for (int i = ClientCount() - 1; i >= 0; --i) {
    if (i >= ClientCount()) continue;
    if (auto* dataSet = dynamic_cast<TCustomDADataSet*>(Clients(i)))
      if (dataSet->Connection() == this) dataSet->SetConnection(nullptr);
    if (i >= ClientCount()) continue;
    if (auto* metaData = dynamic_cast<TDAMetaData*>(Clients(i)))
      if (metaData->Connection() == this) metaData->SetConnection(nullptr);
  }
}

void TCustomDAConnection::FreeCommand() { FCommand.reset(); }

TCustomDASQL* TCustomDAConnection::CheckCommand() {
  if (!FCommand) FCommand = CreateSQL();
  return FCommand.get();
}

// ---- Statements.

Variant TCustomDAConnection::ExecSQL(const String& text, const std::vector<Variant>& values) {
  TCustomDASQL* command = CheckCommand();
  command->SQL()->Clear();
  command->SetSQLText(text);
  TDAParams* params = command->Params();
  for (int i = 0; i < params->Count() && static_cast<size_t>(i) < values.size(); ++i)
    params->Items(i)->SetAsVariant(values[static_cast<size_t>(i)]);
  TDAParam* result = command->FindResultParam();
  if (result && result->DataType() == ftUnknown) result->SetDataType(ftString);
  command->Execute();
  return result ? result->GetAsVariant() : Variant::Null();
}

Variant TCustomDAConnection::ExecSQLEx(const String& text, const std::vector<Variant>& pairs) {
  TCustomDASQL* command = CheckCommand();
  command->SQL()->Clear();
  command->SetSQLText(text);
  if (CheckPairs(pairs))
    for (size_t i = 0; i < pairs.size(); i += 2)
      command->ParamByName(pairs[i].AsString())->SetAsVariant(pairs[i + 1]);
  TDAParam* result = command->FindResultParam();
  if (result && result->DataType() == ftUnknown) result->SetDataType(ftString);
  command->Execute();
  return result ? result->GetAsVariant() : Variant();
}

Variant TCustomDAConnection::ExecProc(const String& name, const std::vector<Variant>& values) {
  TCustomDASQL* command = CheckCommand();
  command->SQL()->Clear();
  command->CreateProcCall(name, true, false);
  TDAParams* params = command->Params();
  TDAParam* result = command->FindResultParam();
  size_t next = 0;
  for (int i = 0; i < params->Count(); ++i) {
    TDAParam* param = params->Items(i);
    if (param == result) continue;
    if (next < values.size()) {
      param->SetAsVariant(values[next++]);
    } else if (param->ParamType() == ptInput) {
      // A parameter the caller gave no value: its value is not sent.
      param->SetBound(false);
    }
  }
  command->Execute();
  return result ? result->GetAsVariant() : Variant();
}

Variant TCustomDAConnection::ExecProcEx(const String& name, const std::vector<Variant>& pairs) {
  TCustomDASQL* command = CheckCommand();
  command->SQL()->Clear();
  command->CreateProcCall(name, true, false);
  const bool named = CheckPairs(pairs);
  TDAParams* params = command->Params();
  for (int i = 0; i < params->Count(); ++i)
    if (params->Items(i)->ParamType() == ptInput) params->Items(i)->SetBound(false);
  if (named)
    for (size_t i = 0; i < pairs.size(); i += 2)
      command->ParamByName(pairs[i].AsString())->SetAsVariant(pairs[i + 1]);
  TDAParam* result = command->FindResultParam();
  command->Execute();
  return result ? result->GetAsVariant() : Variant();
}

// ---- Applying the cached updates of several datasets.

void TCustomDAConnection::ApplyUpdates() {
  std::vector<TCustomDADataSet*> dataSets;
  for (int i = 0; i < ClientCount(); ++i)
    if (auto* dataSet = dynamic_cast<TCustomDADataSet*>(Clients(i))) dataSets.push_back(dataSet);
  ApplyUpdates(dataSets);
}

void TCustomDAConnection::ApplyUpdates(const std::vector<TCustomDADataSet*>& dataSets) {
  std::vector<TDATransaction*> transactions;
  std::vector<TCustomDADataSet*> applied;
  for (TCustomDADataSet* dataSet : dataSets) {
    if (dataSet->Connection() != this)
      DatabaseError(Format(SNotOwnedFmt, {dataSet->Name(), Name()}));
    if (!dataSet->Active() || !dataSet->CachedUpdates()) continue;
    TDATransaction* transaction = dataSet->EffectiveUpdateTransaction();
    if (!transaction) throw Exception(STransactionNotAssigned);
    if (std::find(transactions.begin(), transactions.end(), transaction) == transactions.end())
      transactions.push_back(transaction);
    applied.push_back(dataSet);
  }
  struct TLeave {
    TCustomDAConnection* Connection;
    ~TLeave() { Connection->LeaveOperation(); }
  };
  EnterOperation(clConnectionApply, IsFailOverAllowed());
  TLeave leave{this};
  std::vector<bool> startedHere(transactions.size(), false);
  bool firstPass = true;
  for (;;) {
    try {
      for (size_t i = 0; i < transactions.size(); ++i) {
        if (firstPass) startedHere[i] = !transactions[i]->GetActive();
        if (!transactions[i]->GetActive()) transactions[i]->StartTransaction();
      }
      firstPass = false;
      for (TCustomDADataSet* dataSet : applied) {
        const bool autoCommit = dataSet->AutoCommit();
        dataSet->SetAutoCommit(false);
        try {
          dataSet->ApplyUpdates();
        } catch (...) {
          dataSet->SetAutoCommit(autoCommit);
          throw;
        }
        dataSet->SetAutoCommit(autoCommit);
      }
      if (AutoCommit()) {
        for (size_t i = 0; i < transactions.size(); ++i) {
          if (!IsMultipleTransactionsSupported() || startedHere[i])
            transactions[i]->Commit();
          else
            transactions[i]->CommitRetaining();
        }
      }
      break;
    } catch (const EFailOver&) {
      firstPass = false;
      RestoreAfterReconnect();
    } catch (...) {
      for (size_t i = 0; i < transactions.size(); ++i) {
        if (!transactions[i]->GetActive()) continue;
        try {
          if (!IsMultipleTransactionsSupported() || startedHere[i])
            transactions[i]->Rollback();
          else
            transactions[i]->RollbackRetaining();
        } catch (...) {
          // The apply's error is the one to report.
        }
      }
      // What was applied was undone with the transaction: every change is pending again.
      for (TCustomDADataSet* dataSet : applied)
        if (dataSet->Active()) dataSet->RestoreUpdates();
      throw;
    }
  }
  for (TCustomDADataSet* dataSet : applied) dataSet->CommitUpdates();
}

// ---- Assignment.

void TCustomDAConnection::AssignTo(TPersistent* dest) {
  auto* target = dynamic_cast<TCustomDAConnection*>(dest);
  if (!target) {
    TCustomConnection::AssignTo(dest);
    return;
  }
  target->SetUsername(FUsername);
  target->SetPassword(FPassword);
  target->SetServer(FServer);
  target->SetLoginPrompt(LoginPrompt());
  target->PoolingOptions()->Assign(FPoolingOptions.get());
  target->SetPooling(FPooling);
  target->OnError = OnError;
  target->SetConvertEOL(FConvertEOL);
  target->Options()->Assign(FOptions.get());
  target->SetAutoCommit(FAutoCommit);
  target->AfterConnect = AfterConnect;
  target->BeforeConnect = BeforeConnect;
  target->AfterDisconnect = AfterDisconnect;
  target->BeforeDisconnect = BeforeDisconnect;
  target->OnLogin = OnLogin;
}
