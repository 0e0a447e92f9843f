// A server-side prepared statement on a session: prepared once, executed any number of times with
// the values of the provider's parameter descriptors in the binary protocol, its rows read as
// binary rows through a TMySqlResultSet, closed on the server at the end. The own-protocol back end
// of the call table hands it out as a statement handle.
//
// The statement lives on its session: when the session goes first it forgets it (ForgetSession),
// and the statement then fails with 2013 instead of touching a freed session.
#pragma once

#include <cstdint>
#include <memory>

#include "MySql/MyCall.h"
#include "MySql/MySqlBind.h"
#include "MySql/MySqlStmt_Codec.h"
#include "platform/rtl/Types.h"

class TMySqlSession;
class TMySqlResultSet;
class TParamDescs;

class TMySqlStmt {
 public:
  // Not prepared; the session learns of the statement.
  explicit TMySqlStmt(TMySqlSession* session);
  // Closes the statement on the server (errors on the way are not raised) and leaves the session.
  ~TMySqlStmt();
  TMySqlStmt(const TMySqlStmt&) = delete;
  TMySqlStmt& operator=(const TMySqlStmt&) = delete;

  // Prepares the statement text: the server's error packet raises its error; a reply whose counts
  // do not match the definitions that follow is malformed (2027). A statement prepared before is
  // replaced.
  void Prepare(const uint8_t* bytes, int32_t length);
  // Executes with the descriptors' values (a leading result descriptor is passed over). The
  // number of the others must equal the parameter count (2030 otherwise); an execute packet larger
  // than the server's max_allowed_packet is refused with 2020 before anything is sent, and the
  // statement stays usable. Types go only when they differ from the last execution's. With result
  // columns the binary rows wait on the wire for the result set.
  void Execute(TParamDescs& params, bool utf8);
  // Gives the result set binds for its binary rows: 2029 before prepare, 2000 without result
  // columns.
  void BindResults(std::unique_ptr<TMySqlBinds> binds);
  // Discards the unread rows and frees the result set.
  void FreeResult();
  // Discards unread rows and closes the statement on the server (no reply comes); afterwards it is
  // not prepared.
  void CloseStatement();
  // The session is going away: nothing may be sent on it any more.
  void ForgetSession();

  TMySqlSession* Session() const { return FSession; }
  TMySqlResultSet* ResultSet() const { return FResultSet.get(); }
  uint32_t StatementId() const { return FStatementId; }
  bool Prepared() const { return FPrepared; }
  int32_t ParamCount() const { return FParamCount; }
  int32_t FieldCount() const { return FFieldCount; }
  const TMySqlFieldInfos& Columns() const { return FColumns; }
  int64_t AffectedRows() const { return FAffectedRows; }
  // Whether rows of the last execution wait unread on the wire; the result set of a statement that
  // has only been prepared describes the columns and has no rows.
  bool RowsPending() const;
  const TMySqlParamTypes& SentTypes() const { return FSentTypes; }

  // The call table's error slot.
  int32_t ErrorNumber() const { return FErrorNumber; }
  const String& ErrorText() const { return FErrorText; }
  void SetError(int32_t number, const String& text) {
    FErrorNumber = number;
    FErrorText = text;
  }

 private:
  TMySqlSession& LiveSession() const;
  void ReleaseResultSet();
  // Discards this statement's unread rows; another result on the session is left alone.
  void FlushOwnRows();
  // Refuses a packet that the server would not take.
  void CheckPacketSize(size_t length);

  int32_t FErrorNumber = 0;
  String FErrorText;
  TMySqlSession* FSession;
  std::unique_ptr<TMySqlResultSet> FResultSet;
  uint32_t FStatementId = 0;
  bool FPrepared = false;
  int32_t FParamCount = 0;
  int32_t FFieldCount = 0;
  TMySqlFieldInfos FColumns;
  int64_t FAffectedRows = 0;
  TMySqlParamTypes FSentTypes;
  bool FRowsPending = false;
};
