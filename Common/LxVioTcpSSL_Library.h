// OpenSSL 3, loaded at run time: the TLS transport reaches the two libraries through dlopen, so a
// machine without them runs everything else and fails only when TLS is asked for, with an error
// that names what is missing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

// The libraries' objects, only ever held by pointer.
struct TSslMethod;
struct TSslContext;
struct TSslConnection;
struct TSslVerifyParam;

// The entry points, named as the libraries export them; nil where a library lacks one.
struct TSSLEntryPoints {
  // From the TLS library.
  int (*OPENSSL_init_ssl)(uint64_t options, const void* settings);
  const TSslMethod* (*TLS_client_method)();
  TSslContext* (*SSL_CTX_new)(const TSslMethod* method);
  void (*SSL_CTX_free)(TSslContext* context);
  long (*SSL_CTX_ctrl)(TSslContext* context, int command, long value, void* argument);
  int (*SSL_CTX_set_cipher_list)(TSslContext* context, const char* list);
  void (*SSL_CTX_set_verify)(TSslContext* context, int mode, void* callback);
  int (*SSL_CTX_load_verify_locations)(TSslContext* context, const char* file, const char* path);
  int (*SSL_CTX_set_default_verify_paths)(TSslContext* context);
  int (*SSL_CTX_use_certificate_chain_file)(TSslContext* context, const char* file);
  int (*SSL_CTX_use_PrivateKey_file)(TSslContext* context, const char* file, int type);
  int (*SSL_CTX_check_private_key)(const TSslContext* context);
  TSslConnection* (*SSL_new)(TSslContext* context);
  void (*SSL_free)(TSslConnection* ssl);
  int (*SSL_set_fd)(TSslConnection* ssl, int fd);
  long (*SSL_ctrl)(TSslConnection* ssl, int command, long value, void* argument);
  int (*SSL_set1_host)(TSslConnection* ssl, const char* host);
  TSslVerifyParam* (*SSL_get0_param)(TSslConnection* ssl);
  void (*SSL_set_connect_state)(TSslConnection* ssl);
  int (*SSL_do_handshake)(TSslConnection* ssl);
  int (*SSL_read)(TSslConnection* ssl, void* buffer, int count);
  int (*SSL_write)(TSslConnection* ssl, const void* buffer, int count);
  int (*SSL_get_error)(const TSslConnection* ssl, int result);
  int (*SSL_pending)(const TSslConnection* ssl);
  int (*SSL_shutdown)(TSslConnection* ssl);
  long (*SSL_get_verify_result)(const TSslConnection* ssl);
  const char* (*SSL_get_version)(const TSslConnection* ssl);
  // From the crypto library.
  unsigned long (*ERR_get_error)();
  void (*ERR_error_string_n)(unsigned long error, char* buffer, size_t size);
  void (*ERR_clear_error)();
  const char* (*X509_verify_cert_error_string)(long error);
  int (*X509_VERIFY_PARAM_set1_ip_asc)(TSslVerifyParam* param, const char* address);
};

inline constexpr char16_t SSSLNotLinked[] =
    u"SSL function is not linked. You should update SSL client library.";

// An entry point, or the general exception SSSLNotLinked when the library lacks it: a missing
// function fails where it is first needed, not at load time.
template <class F>
F* NeedSSL(F* entryPoint) {
  if (entryPoint == nullptr) throw Exception(SSSLNotLinked);
  return entryPoint;
}

class TSSLLibrary {
 public:
  // The names the process-wide library is loaded by; empty names mean libcrypto.so.3 and
  // libssl.so.3. They matter only before the first load.
  static void SetLibraryNames(const AnsiString& crypto, const AnsiString& ssl);
  // The process's libraries, loaded on the first call (under a lock; later calls only look).
  static TSSLLibrary& Loaded();

  TSSLLibrary() = default;
  TSSLLibrary(const TSSLLibrary&) = delete;
  TSSLLibrary& operator=(const TSSLLibrary&) = delete;

  // Loads both libraries by name and resolves the entry points; nothing when already loaded. A
  // library that cannot be loaded raises EOSError whose message says which one and why.
  void Load(const AnsiString& cryptoName, const AnsiString& sslName);
  bool IsLoaded() const;
  const TSSLEntryPoints& Fn() const { return FFn; }

  // The text of the oldest error the calling thread's OpenSSL queue holds (empty when none); the
  // queue is emptied.
  String TakeErrors() const;

 private:
  mutable std::mutex FLock;
  bool FLoaded = false;
  void* FCrypto = nullptr;
  void* FSsl = nullptr;
  TSSLEntryPoints FFn{};
};
