// Commands after the login and the replies to them: OK packets, result headers with their column
// definitions, discarding unread rows, and closing.
#include <exception>

#include "MySql/MySqlErrors.h"
#include "MySql/MySqlResultSet.h"
#include "MySql/MySqlResultSet_Rows.h"
#include "MySql/MySqlSession.h"
#include "MySql/MySqlSession_Handshake.h"
#include "MySql/MySqlSession_Replies.h"

using namespace mysqlhandshake;
using namespace mysqlreplies;

namespace {

// Column definitions are read as text rows of this many values.
constexpr int32_t kColumnValues41 = 7;
constexpr int32_t kColumnValues40 = 5;
// Unread rows are discarded in pieces of this size, so a big row is never held whole.
constexpr int32_t kSkipPiece = 65536;

}  // namespace

void TMySqlSession::StartCommand(uint8_t code) {
  if (FResultState != ResultIdle) throw EMySqlException(CR_COMMANDS_OUT_OF_SYNC);
  FInfo.clear();
  FAffectedRows = 0;
  // A file named by an earlier query is not the next command's to give.
  FLocalFiles.clear();
  FNet->NewCommand();
  FNet->WriteByte(code);
}

void TMySqlSession::Command(uint8_t code, const uint8_t* data, int32_t length, bool skipReply) {
  if (FNet->Vio() == nullptr) return;
  FNet->Vio()->SetTimeout(FCommandTimeout);
  StartCommand(code);
  if (code == ComQuery) NoteLocalFiles(data, length);
  if (data != nullptr) FNet->WriteLarge(data, 0, length);
  FNet->Send();
  if (!skipReply) FNet->Receive();
}

void TMySqlSession::Query(const AnsiString& sql) {
  Command(ComQuery, reinterpret_cast<const uint8_t*>(sql.data()), static_cast<int32_t>(sql.size()),
          true);
  ReadResult();
}

void TMySqlSession::SelectDb(const AnsiString& name) {
  Command(ComInitDb, reinterpret_cast<const uint8_t*>(name.data()),
          static_cast<int32_t>(name.size()), false);
  FDatabase = name;
}

void TMySqlSession::Ping() { Command(ComPing, nullptr, 0, false); }

// --- replies -------------------------------------------------------------------------------------

void TMySqlSession::ReadResult() {
  if (FNet->Vio() == nullptr) throw EMySqlException(CR_LOST_CONNECTION);
  FServerStatus = kServerStatusAutocommit;
  FFieldCount = 0;
  FNet->Receive();
  for (;;) {
    const uint8_t* payload = FNet->Buffer();
    const size_t length = static_cast<size_t>(FNet->Length());
    switch (ClassifyReply(payload, length)) {
      case TReplyKind::Ok:
        ReadOkPacket();
        return;
      case TReplyKind::ResultHeader:
        ReadResultHeader();
        return;
      case TReplyKind::LocalFile: {
        std::exception_ptr failure = UploadLocalFile(DecodeLocalFileRequest(payload, length));
        if (failure) {
          // The reply to the upload is read: what an OK packet says is kept (a further result of
          // a multi-statement query shows in the server status), then the failure is raised.
          if (FNet->Length() > 0 && FNet->Buffer()[0] == 0) ReadOkPacket();
          std::rethrow_exception(failure);
        }
        break;  // the reply to the upload is read like the first
      }
    }
  }
}

void TMySqlSession::ReadOkPacket() {
  const bool v41 = SpeaksProtocol41();
  TOkPacket ok = DecodeOkPacket(FNet->Buffer(), static_cast<size_t>(FNet->Length()),
                                v41 || (FServerCapabilities & kClientTransactions) != 0, v41);
  FAffectedRows = static_cast<int64_t>(ok.AffectedRows);
  FInsertId = ok.InsertId;
  if (ok.HasStatus) FServerStatus = ok.ServerStatus;
  if (ok.HasWarnings) FWarningCount = ok.WarningCount;
  FInfo = ok.Info;
}

void TMySqlSession::ReadResultHeader() {
  TResultHeader header = DecodeResultHeader(FNet->Buffer(), static_cast<size_t>(FNet->Length()));
  if (!(FServerStatus & kServerStatusAutocommit)) FServerStatus |= kServerStatusInTrans;
  FExtra = header.Extra;
  TMySqlResultSet definitions(this, nullptr,
                              SpeaksProtocol41() ? kColumnValues41 : kColumnValues40, {});
  definitions.StoreRows();
  TMySqlFieldInfos columns;
  definitions.ConvertColumns(header.FieldCount, columns);
  FPendingColumns = std::move(columns);
  FFieldCount = header.FieldCount;
  FResultState = ResultPending;
  FWarningCount = 0;
}

void TMySqlSession::FlushResult() {
  if (FResultState == ResultIdle) return;
  // Idle afterwards whatever happens: a failed read leaves nothing that could still be read.
  struct IdleAtEnd {
    uint8_t& state;
    ~IdleAtEnd() { state = ResultIdle; }
  } idle{FResultState};
  if (FNet->Vio() == nullptr) return;
  TBytes scratch;
  bool continues = false;  // the packet continues a row of 16 MB or more
  for (;;) {
    int32_t n = FNet->SkipPacket(scratch, kSkipPiece, !continues);
    if (!continues && mysqlrows::IsEofPacket(scratch.data(), static_cast<size_t>(n))) {
      mysqlrows::TEofInfo eof = mysqlrows::DecodeEofPacket(scratch.data(), static_cast<size_t>(n));
      if (eof.HasStatus) {
        FWarningCount = eof.WarningCount;
        FServerStatus = eof.ServerStatus;
      }
      return;
    }
    continues = n == TMySqlNet::MaxPacketSize;
  }
}

void TMySqlSession::Close() {
  if (FClosed) return;
  FClosed = true;
  FResultState = ResultIdle;
  try {
    Command(ComQuit, nullptr, 0, true);
  } catch (...) {
    FNet->Close();
    throw;
  }
  FNet->Close();
}
