#include "MySql/MyClasses_Command.h"

#include <algorithm>
#include <string>

#include "Common/CLRClasses.h"
#include "Common/LxParser.h"
#include "MySql/MyClasses_Connection.h"
#include "MySql/MyClasses_Literals.h"
#include "MySql/MyClasses_SQLInfo.h"
#include "MySql/MyParser.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/UnicodeText.h"

namespace {

// The room the statement buffer keeps from one statement to the next.
constexpr size_t kKeptSendCapacity = 1 << 20;

}  // namespace

TMySQLCommand::TMySQLCommand() = default;

TMySQLCommand::~TMySQLCommand() {
  try {
    ReleaseResult();
    Unprepare();
  } catch (const std::exception&) {
  }
}

TTableInfoClass TMySQLCommand::GetTableInfoClass() const {
  return [](TLxTablesInfo* owner) -> std::unique_ptr<TLxTableInfo> {
    return std::make_unique<TMyTableInfo>(owner);
  };
}

TSQLInfoClass TMySQLCommand::GetSQLInfoClass() const { return &NewSQLInfo<TMySQLInfo>; }

TParserClass TMySQLCommand::GetParserClass() const { return &NewParser<TMyParser>; }

void TMySQLCommand::CheckResultTrue(bool result) {
  RTL_ASSERT(FConnection != nullptr, u"No connection");
  FConnection->CheckResultTrue(result, OwnerComponent());
}

void TMySQLCommand::CheckResultFalse(int result) {
  RTL_ASSERT(FConnection != nullptr, u"No connection");
  FConnection->CheckResultFalse(result, OwnerComponent());
}

void TMySQLCommand::CheckErrno() {
  RTL_ASSERT(FConnection != nullptr, u"No connection");
  FConnection->CheckErrno(OwnerComponent());
}

void TMySQLCommand::CheckStmtResult(int result) {
  RTL_ASSERT(FConnection != nullptr, u"No connection");
  FConnection->CheckStmtResult(FStmt, result, OwnerComponent());
}

void TMySQLCommand::SetConnection(TLxConnection* connection) {
  if (connection == GetConnection()) return;
  TLxCommand::SetConnection(connection);
  FConnection = dynamic_cast<TMySQLConnection*>(connection);
}

bool TMySQLCommand::SetProp(TLxPropCode prop, const Variant& value) {
  switch (prop) {
    case pcCanReadParams:
      FCanReadParams = value.AsBoolean();
      return true;
    case pcStoredProc:
      FStoredProc = value.AsBoolean();
      return true;
    case pcCommandTimeout:
      FCommandTimeout = value.AsInteger();
      return true;
    case pcOpenNext:
      FOpenNext = value.AsBoolean();
      return true;
    case pcParamPosition:
      FParamPositions.push_back(value.AsInteger());
      return true;
    case pcFillParamPositions:
      FFillParamPositions = value.AsBoolean();
      if (FFillParamPositions) FParamPositions.clear();
      return true;
    default:
      return TLxCommand::SetProp(prop, value);
  }
}

bool TMySQLCommand::GetProp(TLxPropCode prop, Variant& value) {
  switch (prop) {
    case pcRowsAffected: {
      int32_t rows = FRowsAffected;
      if (FIsSelectParams) {
        RTL_ASSERT(FStoredProc, u"Output parameters read outside a stored procedure");
        rows = FPrevRowsAffected;
      }
      value = rows == -1 ? 0 : rows;
      return true;
    }
    case pcCanReadParams:
      value = FCanReadParams;
      return true;
    case pcIsSelectParams:
      value = FIsSelectParams;
      return true;
    default:
      return TLxCommand::GetProp(prop, value);
  }
}

void TMySQLCommand::SetSQL(const String& value) {
  FProcNativeSQL.clear();
  // The scan below records fresh marker positions when they are asked for.
  if (FFillParamPositions) FParamPositions.clear();
  TLxCommand::SetSQL(value);
  if (!FFillParamPositions) FParamPositions.clear();
  ForgetNativeText();
}

void TMySQLCommand::ForgetNativeText() {
  FNativeBytesValid = false;
  FCachedPieces.clear();
}

String TMySQLCommand::ParseSQL(const String& sql, TParamDescs* params,
                               const String& renamePrefix) {
  if (sql.find(u':') == String::npos) {
    if (params) params->Clear();
    return sql;
  }
  return TLxCommand::ParseSQL(sql, params, renamePrefix);
}

void TMySQLCommand::ParseSQLParam(AnsiStringBuilder& builder, TParser& parser, char16_t leftQuote,
                                  char16_t rightQuote, TParamDescs* params,
                                  const String& renamePrefix) {
  int before = params ? params->Count() : 0;
  int length = builder.Length();
  TLxCommand::ParseSQLParam(builder, parser, leftQuote, rightQuote, params, renamePrefix);
  if (params && params->Count() > before) {
    RTL_ASSERT(builder.Length() == length + 1, u"A parameter marker is one character");
    SetProp(pcParamPosition, static_cast<int32_t>(builder.Length()));
  }
}

const String& TMySQLCommand::TextToSend() const {
  return FProcNativeSQL.empty() ? NativeSQL() : FProcNativeSQL;
}

AnsiString TMySQLCommand::ToBytes(const String& text) const { return UTF8Encode(text); }

// --- preparing -------------------------------------------------------------------------------

void TMySQLCommand::Prepare() {
  if (FPrepared) return;
  RTL_ASSERT(FConnection != nullptr, u"No connection");
  if (!FConnection->IsClient41())
    throw EDAError(0, u"Prepare/UnPrepare is not supported by this MySQL client version");
  if (!FConnection->IsServer41())
    throw EDAError(0, u"Prepare/UnPrepare is not supported by this MySQL server version");
  TMySQLAPI* api = FConnection->API();
  FStmt = api->mysql_stmt_init(FConnection->Handle());
  CheckResultTrue(FStmt != nullptr);
  try {
    CheckResultFalse(api->mysql_options(FConnection->Handle(), MYOPT_READ_TIMEOUT, &FCommandTimeout));
    CheckResultFalse(
        api->mysql_options(FConnection->Handle(), MYOPT_WRITE_TIMEOUT, &FCommandTimeout));
    AnsiString text = ToBytes(TextToSend());
    CheckStmtResult(api->mysql_stmt_prepare(FStmt, text.data(), static_cast<uint32_t>(text.size())));
    FPrepared = true;
  } catch (...) {
    api->mysql_stmt_close(FStmt);
    FStmt = nullptr;
    throw;
  }
  TLxCommand::Prepare();
}

void TMySQLCommand::Unprepare() {
  if (!FPrepared || FStmt == nullptr) return;
  FConnection->API()->mysql_stmt_close(FStmt);
  FStmt = nullptr;
  TLxCommand::Unprepare();
  FPrepared = false;
}

// --- executing -------------------------------------------------------------------------------

void TMySQLCommand::Execute(int) {
  // Running again would mix the new statement's reply into the pending result.
  if (FCursorState != csInactive && FCursorState != csPrepared)
    throw Exception(u"The command cannot run while its result is pending or being fetched");
  RTL_ASSERT(FConnection != nullptr, u"No connection");
  FCanReadParams = false;
  FIsSelectParams = false;
  TCursorState oldState = FCursorState;
  try {
    FConnection->API()->SetTimeouts(FConnection->Handle(), FCommandTimeout);
    {
      std::lock_guard<std::mutex> lock(FBreakLock);
      SetExecuting(true);
      FWaitForBreak = false;
    }
    FCursorState = csExecuting;
    try {
      if (FPrepared)
        ExecutePrepared();
      else
        ExecuteText();
    } catch (...) {
      if (FResult == nullptr) FCursorState = csInactive;
      std::lock_guard<std::mutex> lock(FBreakLock);
      SetExecuting(false);
      throw;
    }
    if (FResult == nullptr) FCursorState = csInactive;
    {
      std::lock_guard<std::mutex> lock(FBreakLock);
      SetExecuting(false);
    }
    if (AfterExecute()) AfterExecute()(true);
  } catch (...) {
    if (FCursorState != csInactive) FCursorState = oldState;
    if (AfterExecute()) AfterExecute()(false);
    bool broken;
    {
      std::lock_guard<std::mutex> lock(FBreakLock);
      broken = FWaitForBreak;
    }
    if (broken) Abort();
    throw;
  }
}

void TMySQLCommand::ReadAndFreeResult() {
  TMySQLAPI* api = FConnection->API();
  PMYSQL_RES result = api->mysql_use_result(FConnection->Handle());
  if (result != nullptr) api->mysql_free_result(result);
}

void TMySQLCommand::ExecuteText() {
  RTL_ASSERT(FConnection != nullptr && FConnection->Handle() != nullptr, u"Not connected");
  TMySQLAPI* api = FConnection->API();
  PMYSQL_CON con = FConnection->Handle();
  const String& native = TextToSend();
  if (!FOpenNext) {
    std::string_view text;
    if (GetParamCount() > 0 && NativeHasMarker()) {
      WriteStatement(FSendBuffer);
      text = FSendBuffer;
      if (FOnExecute) FOnExecute(UTF8ToString(text));
    } else {
      if (FOnExecute) FOnExecute(native);
      text = NativeBytes();
    }
    int result = api->mysql_real_query(con, text.data(), static_cast<uint32_t>(text.size()));
    // A statement that carried a large value does not hold on to its memory.
    if (FSendBuffer.capacity() > kKeptSendCapacity) AnsiString().swap(FSendBuffer);
    CheckResultFalse(result);
  }
  FPrevRowsAffected = FRowsAffected;
  FRowsAffected = GetAffectedRows();

  if (!FRequestResultSet) {
    ReadAndFreeResult();
    if (FConnection->IsClient41()) {
      int status;
      while ((status = api->mysql_next_result(con)) == 0) ReadAndFreeResult();
      // A later statement of the text failed: its error is the one to report.
      if (status > 0) CheckErrno();
    }
    return;
  }
  if (FOpenNext) return;
  RTL_ASSERT(FResult == nullptr, u"A result is pending");
  FResult = api->mysql_use_result(con);
  CheckErrno();
  if (FConnection->IsClient41() && api->mysql_more_results(con)) {
    // Statements without rows (the SET part of a routine call) are passed over.
    int status = 0;
    while (FResult == nullptr && status == 0) {
      status = api->mysql_next_result(con);
      if (status > 0) {
        FCursorState = csInactive;
        CheckResultFalse(status);
      }
      if (status != 0) break;
      FPrevRowsAffected = FRowsAffected;
      FRowsAffected = GetAffectedRows();
      FResult = api->mysql_use_result(con);
      CheckErrno();
    }
  }
}

int32_t TMySQLCommand::GetAffectedRows() {
  TMySQLAPI* api = FConnection->API();
  int64_t rows;
  bool hasColumns;
  if (FPrepared) {
    rows = api->mysql_stmt_affected_rows(FStmt);
    hasColumns = api->mysql_stmt_field_count(FStmt) != 0;
  } else {
    rows = api->mysql_affected_rows(FConnection->Handle());
    hasColumns = api->mysql_field_count(FConnection->Handle()) != 0;
  }
  FCursorState = hasColumns ? csExecuted : csInactive;
  return static_cast<int32_t>(rows);
}

void TMySQLCommand::ExecutePrepared() {
  TMySQLAPI* api = FConnection->API();
  CheckStmtResult(api->StmtExecuteParams(FStmt, Params(), FConnection->UseUnicode()));
  FPrevRowsAffected = FRowsAffected;
  FRowsAffected = GetAffectedRows();
  if (FRequestResultSet) {
    FResult = api->mysql_stmt_result_metadata(FStmt);
    CheckErrno();
  } else {
    api->mysql_stmt_free_result(FStmt);
  }
}

void TMySQLCommand::ReleaseResult() {
  if (FResult != nullptr) {
    PMYSQL_RES result = FResult;
    FResult = nullptr;
    // A prepared statement's result belongs to the statement, which frees it when it closes.
    if (FStmt == nullptr && FConnection && FConnection->API())
      FConnection->API()->mysql_free_result(result);
  }
  if (FCursorState != csPrepared) FCursorState = FPrepared ? csPrepared : csInactive;
}

void TMySQLCommand::AdoptResult(PMYSQL_RES result, int32_t rowsAffected) {
  FResult = result;
  FRowsAffected = rowsAffected;
  if (result != nullptr) FCursorState = csExecuted;
}

PMYSQL_RES TMySQLCommand::TakeResult() {
  PMYSQL_RES result = FResult;
  FResult = nullptr;
  return result;
}

// --- parameters into the text ----------------------------------------------------------------

TParamDesc* TMySQLCommand::GetParamForMarker(int n) const {
  if (!FStoredProc) return n < GetParamCount() ? GetParam(n) : nullptr;
  // A routine call sends the input/output values in its SET part first, then the inputs.
  int inOut = 0;
  for (int i = 0; i < GetParamCount(); ++i)
    if (GetParam(i)->GetParamType() == 3) {
      if (inOut == n) return GetParam(i);
      ++inOut;
    }
  int input = n - inOut;
  for (int i = 0; i < GetParamCount(); ++i)
    if (GetParam(i)->GetParamType() == 1 && input-- == 0) return GetParam(i);
  return nullptr;
}

void TMySQLCommand::AppendLiteral(AnsiString& out, TParamDesc* param,
                                  const TLiteralMode& mode) const {
  AppendMySQLLiteral(out, param->GetDataType(), param->GetValue(), FCharset,
                     mode.BackslashEscapes, mode.CompressBlobs, param->GetNull());
}

const AnsiString& TMySQLCommand::NativeBytes() {
  // The base's text changes only with its version; the routine call kept here is forgotten
  // wherever it is set.
  if (!FNativeBytesValid || FNativeBytesVersion != NativeSQLVersion()) {
    FNativeBytes = ToBytes(TextToSend());
    // UTF-8 never has a "?" byte inside a longer character: the bytes answer for the text.
    FNativeHasMarker = FNativeBytes.find('?') != AnsiString::npos;
    FNativeBytesVersion = NativeSQLVersion();
    FNativeBytesValid = true;
  }
  return FNativeBytes;
}

bool TMySQLCommand::NativeHasMarker() {
  NativeBytes();
  return FNativeHasMarker;
}

void TMySQLCommand::SplitAtMarkers(const AnsiString& native) {
  FCachedPieces.clear();
  TMyParser parser(native);
  parser.SkipBlanks = false;
  parser.SkipComments = true;
  parser.KeepQuotes = true;
  size_t start = 0;
  while (parser.SkipToText("?")) {
    size_t mark = static_cast<size_t>(parser.GetCurrPos()) - 1;  // 0-based index of the "?"
    FCachedPieces.push_back(native.substr(start, mark - start));
    start = mark + 1;
  }
  FCachedPieces.push_back(native.substr(start));
}

void TMySQLCommand::SubstituteParams(AnsiStringBuilder& builder) {
  builder.SetLength(0);
  WriteStatement(FSendBuffer);
  builder.Append(FSendBuffer);
}

void TMySQLCommand::WriteStatement(AnsiString& out) {
  // The same for every literal of the statement: asked once.
  const TLiteralMode mode{CompressBlob() == cbServer || CompressBlob() == cbClientServer,
                          FConnection->BackslashEscapes()};
  out.clear();
  const AnsiString& native = NativeBytes();
  const String& charsetName = FConnection->Charset();
  if (FCharsetSource != charsetName) {
    FCharsetSource = charsetName;
    FCharset = UTF8Encode(charsetName);
  }
  if (!FParamPositions.empty()) {
    if (!FStoredProc)
      RTL_ASSERT(static_cast<int>(FParamPositions.size()) == GetParamCount(),
                 u"Parameter positions and parameters differ");
    size_t from = 0;
    for (size_t i = 0; i < FParamPositions.size(); ++i) {
      size_t mark = static_cast<size_t>(FParamPositions[i]) - 1;
      RTL_ASSERT(mark < native.size() && mark >= from, u"Parameter position out of the text");
      out.append(native, from, mark - from);
      if (TParamDesc* param = GetParamForMarker(static_cast<int>(i)))
        AppendLiteral(out, param, mode);
      from = mark + 1;
    }
    out.append(native, from, AnsiString::npos);
    return;
  }
  if (FCachedPieces.empty()) SplitAtMarkers(native);
  int marker = 0;
  for (size_t i = 0; i < FCachedPieces.size(); ++i) {
    out += FCachedPieces[i];
    if (i + 1 == FCachedPieces.size()) break;
    TParamDesc* param = GetParamForMarker(marker);
    if (param && param->GetParamType() == 4) param = GetParamForMarker(++marker);
    if (param) AppendLiteral(out, param, mode);
    ++marker;
  }
}

// --- breaking --------------------------------------------------------------------------------

void TMySQLCommand::BreakExec() {
  std::lock_guard<std::mutex> lock(FBreakLock);
  if (!Executing()) return;
  FWaitForBreak = true;
  TMySQLConnection killer;
  killer.Assign(*FConnection);
  killer.Connect(u"");
  AnsiString kill = "KILL " + std::to_string(FConnection->API()->mysql_thread_id(FConnection->Handle()));
  try {
    killer.API()->mysql_real_query(killer.Handle(), kill.data(), static_cast<uint32_t>(kill.size()));
  } catch (const std::exception&) {
    // The statement may have ended meanwhile; nothing to report.
  }
}
