// The transport over a user-supplied IO handler, and the persistent tunnel options.
#include "Common/LxVio.h"

namespace {

const char16_t* const kNotOverridden = u"Not overriden in an inherited class";

}  // namespace

// --- TLxIOHandler defaults -----------------------------------------------------------------------

void TLxIOHandler::Disconnect(TLxConnectionHandle) { RTL_ASSERT(false, kNotOverridden); }

int32_t TLxIOHandler::Read(TLxConnectionHandle, uint8_t*, int32_t, int32_t) {
  RTL_ASSERT(false, kNotOverridden);
  return 0;
}

int32_t TLxIOHandler::Write(TLxConnectionHandle, const uint8_t*, int32_t, int32_t) {
  RTL_ASSERT(false, kNotOverridden);
  return 0;
}

bool TLxIOHandler::WaitForData(TLxConnectionHandle, int32_t) {
  RTL_ASSERT(false, kNotOverridden);
  return false;
}

int32_t TLxIOHandler::GetTimeout(TLxConnectionHandle) {
  RTL_ASSERT(false, kNotOverridden);
  return 0;
}

void TLxIOHandler::SetTimeout(TLxConnectionHandle, int32_t) { RTL_ASSERT(false, kNotOverridden); }

void TLxIOHandlerUtils::RegisterClient(TLxIOHandler* handler, TComponent* client) {
  handler->RegisterClient(client);
}

void TLxIOHandlerUtils::UnRegisterClient(TLxIOHandler* handler, TComponent* client) {
  handler->UnRegisterClient(client);
}

// --- TLxVioHandler -------------------------------------------------------------------------------

TLxVioHandler::TLxVioHandler(const AnsiString& host, int32_t port, TLxIOHandler* handler,
                             const AnsiString& keyFile, const AnsiString& certFile,
                             const AnsiString& caFile)
    : FIOHandler(handler), FHost(host), FPort(port), FKeyFile(keyFile), FCertFile(certFile),
      FCAFile(caFile) {
  RTL_ASSERT(handler != nullptr, u"The IO handler must be assigned");
}

TLxVioHandler::~TLxVioHandler() {
  try {
    Close();
  } catch (...) {
    // The handler's failure to disconnect cannot be reported from a destructor.
  }
}

int32_t TLxVioHandler::GetTimeout() {
  return FHandle != 0 ? FIOHandler->GetTimeout(FHandle) : FTimeout;
}

void TLxVioHandler::SetTimeout(int32_t seconds) {
  if (FHandle != 0)
    FIOHandler->SetTimeout(FHandle, seconds);
  else
    FTimeout = seconds;
}

void TLxVioHandler::Connect() {
  TLxVio::Connect();
  RTL_ASSERT(FHandle == 0, u"The IO handler connection is already open");
  FHandle = FIOHandler->Connect(FHost, FPort, FKeyFile, FCertFile, FCAFile);
  if (FTimeout >= 1) FIOHandler->SetTimeout(FHandle, FTimeout);
}

void TLxVioHandler::Close() {
  if (FHandle == 0) return;
  TLxConnectionHandle handle = FHandle;
  FHandle = 0;
  FIOHandler->Disconnect(handle);
}

int32_t TLxVioHandler::ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) {
  return FHandle != 0 ? FIOHandler->Read(FHandle, buffer, offset, count) : 0;
}

int32_t TLxVioHandler::WriteChunk(const uint8_t*, int32_t, int32_t) {
  RTL_ASSERT(false, u"Not implemented");
  return 0;
}

int32_t TLxVioHandler::Read(uint8_t* buffer, int32_t offset, int32_t count) {
  return FHandle != 0 ? TLxVio::Read(buffer, offset, count) : 0;
}

int32_t TLxVioHandler::Write(const uint8_t* buffer, int32_t offset, int32_t count) {
  return FHandle != 0 ? FIOHandler->Write(FHandle, buffer, offset, count) : 0;
}

bool TLxVioHandler::WaitForData(int32_t seconds) {
  return FHandle != 0 && FIOHandler->WaitForData(FHandle, seconds);
}

void TLxVioHandler::StartTLS(int32_t mode) {
  if (FHandle != 0) FIOHandler->StartTLS(FHandle, mode);
}

// --- options -------------------------------------------------------------------------------------

void TProxyOptions::AssignTo(TPersistent* dest) {
  if (auto* d = dynamic_cast<TProxyOptions*>(dest)) {
    d->FHostname = FHostname;
    d->FPort = FPort;
    d->FUsername = FUsername;
    d->FPassword = FPassword;
    return;
  }
  TPersistent::AssignTo(dest);
}

THttpOptions::THttpOptions() : FProxyOptions(new TProxyOptions) {}

THttpOptions::~THttpOptions() = default;

void THttpOptions::AssignTo(TPersistent* dest) {
  if (auto* d = dynamic_cast<THttpOptions*>(dest)) {
    d->FUrl = FUrl;
    d->FUsername = FUsername;
    d->FPassword = FPassword;
    d->FProxyOptions->Assign(FProxyOptions.get());
    return;
  }
  TPersistent::AssignTo(dest);
}

bool THttpOptions::Equals(const THttpOptions* other) const {
  if (other == nullptr) return false;
  const TProxyOptions& a = *FProxyOptions;
  const TProxyOptions& b = *other->FProxyOptions;
  return FUrl == other->FUrl && FUsername == other->FUsername && FPassword == other->FPassword &&
         a.Hostname() == b.Hostname() && a.Port() == b.Port() && a.Username() == b.Username() &&
         a.Password() == b.Password();
}
