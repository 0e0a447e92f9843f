// The MySQL command: runs one statement on a TMySQLConnection. Parameter values are written into
// the text as literals and the text goes as one query; a record set keeps the statement's result
// (request result set), everything else discards it. It builds the CALL or SELECT text of a stored
// routine from the routine's declaration on the server, and a running statement can be broken
// from another thread by killing its server thread over a second connection.
//
// Use by a record set: SetRequestResultSet(true), Execute(); when a result is pending the cursor
// state is csExecuted and ResultHandle() is the call table's result handle, which the record set
// reads and then releases with ReleaseResult() (it frees it) or TakeResult() (it frees it itself).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "Common/LxAccess_Command.h"
#include "MySql/MySqlApi.h"

class AnsiStringBuilder;
class TMySQLConnection;

// One parameter of a stored routine as declared.
struct TParamInfo {
  String Name;
  uint8_t ParamType = 1;  // 1 input, 2 output, 3 input/output, 4 result
  String TypeName;        // upper case; DECIMAL and NUMERIC with their "(p,s)"
  bool IsUnsigned = false;
  int32_t Size = -1;      // -1 when none is declared
};
using TParamInfos = std::vector<TParamInfo>;

// The parameter text and the return type of a routine's declaration.
struct TMyParamBlockResult {
  String Params;
  String ReturnType;
};

using TParamPositions = std::vector<int32_t>;

class TMySQLCommand : public TLxCommand {
 public:
  TMySQLCommand();
  ~TMySQLCommand() override;

  TTableInfoClass GetTableInfoClass() const override;
  TSQLInfoClass GetSQLInfoClass() const override;
  TParserClass GetParserClass() const override;

  void ParseSQLParam(AnsiStringBuilder& builder, TParser& parser, char16_t leftQuote,
                     char16_t rightQuote, TParamDescs* params,
                     const String& renamePrefix) override;
  // Server-side prepared statements need the call table's statement slots; see the source.
  void Prepare() override;
  void Unprepare() override;
  bool GetPrepared() const override { return FPrepared; }
  // Runs the statement. Raises when a result of this command is still pending or being fetched.
  void Execute(int iterations = 1) override;
  void SetConnection(TLxConnection* connection) override;
  TCursorState GetCursorState() const override { return FCursorState; }
  void SetCursorState(TCursorState value) override { FCursorState = value; }
  void SetSQL(const String& value) override;
  String ParseSQL(const String& sql, TParamDescs* params, const String& renamePrefix = {}) override;
  // Builds "CALL name(...)" or "SELECT name(...)" from the routine's declaration; see the source.
  String CreateProcCall(const String& name, bool rebuildParams) override;
  bool SetProp(TLxPropCode prop, const Variant& value) override;
  bool GetProp(TLxPropCode prop, Variant& value) override;
  // Safe from any thread: kills the running statement through a second connection.
  void BreakExec() override;

  virtual void CheckResultTrue(bool result);
  virtual void CheckResultFalse(int result);
  virtual void CheckErrno();
  virtual void CheckStmtResult(int result);

  // The parameter a "?" marker of the native text stands for (0-based); nil when none.
  TParamDesc* GetParamForMarker(int n) const;
  // Appends the text to send: the native text with every marker replaced by its literal (bytes).
  void SubstituteParams(AnsiStringBuilder& builder);
  // The text that is sent (the routine call after CreateProcCall, else the native text).
  const String& TextToSend() const;

  TMySQLConnection* MyConnection() const { return FConnection; }
  int32_t RowsAffected() const { return FRowsAffected; }
  int32_t CommandTimeout() const { return FCommandTimeout; }
  bool StoredProc() const { return FStoredProc; }
  bool RequestResultSet() const { return FRequestResultSet; }
  void SetRequestResultSet(bool value) { FRequestResultSet = value; }
  const TParamPositions& ParamPositions() const { return FParamPositions; }
  PMYSQL_RES ResultHandle() const { return FResult; }
  // Frees the pending result (reading what is left of it) and returns to csInactive.
  void ReleaseResult();
  // Hands the pending result to the caller, who frees it; the command forgets it.
  PMYSQL_RES TakeResult();
  PMYSQL_STMT StatementHandle() const { return FStmt; }
  // For the record set that walks the results of a batch: the next result (already opened) and
  // its affected-row count become the command's own, as if the command had just run it.
  void AdoptResult(PMYSQL_RES result, int32_t rowsAffected);
  // Reads the affected rows of the session's current result; the cursor state becomes csExecuted
  // when that result has columns, else csInactive.
  int32_t ReadAffectedRows() { return GetAffectedRows(); }
  void SetPrevRowsAffected(int32_t value) { FPrevRowsAffected = value; }
  bool OpenNext() const { return FOpenNext; }
  void SetIsSelectParams(bool value) { FIsSelectParams = value; }
  // The executing flag around a BreakExec that the record set asks for while it gives up rows.
  void SetExecutingFlag(bool value) { SetExecuting(value); }
  // Called with the final statement text just before it is sent.
  void SetOnExecute(std::function<void(const String&)> proc) { FOnExecute = std::move(proc); }

  // Routine declarations. The item for a routine parameter, appended to infos (and, with a list,
  // a descriptor). Raises "Unknown column type ..." for a type MySQL does not declare.
  void ParseParamInfos(const String& text, bool isResult, TParamDescs* params,
                       TParamInfos& infos) const;
  static void SplitProcHeader(const String& createText, TMyParamBlockResult& result);
  static String CastOutParam(const String& rawVar, const String& quotedVar, const TParamInfo& info);
  // The parameter text and return type of a routine's declaration on the server, found by its
  // name (a database prefix honoured, else the connection's database); empty when none exists.
  void GetProcParamsInfo(const String& name, TMyParamBlockResult& result, bool& isFunction);

 private:
  void ExecuteText();
  void ExecutePrepared();
  int32_t GetAffectedRows();
  void SplitAtMarkers(const AnsiString& native);
  // Writes the statement to send into out: the native text with every marker replaced by its
  // literal.
  void WriteStatement(AnsiString& out);
  // How the literals of one statement are written.
  struct TLiteralMode {
    bool CompressBlobs;
    bool BackslashEscapes;
  };
  // Appends the parameter's literal, in the connection's character set.
  void AppendLiteral(AnsiString& out, TParamDesc* param, const TLiteralMode& mode) const;
  // The UTF-8 bytes of the text to send, converted again only when that text changed.
  const AnsiString& NativeBytes();
  // Whether the text to send has a "?" anywhere (kept with its bytes).
  bool NativeHasMarker();
  // The text to send changed: what was derived from it is made again when next needed.
  void ForgetNativeText();
  void ReadAndFreeResult();
  AnsiString ToBytes(const String& text) const;

  TMySQLConnection* FConnection = nullptr;
  int32_t FCommandTimeout = 0;
  TCursorState FCursorState = csInactive;
  int32_t FRowsAffected = -1;
  int32_t FPrevRowsAffected = 0;
  bool FStoredProc = false;
  bool FCanReadParams = false;
  bool FIsSelectParams = false;
  bool FRequestResultSet = false;
  std::vector<AnsiString> FCachedPieces;
  // The statement as last sent, kept so that its capacity serves the next one.
  AnsiString FSendBuffer;
  // The bytes of the text to send, for the base's text version they were made from.
  AnsiString FNativeBytes;
  uint64_t FNativeBytesVersion = 0;
  bool FNativeBytesValid = false;
  bool FNativeHasMarker = false;
  String FCharsetSource;  // the connection's character set name, and its bytes
  AnsiString FCharset;
  TParamPositions FParamPositions;
  bool FFillParamPositions = false;
  bool FPrepared = false;
  PMYSQL_STMT FStmt = nullptr;
  bool FOpenNext = false;
  std::function<void(const String&)> FOnExecute;
  PMYSQL_RES FResult = nullptr;
  String FProcNativeSQL;  // the native routine call; the base keeps only the user text
  std::mutex FBreakLock;
  bool FWaitForBreak = false;
};
