#include "MySql/MySqlErrors.h"

#include "Common/LxVioTcp.h"
#include "platform/rtl/UnicodeText.h"

namespace {

struct TClientErrorEntry {
  TClientError Number;
  const char* Name;
  const char* Text;
};

// Each client error once: its number (the index plus 2000), its name, its text.
constexpr TClientErrorEntry kClientErrors[] = {
    {CR_UNKNOWN_ERROR, "CR_UNKNOWN_ERROR", "Unknown MySQL error"},
    {CR_CANNOT_CREATE_UNIX_SOCKET, "CR_CANNOT_CREATE_UNIX_SOCKET", "Can't create UNIX socket (%d)"},
    {CR_CANNOT_CONNECT_LOCAL, "CR_CANNOT_CONNECT_LOCAL",
     "Can't connect to local MySQL server through socket '%-.64s' (%d)"},
    {CR_CANNOT_CONNECT, "CR_CANNOT_CONNECT", "Can't connect to MySQL server on '%s' (%d)"},
    {CR_CANNOT_CREATE_TCP_SOCKET, "CR_CANNOT_CREATE_TCP_SOCKET", "Can't create TCP/IP socket (%d)"},
    {CR_UNKNOWN_HOST, "CR_UNKNOWN_HOST", "Unknown MySQL Server Host '%-.64s' (%d)"},
    {CR_SERVER_GONE, "CR_SERVER_GONE", "MySQL server has gone away"},
    {CR_PROTOCOL_MISMATCH, "CR_PROTOCOL_MISMATCH",
     "Protocol mismatch. Server Version = %d Client Version = %d"},
    {CR_OUT_OF_MEMORY, "CR_OUT_OF_MEMORY", "MySQL client run out of memory"},
    {CR_WRONG_HOST_INFO, "CR_WRONG_HOST_INFO", "Wrong host info"},
    {CR_LOCAL_VIA_SOCKET, "CR_LOCAL_VIA_SOCKET", "Localhost via UNIX socket"},
    {CR_HOST_VIA_TCP, "CR_HOST_VIA_TCP", "%-.64s via TCP/IP"},
    {CR_HANDSHAKE_ERROR, "CR_HANDSHAKE_ERROR", "Error in server handshake"},
    {CR_LOST_CONNECTION, "CR_LOST_CONNECTION", "Lost connection to MySQL server during query"},
    {CR_COMMANDS_OUT_OF_SYNC, "CR_COMMANDS_OUT_OF_SYNC",
     "Commands out of sync;  You can't run this command now"},
    {CR_HOST_VIA_PIPE, "CR_HOST_VIA_PIPE", "%-.64s via named pipe"},
    {CR_PIPE_WAIT_FAILED, "CR_PIPE_WAIT_FAILED",
     "Can't wait for named pipe to host: %s  pipe: %s (%s)"},
    {CR_PIPE_OPEN_FAILED, "CR_PIPE_OPEN_FAILED",
     "Can't open named pipe to host: %s  pipe: %s (%s)"},
    {CR_PIPE_STATE_FAILED, "CR_PIPE_STATE_FAILED",
     "Can't set state of named pipe to host: %s  pipe: %s (%s)"},
    {CR_CHARSET_INIT_FAILED, "CR_CHARSET_INIT_FAILED",
     "Can't initialize character set %s (path: %s)"},
    {CR_PACKET_TOO_LARGE, "CR_PACKET_TOO_LARGE", "Got packet bigger than 'max_allowed_packet'"},
    {CR_EMBEDDED_SERVER, "CR_EMBEDDED_SERVER", "Embedded server"},
    {CR_SLAVE_STATUS_FAILED, "CR_SLAVE_STATUS_FAILED", "Error on SHOW SLAVE STATUS:"},
    {CR_SLAVE_HOSTS_FAILED, "CR_SLAVE_HOSTS_FAILED", "Error on SHOW SLAVE HOSTS:"},
    {CR_SLAVE_CONNECT_FAILED, "CR_SLAVE_CONNECT_FAILED", "Error connecting to slave:"},
    {CR_MASTER_CONNECT_FAILED, "CR_MASTER_CONNECT_FAILED", "Error connecting to master:"},
    {CR_SSL_ERROR, "CR_SSL_ERROR", "SSL connection error"},
    {CR_MALFORMED_PACKET, "CR_MALFORMED_PACKET", "Malformed packet"},
    {CR_NULL_POINTER, "CR_NULL_POINTER", "Invalid use of null pointer"},
    {CR_NOT_PREPARED, "CR_NOT_PREPARED", "Statement not prepared"},
    {CR_PARAMS_NOT_SUPPLIED, "CR_PARAMS_NOT_SUPPLIED", "Not all parameters data supplied"},
    {CR_DATA_TRUNCATED, "CR_DATA_TRUNCATED", "Data truncated"},
    {CR_NO_PARAMETERS, "CR_NO_PARAMETERS", "No parameters exists in the statement"},
    {CR_BAD_PARAMETER_NUMBER, "CR_BAD_PARAMETER_NUMBER", "Invalid parameter number"},
    {CR_LONG_DATA_NOT_TEXT, "CR_LONG_DATA_NOT_TEXT",
     "Can't send long data for non string or binary data types (parameter: %s)"},
    {CR_UNSUPPORTED_BUFFER_TYPE, "CR_UNSUPPORTED_BUFFER_TYPE",
     "Using unsupported buffer type: %s  (parameter: %s)"},
    {CR_SHARED_MEMORY, "CR_SHARED_MEMORY", "Shared memory (%s)"},
    {CR_SHM_REQUEST_EVENT, "CR_SHM_REQUEST_EVENT",
     "Can't open shared memory. Request event don't create  (%s)"},
    {CR_SHM_ANSWER_EVENT, "CR_SHM_ANSWER_EVENT",
     "Can't open shared memory. Answer event don't create  (%s)"},
    {CR_SHM_FILE_MAPPING, "CR_SHM_FILE_MAPPING",
     "Can't open shared memory. File mapping don't create  (%s)"},
    {CR_SHM_MAP_MEMORY, "CR_SHM_MAP_MEMORY",
     "Can't open shared memory. Map of memory don't create  (%s)"},
    {CR_SHM_CLIENT_FILE_MAPPING, "CR_SHM_CLIENT_FILE_MAPPING",
     "Can't open shared memory. File mapping don't create for client (%s)"},
    {CR_SHM_CLIENT_MAP_MEMORY, "CR_SHM_CLIENT_MAP_MEMORY",
     "Can't open shared memory. Map of memory don't create for client (%s)"},
    {CR_SHM_CLIENT_EVENT, "CR_SHM_CLIENT_EVENT",
     "Can't open shared memory. %s event don't create for client (%s)"},
    {CR_SHM_SERVER_ABANDONED, "CR_SHM_SERVER_ABANDONED",
     "Can't open shared memory. Server abandoded and don't sent the answer event (%s)"},
    {CR_SHM_SEND_REQUEST, "CR_SHM_SEND_REQUEST",
     "Can't open shared memory. Can't send the request event to server (%s)"},
    {CR_UNKNOWN_PROTOCOL, "CR_UNKNOWN_PROTOCOL", "Wrong or unknown protocol"},
    {CR_INVALID_HANDLE, "CR_INVALID_HANDLE", "Invalid connection handle"},
};

constexpr int32_t kClientErrorCount =
    static_cast<int32_t>(sizeof kClientErrors / sizeof kClientErrors[0]);
static_assert(kClientErrorCount == CR_LAST_CLIENT_ERROR - CR_FIRST_CLIENT_ERROR + 1,
              "the client errors run from 2000 to 2047");

constexpr bool NumbersFollowPositions() {
  for (int32_t i = 0; i < kClientErrorCount; ++i)
    if (kClientErrors[i].Number != CR_FIRST_CLIENT_ERROR + i) return false;
  return true;
}
static_assert(NumbersFollowPositions(), "each client error stands at its number's place");

// The TCP transport lives below the engine and raises these numbers itself.
static_assert(TLxVioTcp::UnknownHostError == CR_UNKNOWN_HOST &&
                  TLxVioTcp::ConnectError == CR_CANNOT_CONNECT &&
                  TLxVioTcp::ServerGoneError == CR_SERVER_GONE,
              "the transport's socket errors are the engine's client errors");

const TClientErrorEntry* FindClientError(int32_t number) {
  if (number < CR_FIRST_CLIENT_ERROR || number > CR_LAST_CLIENT_ERROR) return nullptr;
  return &kClientErrors[number - CR_FIRST_CLIENT_ERROR];
}

String WithDetail(String text, const String& detail) {
  if (!detail.empty()) text += u"\r\n" + detail;
  return text;
}

}  // namespace

const char* GetClientErrorText(int32_t number) {
  const TClientErrorEntry* entry = FindClientError(number);
  return entry ? entry->Text : "";
}

const char* GetClientErrorName(int32_t number) {
  if (const TClientErrorEntry* entry = FindClientError(number)) return entry->Name;
  switch (number) {
    case ER_PACKETS_OUT_OF_ORDER: return "ER_PACKETS_OUT_OF_ORDER";
    case ER_FRAME_NOT_INFLATED: return "ER_FRAME_NOT_INFLATED";
    default: return "";
  }
}

std::string DescribeError(int32_t number) {
  const char* name = GetClientErrorName(number);
  std::string text = *name ? std::string(name) + " (" : std::string("(");
  return text + std::to_string(number) + ")";
}

EMySqlException::EMySqlException(int32_t number, String message)
    : Exception(std::move(message)), FErrorCode(number) {}

EMySqlException::EMySqlException(int32_t number)
    : EMySqlException(number, UTF8ToString(GetClientErrorText(number))) {}

EMySqlException EMySqlException::CreateMsg(int32_t number, const String& detail) {
  return EMySqlException(number, WithDetail(UTF8ToString(GetClientErrorText(number)), detail));
}

EMySqlException EMySqlException::CreateFmt(int32_t number, const String& detail,
                                           std::initializer_list<TVarRec> args) {
  String text = Format(UTF8ToString(GetClientErrorText(number)), args);
  return EMySqlException(number, WithDetail(std::move(text), detail));
}
