// The key of a connection pool and its description.
#include "Common/LxConnectionPool.h"
#include "Common/LxVio.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/TextCompare.h"

TLxPoolTimings& LxPoolTimings() {
  static TLxPoolTimings timings;
  return timings;
}

TLxConnectionParameters::TLxConnectionParameters() : FHttpOptions(new THttpOptions()) {}

TLxConnectionParameters::~TLxConnectionParameters() = default;

std::unique_ptr<TLxConnectionParameters> TLxConnectionParameters::Create() const {
  return std::make_unique<TLxConnectionParameters>();
}

void TLxConnectionParameters::AssignTo(TPersistent* dest) {
  auto* target = dynamic_cast<TLxConnectionParameters*>(dest);
  if (!target) {
    TPersistent::AssignTo(dest);
    return;
  }
  target->MinPoolSize = MinPoolSize;
  target->MaxPoolSize = MaxPoolSize;
  target->Username = Username;
  target->Server = Server;
  target->Password = Password;
  target->ConnectionLifetime = ConnectionLifetime;
  target->Validate = Validate;
  target->IOHandler = IOHandler;
  target->OnError = OnError;
  target->FHttpOptions->Assign(FHttpOptions.get());
}

bool TLxConnectionParameters::Equals(const TLxConnectionParameters* other) const {
  if (!other) return false;
  return MinPoolSize == other->MinPoolSize && MaxPoolSize == other->MaxPoolSize &&
         ConnectionLifetime == other->ConnectionLifetime && Validate == other->Validate &&
         AnsiSameText(Username, other->Username) && AnsiSameText(Server, other->Server) &&
         Password == other->Password && IOHandler == other->IOHandler &&
         (!UsesHttpOptions() || FHttpOptions->Equals(other->FHttpOptions.get()));
}

bool TLxConnectionParameters::SetProp(TLxPropCode prop, const Variant&) {
  RTL_ASSERT(false, IntToStr(prop));
  return false;
}

String TLxConnectionParameters::ConnectionInfo() const {
  return Format(u"Username=%s\rServer=%s\r", {Username, Server});
}

String TLxConnectionParameters::PoolSettingsText() const {
  return Format(u"MinPoolSize=%d\rMaxPoolSize=%d\rConnectionLifeTime=%d\rValidate=",
                {MinPoolSize, MaxPoolSize, ConnectionLifetime}) +
         (Validate ? u"True" : u"False") + u"\r";
}

String TLxConnectionParameters::AsString() const { return ConnectionInfo() + PoolSettingsText(); }
