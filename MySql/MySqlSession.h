// One client connection to a MySQL server as the own protocol engine sees it: its settings, what
// the server reported, and the error slot the call table reads. This unit opens the session
// (transport, greeting, login, authentication); the byte-level work is in MySqlSession_Handshake.h
// and MySqlSession_Scramble.h.
#pragma once

#include <cstdint>
#include <memory>

#include "MySql/MyCall.h"
#include "MySql/MySqlNet.h"
#include "platform/rtl/Types.h"

class TMySqlSession {
 public:
  TMySqlSession();
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

  int32_t FErrorNumber = 0;
  String FErrorText;
  TLxIOHandler* FIOHandler = nullptr;
  std::unique_ptr<TMySqlNet> FNet;
  AnsiString FHost, FUser, FPassword, FDatabase;
  AnsiString FServerVersion;
  AnsiString FHostInfo;
  AnsiString FCharacterSet;
  uint32_t FClientFlags = 0;
  int32_t FPort = 0;
  int32_t FConnectTimeout = 0;
  int32_t FCommandTimeout = 0;
  uint32_t FThreadId = 0;
  uint16_t FServerCapabilities = 0;
  uint16_t FServerStatus = 0;
  uint8_t FServerLanguage = 0;
  uint8_t FScramble[20] = {};
  bool FLongScramble = false;
  TMyProtocol FProtocol = mpDefault;
  AnsiString FTlsKey, FTlsCertificate, FTlsCA, FTlsCAPath, FTlsCipher;
};
