#include "Common/QuelscopeClient.h"

#include <unistd.h>

#include "platform/rtl/ProgramPaths.h"
#include "platform/rtl/TickCount.h"

namespace {

constexpr char16_t SMonitoringStarted[] = u" monitoring is started";
constexpr char16_t SMonitoringFinished[] = u" monitoring is finished";

int NextSlot(int index) { return index == TQuelscope::RingSize - 1 ? 0 : index + 1; }

int32_t ProcessId() { return static_cast<int32_t>(::getpid()); }

int32_t Ticks() { return static_cast<int32_t>(GetTickCount()); }

}  // namespace

TQuelscope::TQuelscope() = default;

TQuelscope::~TQuelscope() {
  {
    std::lock_guard<std::mutex> guard(FSignalLock);
    FTerminated = true;
    FSignalled = true;
  }
  FSignal.notify_one();
  bool abandon = false;
  {
    std::lock_guard<std::mutex> guard(FSendState->Lock);
    abandon = FSendState->Connecting;
    FSendState->Abandoned = abandon;
  }
  if (FThread.joinable()) {
    if (abandon)
      FThread.detach();
    else
      FThread.join();
  }
  // Messages still waiting are not sent.
  for (int i = FHead; i != FTail; i = NextSlot(i))
    if (FRing[i] != FStartup.get()) delete FRing[i];
}

TQuelscope& TQuelscope::GetClient() {
  static TQuelscope client;
  return client;
}

void TQuelscope::Configure(const String& caption, const String& host, int32_t port,
                           int32_t reconnectTimeout, int32_t sendTimeout) {
  std::lock_guard<std::mutex> guard(FLock);
  FCaption = caption;
  FHost = host;
  FPort = port;
  FReconnectTimeout = reconnectTimeout;
  FSendTimeout = sendTimeout;
}

TStartupMessage* TQuelscope::StartupMessage() {
  std::lock_guard<std::mutex> guard(FLock);
  if (!FStartup) {
    FStartup = std::make_unique<TStartupMessage>();
    FStartup->ProcessId = ProcessId();
    FStartup->EventType = 0;
    FStartup->Description = FCaption + SMonitoringStarted;
    FStartup->ExeName = ProgramFileName();
  }
  return FStartup.get();
}

void TQuelscope::Start() { Add(StartupMessage()); }

void TQuelscope::Finish() {
  auto message = std::make_unique<TEventMessage>();
  message->ProcessId = ProcessId();
  message->EventType = 1;
  {
    std::lock_guard<std::mutex> guard(FLock);
    message->Description = FCaption + SMonitoringFinished;
  }
  Add(std::move(message));
}

void TQuelscope::EventStart(TMonitorEvent& event) {
  event.EventId = ++FLastEventId;
  auto m = std::make_unique<TEventStartMessage>();
  m->ProcessId = ProcessId();
  m->EventType = event.EventType;
  m->Description = event.Description;
  m->StartTime = Ticks();
  m->EventId = event.EventId;
  m->ObjectId = event.ObjectId;
  m->ObjectName = event.ObjectName;
  m->ObjectType = event.ObjectType;
  m->ObjectTypeName = event.ObjectTypeName;
  m->ParentId = event.ParentId;
  m->ParentName = event.ParentName;
  m->ParentType = event.ParentType;
  m->ParentTypeName = event.ParentTypeName;
  m->SQL = event.SQL;
  m->Params = event.Params;
  m->CallStack = event.CallStack;
  Add(std::move(m));
}

void TQuelscope::EventEnd(const TMonitorEvent& event) {
  auto m = std::make_unique<TEventEndMessage>();
  m->ProcessId = ProcessId();
  m->EventType = event.EventType;
  m->Description = event.Description;
  m->EndTime = Ticks();
  m->EventId = event.EventId != 0 ? event.EventId : FLastEventId.load();
  m->Failed = event.Failed;
  m->ErrorText = event.ErrorText;
  m->Params = event.Params;
  m->RowsAffected = event.RowsAffected;
  Add(std::move(m));
}

bool TQuelscope::ThreadStarted() const { return FThreadStarted; }

bool TQuelscope::Connecting() const {
  std::lock_guard<std::mutex> guard(FSendState->Lock);
  return FSendState->Connecting;
}

int TQuelscope::WaitingCount() const {
  const int count = FTail - FHead;
  return count < 0 ? count + RingSize : count;
}

std::unique_ptr<TSocketMessagePacker> TQuelscope::CreatePacker() {
  return std::make_unique<TSocketMessagePacker>();
}

// ---- The ring.

void TQuelscope::Add(std::unique_ptr<TMonitorMessage> message) {
  Add(message.get());
  message.release();  // the ring owns it now, or Add freed it
}

void TQuelscope::Add(TMonitorMessage* message) {
  {
    std::lock_guard<std::mutex> guard(FLock);
    const int tail = FTail.load(std::memory_order_relaxed);
    const int next = NextSlot(tail);
    if (next == FHead.load(std::memory_order_acquire)) {
      // Full: the message is lost rather than the reporter kept waiting.
      if (message != FStartup.get()) delete message;
      return;
    }
    FRing[tail] = message;
    FTail.store(next, std::memory_order_release);
    if (!FThreadStarted) {
      FThreadStarted = true;
      FThread = std::thread([this, state = FSendState] { SendThreadRun(*state); });
    }
  }
  {
    std::lock_guard<std::mutex> guard(FSignalLock);
    FSignalled = true;
  }
  FSignal.notify_one();
}

// ---- The send thread.

void TQuelscope::WaitForSignal() {
  std::unique_lock<std::mutex> lock(FSignalLock);
  FSignal.wait(lock, [this] { return FSignalled; });
  FSignalled = false;  // auto-reset
}

void TQuelscope::SendThreadRun(TSendState& state) {
  while (!FTerminated) {
    WaitForSignal();
    int head = FHead.load(std::memory_order_relaxed);
    // A stopping client leaves the rest unsent rather than keep the program's end waiting.
    while (!FTerminated && head != FTail.load(std::memory_order_acquire)) {
      TMonitorMessage* message = FRing[head];
      if (!Deliver(state, message)) return;  // the client is gone
      if (message != StartupMessage()) delete message;
      head = NextSlot(head);
      FHead.store(head, std::memory_order_release);
    }
  }
}

bool TQuelscope::Connect(TSendState& state, bool& opened) {
  TSocketMessagePacker& packer = *state.Packer;
  {
    std::lock_guard<std::mutex> guard(FLock);
    packer.Host = FHost;
    packer.Port = FPort;
    packer.ReconnectTimeout = FReconnectTimeout;
    packer.SendTimeout = FSendTimeout;
  }
  {
    // The destructor reads the flag after it set FTerminated: either it sees the connect and
    // abandons this thread, or this thread sees the end and starts none.
    std::lock_guard<std::mutex> guard(state.Lock);
    if (FTerminated) return false;
    state.Connecting = true;
  }
  opened = packer.Open();
  std::lock_guard<std::mutex> guard(state.Lock);
  state.Connecting = false;
  return !state.Abandoned;
}

bool TQuelscope::Deliver(TSendState& state, TMonitorMessage* message) {
  const bool alive = state.Packer && state.Packer->KeepAlive();
  const auto* event = dynamic_cast<const TEventMessage*>(message);
  const bool finish = event && event->MessageType() == mmtEvent && event->EventType == 1;
  bool send = alive;
  if (!finish && !alive) {
    if (!state.Packer) state.Packer = CreatePacker();
    if (!Connect(state, send)) return false;
  }
  if (!send) return true;
  TSocketMessagePacker& packer = *state.Packer;
  TStartupMessage* startup = StartupMessage();
  // Every new connection begins with the start-up message.
  if (!alive && message != startup) packer.Send(*startup);
  packer.Send(*message);
  if (finish) packer.Close();
  return true;
}
