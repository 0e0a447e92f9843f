// The MySQL record set: construction, options, executing the command and giving up results.
// Describing the columns is in MyClasses_RecordSet_Describe.cpp, reading rows in
// MyClasses_RecordSet_Fetch.cpp and the separate fetch connection in
// MyClasses_RecordSet_Connection.cpp.
#include "MySql/MyClasses_RecordSet.h"

#include <string>

#include "MySql/MyClasses_Connection.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "platform/rtl/Exceptions.h"

TMySQLRecordset::TMySQLRecordset() : TLxRecordSet(std::make_unique<TMySQLCommand>()) {
  // The base constructor stored the command before this class could see it.
  FMyCommand = static_cast<TMySQLCommand*>(GetCommand());
  FMyCommand->SetRequestResultSet(true);
  FFetchRows = 25;
}

TMySQLRecordset::~TMySQLRecordset() {
  // Rows still on the wire are given up, and a fetch connection goes back before the command.
  try {
    if (Active()) Close();
    if (FMyCommand->ResultHandle() != nullptr || FNextResult != nullptr) CloseAllResults();
  } catch (const std::exception&) {
  }
  if (FNextResult != nullptr && Connection() != nullptr && Connection()->API() != nullptr) {
    Connection()->API()->mysql_free_result(FNextResult);
    FNextResult = nullptr;
  }
  try {
    ReleaseFetchConnection(FFetchConnectionKilled);
  } catch (const std::exception&) {
  }
}

void TMySQLRecordset::SetCommand(std::unique_ptr<TLxCommand> command) {
  FMyCommand = dynamic_cast<TMySQLCommand*>(command.get());
  RTL_ASSERT(command == nullptr || FMyCommand != nullptr, u"A MySQL record set needs a MySQL command");
  TLxRecordSet::SetCommand(std::move(command));
}

TMySQLConnection* TMySQLRecordset::Connection() const {
  return FMyCommand ? FMyCommand->MyConnection() : nullptr;
}

// ---- connection facts ----

void TMySQLRecordset::RefreshConnectionFacts() {
  TMySQLConnection* con = Connection();
  if (!con) return;
  FIsClient41 = con->IsClient41();
  FUseUnicode = con->UseUnicode();
  FOptimizedBigInt = con->OptimizedBigInt();
  FNullForZeroTesmarDate = con->NullForDayZero();
  FServerMajor = con->ServerMajor();
  FServerMinor = con->ServerMinor();
}

bool TMySQLRecordset::IsClient41() {
  RefreshConnectionFacts();
  return FIsClient41;
}

bool TMySQLRecordset::UseUnicode() {
  RefreshConnectionFacts();
  return FUseUnicode;
}

bool TMySQLRecordset::OptimizedBigInt() {
  RefreshConnectionFacts();
  return FOptimizedBigInt;
}

bool TMySQLRecordset::NullForZeroTesmarDate() {
  RefreshConnectionFacts();
  return FNullForZeroTesmarDate;
}

int32_t TMySQLRecordset::ServerMajor() {
  RefreshConnectionFacts();
  return FServerMajor;
}

int32_t TMySQLRecordset::ServerMinor() {
  RefreshConnectionFacts();
  return FServerMinor;
}

// ---- checks ----

void TMySQLRecordset::CheckResultTrue(bool value) {
  RTL_ASSERT(Connection() != nullptr, u"The record set's command has no connection");
  Connection()->CheckResultTrue(value, GetComponent());
}

void TMySQLRecordset::CheckResultFalse(int value) {
  RTL_ASSERT(Connection() != nullptr, u"The record set's command has no connection");
  Connection()->CheckResultFalse(value, GetComponent());
}

void TMySQLRecordset::CheckErrno() {
  RTL_ASSERT(Connection() != nullptr, u"The record set's command has no connection");
  Connection()->CheckErrno(GetComponent());
}

// ---- numbered properties ----

bool TMySQLRecordset::SetProp(TLxPropCode prop, const Variant& value) {
  switch (prop) {
    case pcFieldsAsString:
      FFieldsAsString = value.AsBoolean();
      return true;
    case pcNullForZeroDate:
      FNullForZeroDate = value.AsBoolean();
      return true;
    case pcEnableBoolean:
      FEnableBoolean = value.AsBoolean();
      return true;
    case pcCreateConnection:
      FCreateConnection = value.AsBoolean();
      return true;
    case pcUseHandler:
      FUseHandler = value.AsBoolean();
      return true;
    case pcBinaryAsString:
      FBinaryAsString = value.AsBoolean();
      return true;
    case pcCommandTimeout:
      RTL_ASSERT(FMyCommand != nullptr, u"The record set has no command");
      FMyCommand->SetProp(pcCommandTimeout, value);
      return true;
    case pcOpenNext:
      FMyCommand->SetProp(pcOpenNext, value);
      return true;
    default:
      TLxRecordSet::SetProp(prop, value);
      return true;
  }
}

bool TMySQLRecordset::GetProp(TLxPropCode prop, Variant& value) {
  switch (prop) {
    case pcRecordCount:
      value = static_cast<int32_t>(RecordCount());
      return true;
    case pcEnableBoolean:
      value = FEnableBoolean;
      return true;
    case pcOpenNext:
      value = FMyCommand->OpenNext();
      return true;
    case pcMoreResults:
      value = FResultsState == rsMoreResults;
      return true;
    default:
      return TLxRecordSet::GetProp(prop, value);
  }
}

// ---- state questions ----

bool TMySQLRecordset::IsCursorIdle() {
  RTL_ASSERT(FMyCommand != nullptr, u"The record set has no command");
  RTL_ASSERT(Connection() != nullptr, u"The record set's command has no connection");
  // A HANDLER read needs both sides at 4.1 or later to be idle between reads.
  if (FUseHandler && !(IsClient41() && Connection()->IsServer41())) return false;
  return TLxRecordSet::IsCursorIdle();
}

bool TMySQLRecordset::HasResultSet() {
  if (CommandType() != ctUnknown) return TLxRecordSet::HasResultSet();
  return FMyCommand->ResultHandle() != nullptr ||
         (FMyCommand->OpenNext() && FNextResult != nullptr);
}

void TMySQLRecordset::BreakFetch() {
  TLxRecordSet::BreakFetch();
  const TCursorState state = FMyCommand->GetCursorState();
  if (state == csFetching || state == csFetchingAll) FMyCommand->SetCursorState(csFetched);
}

// ---- prepare, open, close ----

void TMySQLRecordset::InternalPrepare() {
  try {
    if (!FetchAllFlag() && FCreateConnection) UseFetchConnection();
    TLxRecordSet::InternalPrepare();
    RTL_ASSERT(FMyCommand->StatementHandle() != nullptr, u"The prepared command has no statement");
    TMySQLAPI* api = Connection()->API();
    SetCommandType(api->mysql_stmt_field_count(FMyCommand->StatementHandle()) > 0 ? ctResultSet
                                                                                  : ctNoResult);
    FMyCommand->AdoptResult(api->mysql_stmt_result_metadata(FMyCommand->StatementHandle()),
                            FMyCommand->RowsAffected());
    // The columns are there to be described; the statement has not run.
    FMyCommand->SetCursorState(csPrepared);
    FBindState = 0;
  } catch (...) {
    try {
      InternalUnPrepare();
    } catch (const std::exception&) {
    }
    throw;
  }
}

void TMySQLRecordset::InternalUnPrepare() {
  struct Finish {
    TMySQLRecordset& rs;
    ~Finish() noexcept(false) {
      rs.FMyCommand->SetCursorState(csInactive);
      rs.SetCommandType(ctUnknown);
      rs.ReleaseFetchConnection(false);
    }
  } finish{*this};
  // The metadata of a prepared statement belongs to the statement.
  if (FMyCommand->ResultHandle() && FMyCommand->StatementHandle()) FMyCommand->TakeResult();
  TLxRecordSet::InternalUnPrepare();
}

void TMySQLRecordset::UnprepareCommand() {
  if (!Prepared()) CloseResult(false, true);
  RefreshConnectionFacts();
  TLxRecordSet::UnprepareCommand();
}

void TMySQLRecordset::InternalOpen() {
  try {
    TLxRecordSet::InternalOpen();
  } catch (...) {
    try {
      CloseResult(false, true);
    } catch (const std::exception&) {
    }
    throw;
  }
}

void TMySQLRecordset::InternalClose() {
  struct Finish {
    TMySQLRecordset& rs;
    ~Finish() noexcept(false) {
      rs.FMyCommand->SetCursorState(csInactive);
      if (!rs.Prepared()) rs.SetCommandType(ctUnknown);
      for (TFieldDesc* field : rs.Fields()) {
        auto* my = static_cast<TMySQLFieldDesc*>(field);
        if (my->MySQLType() != 7) continue;
        if (auto* table = dynamic_cast<TMyTableInfo*>(my->TableInfo())) table->SetMaxTimestamp(0);
      }
    }
  };
  {
    Finish finish{*this};
    if (FetchAllFlag())
      CloseAllResults();
    else
      CloseResult(true, true);
  }
  FreeBindBuffer();
  TLxRecordSet::InternalClose();
}

void TMySQLRecordset::ExplicitInitFields() {
  const bool wasActive = FMyCommand->GetCursorState() > csPrepared;
  struct Finish {
    TMySQLRecordset& rs;
    bool wasActive;
    ~Finish() {
      if (wasActive) return;
      rs.FMyCommand->SetCursorState(csInactive);
      rs.SetCommandType(ctUnknown);
    }
  } finish{*this, wasActive};
  TLxRecordSet::ExplicitInitFields();
}

// ---- executing ----

void TMySQLRecordset::TakeNextResult() {
  if (FNextResult == nullptr) return;
  FMyCommand->AdoptResult(FNextResult, FNextRowsAffected);
  FNextResult = nullptr;
}

void TMySQLRecordset::ExecCommand() {
  // Results of an earlier batch that nobody opened would block the session: running the
  // statement afresh gives them up.
  if (!FMyCommand->OpenNext() && (FNextResult != nullptr || FResultsState == rsMoreResults))
    CloseAllResults();
  FResultsState = rsNone;
  try {
    if (!FetchAllFlag() && FCreateConnection) UseFetchConnection();
    TLxRecordSet::ExecCommand();
  } catch (...) {
    try {
      CloseResult(false, true);
    } catch (const std::exception&) {
    }
    ReleaseFetchConnection(false);
    throw;
  }
  try {
    if (FMyCommand->OpenNext() && CommandType() == ctUnknown)
      TakeNextResult();
    else if (FMyCommand->GetPrepared())
      FBindState = 0;
    if (FMyCommand->ResultHandle() != nullptr) {
      SetCommandType(ctResultSet);
      FMyCommand->SetCursorState(csExecuted);
    } else if (!FMyCommand->OpenNext()) {
      SetCommandType(ctNoResult);
      CloseResult(true, true);
      if (FNextResult != nullptr) {
        TakeNextResult();
        SetCommandType(ctResultSet);
      }
    }
  } catch (...) {
    if (CommandType() != ctResultSet) FMyCommand->SetCursorState(csInactive);
    throw;
  }
  if (CommandType() != ctResultSet) FMyCommand->SetCursorState(csInactive);
}

// ---- giving up results ----

void TMySQLRecordset::CloseResult(bool readNext, bool drain) {
  struct Finish {
    TMySQLCommand* cmd;
    ~Finish() {
      const TCursorState state = cmd->GetCursorState();
      if (state == csFetching || state == csFetchingAll) cmd->SetCursorState(csFetched);
    }
  } finish{FMyCommand};

  TMySQLConnection* con = Connection();
  // A prepared statement's rows are read to their end; its result stays with the statement.
  if (FMyCommand->GetPrepared() && FMyCommand->StatementHandle() && con && con->API()) {
    FResultsState = rsNoMoreResults;
    if (CommandType() == ctResultSet && FBindState != 2) DrainStatementRows();
    return;
  }
  if (!con || !con->API() || !con->Handle()) {
    FResultsState = rsNoMoreResults;
    SetCommandType(ctUnknown);
    FMyCommand->SetCursorState(csInactive);
    return;
  }
  TMySQLAPI* api = con->API();
  bool batchEnded = false;
  if (PMYSQL_RES result = FMyCommand->ResultHandle()) {
    if (!FetchAllFlag() && FCreateConnection && FKillAllowed && FSavedConnection) {
      // A long rest of a single SELECT is cheaper to end on the server than to read.
      int32_t count = 0;
      while (api->FetchRow(result)) {
        if (!FFetchConnectionKilled && ++count >= FFetchRows) KillFetchConnection();
      }
    } else if (drain) {
      if (FetchBreak()) StopRunningQuery();
      while (api->FetchRow(result)) {
      }
    }
    const bool more = IsClient41() && api->mysql_more_results(con->Handle());
    // The result goes before its connection can.
    FMyCommand->TakeResult();
    api->mysql_free_result(result);
    if (FMyCommand->GetCursorState() == csExecuted) FMyCommand->SetCursorState(csInactive);
    if (more) {
      FResultsState = rsMoreResults;
    } else {
      FResultsState = rsNoMoreResults;
      batchEnded = true;
      ReleaseFetchConnection(FFetchConnectionKilled);
    }
  } else if (FResultsState != rsNoMoreResults) {
    FResultsState = rsMoreResults;
  }

  if (batchEnded || !readNext || FResultsState == rsNoMoreResults || !IsClient41()) return;
  con = Connection();
  FNextRowsAffected = -2;
  bool first = true;
  try {
    while (FNextResult == nullptr) {
      const int status = api->mysql_next_result(con->Handle());
      if (status < 0) {
        FResultsState = rsNoMoreResults;
      } else if (status == 0) {
        FResultsState = rsMoreResults;
      } else {
        FResultsState = rsNextFailed;
        FMyCommand->SetCursorState(csInactive);
        SetCommandType(ctUnknown);
        CheckResultFalse(status);
      }
      if (FResultsState != rsMoreResults) break;
      FMyCommand->SetPrevRowsAffected(first ? FMyCommand->RowsAffected() : FNextRowsAffected);
      first = false;
      FNextRowsAffected = FMyCommand->ReadAffectedRows();
      PMYSQL_RES next = api->mysql_use_result(con->Handle());
      try {
        CheckErrno();
      } catch (...) {
        if (next) api->mysql_free_result(next);
        throw;
      }
      FNextResult = next;
    }
  } catch (...) {
    if (FResultsState != rsMoreResults) ReleaseFetchConnection(FFetchConnectionKilled);
    throw;
  }
  if (FResultsState != rsMoreResults) ReleaseFetchConnection(FFetchConnectionKilled);
}

void TMySQLRecordset::CloseAllResults() {
  do {
    CloseResult(true, true);
    TakeNextResult();
  } while (FResultsState == rsMoreResults && FMyCommand->ResultHandle() != nullptr);
}
