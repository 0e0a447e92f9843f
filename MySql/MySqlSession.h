// One client connection to a MySQL server as the own protocol engine sees it: its settings, what
// the server reported, the pending result, and the error slot the call table reads.
//
// Opening (transport, greeting, login, authentication) is in MySqlSession.cpp, with the byte-level
// work in MySqlSession_Handshake.h and MySqlSession_Scramble.h. Commands and their replies (OK
// packets, result headers with their column definitions, discarding unread rows, closing) are in
// MySqlSession_Commands.cpp, with the reply formats in MySqlSession_Replies.h; the upload of a
// local file for LOAD DATA LOCAL is in MySqlSession_LocalFile.cpp.
//
// A query runs as Command(ComQuery, text, length, true) followed by ReadResult. After an OK packet
// the session holds its affected rows, insert id, status, warnings and info. After a result header
// the columns are pending (PendingColumns, result state ResultPending) and the rows wait on the
// wire: a TMySqlResultSet reads them (its EOF packet sets the state back to ResultIdle), or
// FlushResult discards them. No command may be sent until then: StartCommand raises 2014.
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

#include "MySql/MyCall.h"
#include "MySql/MySqlNet.h"
#include "MySql/MySqlSession_LocalFile.h"
#include "platform/rtl/Types.h"

class TMySqlResultSet;
class TMySqlStmt;

class TMySqlSession {
 public:
  // Command codes (the first byte of a command packet).
  static constexpr uint8_t ComQuit = 1;
  static constexpr uint8_t ComInitDb = 2;
  static constexpr uint8_t ComQuery = 3;
  static constexpr uint8_t ComProcessKill = 12;
  static constexpr uint8_t ComPing = 14;
  static constexpr uint8_t ComStmtPrepare = 22;
  static constexpr uint8_t ComStmtExecute = 23;
  static constexpr uint8_t ComStmtClose = 25;

  // Result states.
  static constexpr uint8_t ResultIdle = 0;     // nothing pending: a command may be sent
  static constexpr uint8_t ResultPending = 1;  // a result's columns were read, its rows not claimed
  static constexpr uint8_t ResultReading = 2;  // the rows are being read

  TMySqlSession();
  // Closes the transport without sending quit (Close sends it); a current result forgets the
  // session.
  ~TMySqlSession();
  TMySqlSession(const TMySqlSession&) = delete;
  TMySqlSession& operator=(const TMySqlSession&) = delete;

  // Opens the session or raises EMySqlException. Empty arguments take the stored values; a port of
  // 0 takes the stored port, and 3306 when that is 0 too.
  void Connect(const AnsiString& host, const AnsiString& user, const AnsiString& password,
               const AnsiString& database, int32_t port, const AnsiString& pipeName,
               uint32_t clientFlags);

  // True when both the server and the last login speak the 4.1 protocol.
  bool SpeaksProtocol41() const;

  // --- commands ---
  // Starts a command packet: EMySqlException 2014 "Commands out of sync" while a result is
  // pending (nothing is sent then); clears the info and the affected rows; writes the code.
  void StartCommand(uint8_t code);
  // Sends a command with length bytes of data (may be nil) and, unless skipReply, receives the
  // reply packet (an error packet raises the server's error). Applies the command time-out to the
  // transport first. Without a transport (a closed session) nothing happens. A query's text is
  // where the session learns which files LOAD DATA LOCAL may upload (see ReadResult).
  void Command(uint8_t code, const uint8_t* data, int32_t length, bool skipReply);
  // Reads the reply to a query or a statement execution: an OK packet, or a result header and its
  // column definitions (which become the pending columns), uploading a local file first when the
  // server asks for one. The server may only have a file that the query named in a LOAD DATA
  // LOCAL INFILE statement: any other request is refused with EMySqlException 2000 after telling
  // the server the file is empty, and the session stays in step. A file that cannot be opened or
  // read raises the platform's file error once the server's reply has been read (an OK reply is
  // kept, so a further result of the query shows in the server status). A reply that breaks the
  // format is EMySqlException 2027; a session without a transport raises 2013.
  void ReadResult();
  // A query: Command(ComQuery, the text's bytes, ..., true), then ReadResult.
  void Query(const AnsiString& sql);
  // Changes the default database; the session's database becomes name.
  void SelectDb(const AnsiString& name);
  void Ping();
  // Discards the rest of the pending result (its rows up to the EOF packet, whose warning count and
  // server status are kept); the result state becomes ResultIdle, also when reading fails.
  void FlushResult();
  // Sends quit once and closes the transport; later commands do nothing. A second Close does
  // nothing.
  void Close();
  bool Closed() const { return FClosed; }

  TMySqlNet& Net() { return *FNet; }

  // --- settings ---
  TMyProtocol Protocol() const { return FProtocol; }
  void SetProtocol(TMyProtocol protocol) { FProtocol = protocol; }
  int32_t ConnectTimeout() const { return FConnectTimeout; }
  void SetConnectTimeout(int32_t seconds) { FConnectTimeout = seconds; }
  int32_t CommandTimeout() const { return FCommandTimeout; }
  void SetCommandTimeout(int32_t seconds) { FCommandTimeout = seconds; }
  const AnsiString& CharacterSet() const { return FCharacterSet; }
  void SetCharacterSet(const AnsiString& name) { FCharacterSet = name; }
  // An application's own transport; the session does not own it.
  TLxIOHandler* IOHandler() const { return FIOHandler; }
  void SetIOHandler(TLxIOHandler* handler) { FIOHandler = handler; }
  // With these the session talks through the HTTP tunnel; the session does not own them.
  THttpOptions* HttpOptions() const { return FHttpOptions; }
  void SetHttpOptions(THttpOptions* options) { FHttpOptions = options; }
  void SetTls(const AnsiString& key, const AnsiString& certificate, const AnsiString& ca,
              const AnsiString& caPath, const AnsiString& cipher);

  // --- what the connect and the server reported ---
  const AnsiString& Host() const { return FHost; }
  const AnsiString& User() const { return FUser; }
  const AnsiString& Database() const { return FDatabase; }
  int32_t Port() const { return FPort; }
  const AnsiString& ServerVersion() const { return FServerVersion; }
  const AnsiString& HostInfo() const { return FHostInfo; }
  uint32_t ClientFlags() const { return FClientFlags; }
  uint32_t ThreadId() const { return FThreadId; }
  uint16_t ServerCapabilities() const { return FServerCapabilities; }
  uint16_t ServerStatus() const { return FServerStatus; }
  uint8_t ServerLanguage() const { return FServerLanguage; }
  const uint8_t* Scramble() const { return FScramble; }
  void SetServerStatus(uint16_t status) { FServerStatus = status; }

  // --- the last reply ---
  // Message of the last OK packet.
  const AnsiString& Info() const { return FInfo; }
  // Affected rows of the last OK packet (the call table sets -1 before a next result).
  int64_t AffectedRows() const { return FAffectedRows; }
  void SetAffectedRows(int64_t rows) { FAffectedRows = rows; }
  uint64_t InsertId() const { return FInsertId; }
  uint64_t Extra() const { return FExtra; }
  // Columns of the last result header; 0 after an OK packet.
  int32_t FieldCount() const { return FFieldCount; }
  void SetFieldCount(int32_t count) { FFieldCount = count; }
  uint32_t WarningCount() const { return FWarningCount; }
  void SetWarningCount(uint32_t count) { FWarningCount = count; }
  uint8_t ResultState() const { return FResultState; }
  void SetResultState(uint8_t state) { FResultState = state; }
  // Columns of the last result header that no result set has claimed yet.
  TMySqlFieldInfos& PendingColumns() { return FPendingColumns; }
  // The result that the call table opened on the session (not owned).
  TMySqlResultSet* CurrentResult() const { return FCurrentResult; }
  void SetCurrentResult(TMySqlResultSet* result) { FCurrentResult = result; }
  // The prepared statements on the session (not owned): each forgets the session when it goes.
  void AttachStatement(TMySqlStmt* stmt) { FStatements.push_back(stmt); }
  void DetachStatement(TMySqlStmt* stmt) { std::erase(FStatements, stmt); }
  // The server's max_allowed_packet; 0 while not asked yet.
  int64_t ServerMaxPacket() const { return FServerMaxPacket; }
  void SetServerMaxPacket(int64_t bytes) { FServerMaxPacket = bytes; }

  // --- the error slot of the call table ---
  int32_t ErrorNumber() const { return FErrorNumber; }
  const String& ErrorText() const { return FErrorText; }
  void SetError(int32_t number, const String& text) {
    FErrorNumber = number;
    FErrorText = text;
  }

 private:
  void OpenTransport(const AnsiString& pipeName);
  void ReadGreeting();
  void WriteLogin(const AnsiString& password, uint32_t clientFlags);
  void StartTls();
  void Authenticate(const AnsiString& password);
  void ReadOkPacket();
  void ReadResultHeader();
  void NoteLocalFiles(const uint8_t* data, int32_t length);
  // Uploads the file the server asked for; returns the failure to raise once the reply is read.
  std::exception_ptr UploadLocalFile(const AnsiString& fileName);
  // Hands the connect's deadline (or none) to the transport before it connects.
  void StartConnectDeadline(TLxVio& vio);

  int32_t FErrorNumber = 0;
  String FErrorText;
  bool FClosed = false;
  TMySqlResultSet* FCurrentResult = nullptr;
  std::vector<TMySqlStmt*> FStatements;
  int64_t FServerMaxPacket = 0;
  TLxIOHandler* FIOHandler = nullptr;
  THttpOptions* FHttpOptions = nullptr;
  std::unique_ptr<TMySqlNet> FNet;
  AnsiString FHost, FUser, FPassword, FDatabase;
  AnsiString FServerVersion;
  AnsiString FHostInfo;
  AnsiString FInfo;
  AnsiString FCharacterSet;
  uint32_t FClientFlags = 0;
  int32_t FPort = 0;
  int32_t FConnectTimeout = 0;
  int32_t FCommandTimeout = 0;
  std::optional<std::chrono::steady_clock::time_point> FConnectDeadline;
  uint32_t FThreadId = 0;
  uint16_t FServerCapabilities = 0;
  uint16_t FServerStatus = 0;
  uint8_t FServerLanguage = 0;
  uint32_t FWarningCount = 0;
  uint8_t FResultState = ResultIdle;
  uint8_t FScramble[20] = {};
  bool FLongScramble = false;
  TMyProtocol FProtocol = mpDefault;
  TMySqlFieldInfos FPendingColumns;
  int64_t FAffectedRows = 0;
  uint64_t FInsertId = 0;
  uint64_t FExtra = 0;
  int32_t FFieldCount = 0;
  // The files the last query named in LOAD DATA LOCAL INFILE: each may be uploaded once.
  std::vector<mysqllocalfile::TLocalFileName> FLocalFiles;
  AnsiString FTlsKey, FTlsCertificate, FTlsCA, FTlsCAPath, FTlsCipher;
};
