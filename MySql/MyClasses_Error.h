// The MySQL provider's database error: the server's or client's error number and text, the line
// of a syntax error, and which numbers mean a lost connection or a duplicate key.
#pragma once

#include <cstdint>

#include "Common/LxAccess_Connection.h"

class EMyError : public EDAError {
 public:
  // For a syntax error (1064) the line is the last number in the message ("... at line 3").
  EMyError(int32_t errorCode, const String& message);

  int32_t LineNumber() const { return FLineNumber; }
  void SetLineNumber(int32_t value) { FLineNumber = value; }

  // 1053 server shutdown, 2003 cannot connect, 2006 server gone away, 2013 lost during query.
  bool IsConnectionLost() const override;
  // 1062 duplicate entry.
  bool IsDuplicateKey() const override;

 private:
  int32_t FLineNumber = 0;
};
