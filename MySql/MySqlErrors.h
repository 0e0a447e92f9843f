// The error of the MySQL protocol engine and the client error texts its messages are built from.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Types.h"

// The client errors by name, 2000 to 2047 without a gap (MySqlErrors.cpp holds each one's text).
enum TClientError : int32_t {
  CR_UNKNOWN_ERROR = 2000,
  CR_CANNOT_CREATE_UNIX_SOCKET = 2001,
  CR_CANNOT_CONNECT_LOCAL = 2002,
  CR_CANNOT_CONNECT = 2003,
  CR_CANNOT_CREATE_TCP_SOCKET = 2004,
  CR_UNKNOWN_HOST = 2005,
  CR_SERVER_GONE = 2006,
  CR_PROTOCOL_MISMATCH = 2007,
  CR_OUT_OF_MEMORY = 2008,
  CR_WRONG_HOST_INFO = 2009,
  CR_LOCAL_VIA_SOCKET = 2010,
  CR_HOST_VIA_TCP = 2011,
  CR_HANDSHAKE_ERROR = 2012,
  CR_LOST_CONNECTION = 2013,
  CR_COMMANDS_OUT_OF_SYNC = 2014,
  CR_HOST_VIA_PIPE = 2015,
  CR_PIPE_WAIT_FAILED = 2016,
  CR_PIPE_OPEN_FAILED = 2017,
  CR_PIPE_STATE_FAILED = 2018,
  CR_CHARSET_INIT_FAILED = 2019,
  CR_PACKET_TOO_LARGE = 2020,
  CR_EMBEDDED_SERVER = 2021,
  CR_SLAVE_STATUS_FAILED = 2022,
  CR_SLAVE_HOSTS_FAILED = 2023,
  CR_SLAVE_CONNECT_FAILED = 2024,
  CR_MASTER_CONNECT_FAILED = 2025,
  CR_SSL_ERROR = 2026,
  CR_MALFORMED_PACKET = 2027,
  CR_NULL_POINTER = 2028,
  CR_NOT_PREPARED = 2029,
  CR_PARAMS_NOT_SUPPLIED = 2030,
  CR_DATA_TRUNCATED = 2031,
  CR_NO_PARAMETERS = 2032,
  CR_BAD_PARAMETER_NUMBER = 2033,
  CR_LONG_DATA_NOT_TEXT = 2034,
  CR_UNSUPPORTED_BUFFER_TYPE = 2035,
  CR_SHARED_MEMORY = 2036,
  CR_SHM_REQUEST_EVENT = 2037,
  CR_SHM_ANSWER_EVENT = 2038,
  CR_SHM_FILE_MAPPING = 2039,
  CR_SHM_MAP_MEMORY = 2040,
  CR_SHM_CLIENT_FILE_MAPPING = 2041,
  CR_SHM_CLIENT_MAP_MEMORY = 2042,
  CR_SHM_CLIENT_EVENT = 2043,
  CR_SHM_SERVER_ABANDONED = 2044,
  CR_SHM_SEND_REQUEST = 2045,
  CR_UNKNOWN_PROTOCOL = 2046,
  CR_INVALID_HANDLE = 2047,
  CR_FIRST_CLIENT_ERROR = CR_UNKNOWN_ERROR,
  CR_LAST_CLIENT_ERROR = CR_INVALID_HANDLE,
};

// The engine's own numbers, outside the client range.
enum TEngineError : int32_t {
  ER_PACKETS_OUT_OF_ORDER = 1156,  // a packet's sequence number is not the one expected
  ER_FRAME_NOT_INFLATED = 1157,    // a compressed frame that does not inflate
};

// ErrorCode() is a client error number (2000-2047), a server error number as the server sent it,
// or one of the engine's own numbers 1156 (packets out of order) and 1157 (a frame that does not
// inflate).
class EMySqlException : public Exception {
 public:
  // The client text of the number as it stands, unformatted.
  explicit EMySqlException(int32_t number);
  // The client text of the number, then carriage return, line feed and the detail when there is
  // one. Numbers without a client text (server errors) give the detail after the line break.
  static EMySqlException CreateMsg(int32_t number, const String& detail);
  // As CreateMsg, with the client text formatted with the arguments first (the engine never
  // leaves a placeholder in a message).
  static EMySqlException CreateFmt(int32_t number, const String& detail,
                                   std::initializer_list<TVarRec> args);

  int32_t ErrorCode() const { return FErrorCode; }

 private:
  EMySqlException(int32_t number, String message);
  int32_t FErrorCode;
};

// The client error text for 2000-2047; the empty text for any other number.
const char* GetClientErrorText(int32_t number);
// The name of a client or engine error number ("CR_MALFORMED_PACKET"); the empty text for others.
const char* GetClientErrorName(int32_t number);
// A number with its name for diagnostics and test output: "CR_MALFORMED_PACKET (2027)", or
// "(1146)" for a number without a name.
std::string DescribeError(int32_t number);
