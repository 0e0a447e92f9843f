#include "MySql/MyAccess_Command.h"

#include <vector>

#include "MySql/MyAccess.h"
#include "MySql/MyClasses_Command.h"
#include "MySql/MyClasses_Connection.h"
#include "MySql/MyParser.h"
#include "Common/MemData_Blob.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// The parameter types whose values come back: output, input/output and result.
bool ComesBack(uint8_t paramType) { return paramType >= 2 && paramType <= 4; }

bool IsBlobCode(TDataTypeCode type) {
  return type == dtBlob || type == dtMemo || type == dtWideMemo;
}

}  // namespace

std::unique_ptr<TCustomDASQL> TCustomMyConnection::CreateSQL() {
  auto command = std::make_unique<TMyCommand>(nullptr);
  command->SetConnection(this);
  return command;
}

TMyCommand::TMyCommand(TComponent* owner) : TCustomDASQL(owner) {
  SetAutoCommit(true);
  Macros()->SetParserClass(GetParserClass());
}

TCustomMyConnection* TMyCommand::Connection() const {
  return static_cast<TCustomMyConnection*>(TCustomDASQL::Connection());
}

void TMyCommand::SetConnection(TCustomMyConnection* value) {
  TCustomDASQL::SetConnection(value);
}

TMySQLCommand* TMyCommand::MyICommand() const {
  return static_cast<TMySQLCommand*>(ICommand());
}

TParserClass TMyCommand::GetParserClass() { return &NewParser<TMyParser>; }

void TMyCommand::CreateICommand() {
  TCustomDASQL::CreateICommand();
  if (!ICommand()) SetICommand(std::make_unique<TMySQLCommand>());
}

void TMyCommand::SetICommand(std::unique_ptr<TLxCommand> command) {
  if (command) command->SetProp(pcCommandTimeout, FCommandTimeout);
  TCustomDASQL::SetICommand(std::move(command));
}

void TMyCommand::SetCommandTimeout(int value) {
  FCommandTimeout = value;
  if (ICommand()) ICommand()->SetProp(pcCommandTimeout, value);
}

void TMyCommand::ProcessSQL() {
  CheckICommand();
  // Without a provider command (a dataset with no connection yet) the text is only parsed.
  if (!ParamCheckEffective() || !ICommand()) {
    TCustomDASQL::ProcessSQL();
    return;
  }
  // The MySQL command notes where its parameter markers stand while it scans the text.
  ICommand()->SetProp(pcFillParamPositions, true);
  try {
    TCustomDASQL::ProcessSQL();
  } catch (...) {
    ICommand()->SetProp(pcFillParamPositions, false);
    throw;
  }
  ICommand()->SetProp(pcFillParamPositions, false);
}

void TMyCommand::AssignTo(TPersistent* dest) {
  TCustomDASQL::AssignTo(dest);
  if (auto* target = dynamic_cast<TMyCommand*>(dest)) {
    target->SetCommandTimeout(FCommandTimeout);
    target->BeforeExecute = BeforeExecute;
    target->AfterExecute = AfterExecute;
  }
}

// ---- Output parameters of procedure calls.

bool TMyCommand::CallReturnsParams() const {
  TMySQLCommand* command = MyICommand();
  if (!command || !command->StoredProc()) return false;
  for (int i = 0; i < command->GetParamCount(); ++i)
    if (ComesBack(command->GetParam(i)->GetParamType())) return true;
  return false;
}

void TMyCommand::InternalExecute(int iterations) {
  TMySQLCommand* command = MyICommand();
  // Without a record set to read it, the row of output values is kept for ReadOutParams.
  command->SetRequestResultSet(CallReturnsParams());
  try {
    TCustomDASQL::InternalExecute(iterations);
  } catch (...) {
    command->SetRequestResultSet(false);
    throw;
  }
  command->SetRequestResultSet(false);
}

void TMyCommand::DoAfterExecute(bool result) {
  TMySQLCommand* command = MyICommand();
  if (result && command->ResultHandle() != nullptr) ReadOutParams();
  TCustomDASQL::DoAfterExecute(result);
}

void TMyCommand::ReadOutParams() {
  TMySQLCommand* command = MyICommand();
  TMySQLConnection* connection = command->MyConnection();
  TMySQLAPI* api = connection->API();
  PMYSQL_RES result = command->TakeResult();
  command->ReleaseResult();
  // The call selects the values last; a procedure's own result sets come before them.
  std::vector<Variant> values;
  bool failed = false;
  for (;;) {
    if (result != nullptr) {
      const int columns = api->mysql_num_fields(result);
      bool first = true;
      while (PMYSQL_ROW row = api->FetchRow(result)) {
        if (!first) continue;
        first = false;
        values.clear();
        for (int i = 0; i < columns; ++i) {
          if (api->FieldIsNull(row, i)) {
            values.push_back(Variant::Null());
            continue;
          }
          AnsiString text;
          api->GetFieldString(row, i, text);
          values.emplace_back(UTF8ToString(text));
        }
      }
      failed = api->mysql_errno(connection->Handle()) != 0;
      api->mysql_free_result(result);
      result = nullptr;
      if (failed) break;
    }
    if (!api->mysql_more_results(connection->Handle())) break;
    const int status = api->mysql_next_result(connection->Handle());
    if (status != 0) {
      failed = status > 0;
      break;
    }
    result = api->mysql_use_result(connection->Handle());
  }
  if (failed) connection->RaiseError(command->OwnerComponent());
  size_t column = 0;
  for (int i = 0; i < command->GetParamCount() && column < values.size(); ++i) {
    TParamDesc* desc = command->GetParam(i);
    if (!ComesBack(desc->GetParamType())) continue;
    const Variant& value = values[column++];
    if (IsBlobCode(desc->GetDataType())) {
      if (auto* blob = static_cast<TBlob*>(desc->GetObject()))
        blob->SetAsWideString(value.IsNull() ? String() : value.AsString());
      continue;
    }
    desc->SetValue(value);
  }
  command->SetProp(pcCanReadParams, true);
}
