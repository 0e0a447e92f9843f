#include "Common/LxVioTcpSSL_Library.h"

#include <dlfcn.h>

#include <cerrno>

#include "platform/rtl/UnicodeText.h"

namespace {

constexpr const char* kDefaultCrypto = "libcrypto.so.3";
constexpr const char* kDefaultSsl = "libssl.so.3";

std::mutex gNamesLock;
AnsiString gCryptoName;
AnsiString gSslName;

void* Open(const AnsiString& name, String& failures) {
  void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    failures += u"\r\n" + UTF8ToString(why ? why : name.c_str());
  }
  return handle;
}

template <class F>
void Resolve(void* library, const char* name, F*& entryPoint) {
  entryPoint = reinterpret_cast<F*>(dlsym(library, name));
}

}  // namespace

void TSSLLibrary::SetLibraryNames(const AnsiString& crypto, const AnsiString& ssl) {
  std::lock_guard<std::mutex> hold(gNamesLock);
  gCryptoName = crypto;
  gSslName = ssl;
}

TSSLLibrary& TSSLLibrary::Loaded() {
  // Never unloaded: the libraries keep exit handlers of their own that must find their code.
  static TSSLLibrary* library = new TSSLLibrary();
  AnsiString crypto, ssl;
  {
    std::lock_guard<std::mutex> hold(gNamesLock);
    crypto = gCryptoName.empty() ? AnsiString(kDefaultCrypto) : gCryptoName;
    ssl = gSslName.empty() ? AnsiString(kDefaultSsl) : gSslName;
  }
  library->Load(crypto, ssl);
  return *library;
}

bool TSSLLibrary::IsLoaded() const {
  std::lock_guard<std::mutex> hold(FLock);
  return FLoaded;
}

void TSSLLibrary::Load(const AnsiString& cryptoName, const AnsiString& sslName) {
  std::lock_guard<std::mutex> hold(FLock);
  if (FLoaded) return;
  String failures;
  if (FCrypto == nullptr) FCrypto = Open(cryptoName, failures);
  if (FSsl == nullptr) FSsl = Open(sslName, failures);
  if (FCrypto == nullptr || FSsl == nullptr)
    throw EOSError(u"OpenSSL client library couldn't be loaded. Please install " +
                       UTF8ToString(cryptoName) + u" and " + UTF8ToString(sslName) +
                       u" (OpenSSL 3) where the system's loader finds them." + failures,
                   ELIBACC);

  TSSLEntryPoints& f = FFn;
  Resolve(FSsl, "OPENSSL_init_ssl", f.OPENSSL_init_ssl);
  Resolve(FSsl, "TLS_client_method", f.TLS_client_method);
  Resolve(FSsl, "SSL_CTX_new", f.SSL_CTX_new);
  Resolve(FSsl, "SSL_CTX_free", f.SSL_CTX_free);
  Resolve(FSsl, "SSL_CTX_ctrl", f.SSL_CTX_ctrl);
  Resolve(FSsl, "SSL_CTX_set_cipher_list", f.SSL_CTX_set_cipher_list);
  Resolve(FSsl, "SSL_CTX_set_verify", f.SSL_CTX_set_verify);
  Resolve(FSsl, "SSL_CTX_load_verify_locations", f.SSL_CTX_load_verify_locations);
  Resolve(FSsl, "SSL_CTX_set_default_verify_paths", f.SSL_CTX_set_default_verify_paths);
  Resolve(FSsl, "SSL_CTX_use_certificate_chain_file", f.SSL_CTX_use_certificate_chain_file);
  Resolve(FSsl, "SSL_CTX_use_PrivateKey_file", f.SSL_CTX_use_PrivateKey_file);
  Resolve(FSsl, "SSL_CTX_check_private_key", f.SSL_CTX_check_private_key);
  Resolve(FSsl, "SSL_new", f.SSL_new);
  Resolve(FSsl, "SSL_free", f.SSL_free);
  Resolve(FSsl, "SSL_set_fd", f.SSL_set_fd);
  Resolve(FSsl, "SSL_ctrl", f.SSL_ctrl);
  Resolve(FSsl, "SSL_set1_host", f.SSL_set1_host);
  Resolve(FSsl, "SSL_get0_param", f.SSL_get0_param);
  Resolve(FSsl, "SSL_set_connect_state", f.SSL_set_connect_state);
  Resolve(FSsl, "SSL_do_handshake", f.SSL_do_handshake);
  Resolve(FSsl, "SSL_read", f.SSL_read);
  Resolve(FSsl, "SSL_write", f.SSL_write);
  Resolve(FSsl, "SSL_get_error", f.SSL_get_error);
  Resolve(FSsl, "SSL_pending", f.SSL_pending);
  Resolve(FSsl, "SSL_shutdown", f.SSL_shutdown);
  Resolve(FSsl, "SSL_get_verify_result", f.SSL_get_verify_result);
  Resolve(FSsl, "SSL_get_version", f.SSL_get_version);
  Resolve(FCrypto, "ERR_get_error", f.ERR_get_error);
  Resolve(FCrypto, "ERR_error_string_n", f.ERR_error_string_n);
  Resolve(FCrypto, "ERR_clear_error", f.ERR_clear_error);
  Resolve(FCrypto, "X509_verify_cert_error_string", f.X509_verify_cert_error_string);
  Resolve(FCrypto, "X509_VERIFY_PARAM_set1_ip_asc", f.X509_VERIFY_PARAM_set1_ip_asc);
  FLoaded = true;
}

String TSSLLibrary::TakeErrors() const {
  if (FFn.ERR_get_error == nullptr || FFn.ERR_error_string_n == nullptr) return String();
  unsigned long first = FFn.ERR_get_error();
  if (first == 0) return String();
  char text[256] = {};
  FFn.ERR_error_string_n(first, text, sizeof text);
  if (FFn.ERR_clear_error) FFn.ERR_clear_error();
  return UTF8ToString(text);
}
