// The process-wide client that takes monitor events to the external monitor program: a report
// only puts a message into a ring; one send thread, started by the first message, connects,
// sends and drops what cannot be sent, so the application never waits on the network.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "Common/QuelscopeMessages.h"

// One report for the client, filled by the monitor component.
struct TMonitorEvent {
  // Filled in by EventStart; EventEnd with 0 stands for the last started event.
  int32_t EventId = 0;
  int32_t EventType = 0;
  int32_t ObjectId = 0;
  String ObjectName;
  int32_t ObjectType = 0;
  String ObjectTypeName;
  int32_t ParentId = 0;
  String ParentName;
  int32_t ParentType = 0;
  String ParentTypeName;
  String Description;
  String SQL;
  TMsgSQLParams Params;
  bool Failed = false;
  String ErrorText;
  int32_t RowsAffected = 0;
  std::vector<String> CallStack;
};

class TQuelscope {
 public:
  static constexpr int RingSize = 1001;

  TQuelscope();
  virtual ~TQuelscope();
  TQuelscope(const TQuelscope&) = delete;
  TQuelscope& operator=(const TQuelscope&) = delete;

  // The client of the process, made on first use and stopped at program exit.
  static TQuelscope& GetClient();

  // Taken by the send thread at its next connect.
  void Configure(const String& caption, const String& host, int32_t port,
                 int32_t reconnectTimeout, int32_t sendTimeout);

  // Queues the start-up message.
  void Start();
  // Queues the message that monitoring is finished.
  void Finish();
  // Gives the event the next event id and queues its start.
  void EventStart(TMonitorEvent& event);
  void EventEnd(const TMonitorEvent& event);

  bool ThreadStarted() const;
  // How many messages wait in the ring (the one being sent among them).
  int WaitingCount() const;
  // Whether the send thread is connecting to the monitor program right now.
  bool Connecting() const;

 protected:
  // The packer the send thread connects with.
  virtual std::unique_ptr<TSocketMessagePacker> CreatePacker();

 private:
  // What the send thread keeps when the client goes while it connects: a connect to a host that
  // does not answer may last the transport's whole time limit, and the program's end must not
  // wait for it. The abandoned thread finishes its connect on its own and then touches nothing
  // of the client.
  struct TSendState {
    std::mutex Lock;
    bool Connecting = false;
    bool Abandoned = false;
    std::unique_ptr<TSocketMessagePacker> Packer;
  };

  void Add(std::unique_ptr<TMonitorMessage> message);
  void Add(TMonitorMessage* message);
  void SendThreadRun(TSendState& state);
  // False when the client was abandoned meanwhile: the thread must leave at once.
  bool Deliver(TSendState& state, TMonitorMessage* message);
  // Connects the packer; false when the client was abandoned meanwhile.
  bool Connect(TSendState& state, bool& opened);
  void WaitForSignal();
  TStartupMessage* StartupMessage();

  // Guards the configuration, the start-up message's making and adding to the ring.
  mutable std::mutex FLock;
  String FCaption;
  String FHost;
  int32_t FPort = TSocketMessagePacker::DefaultPort;
  int32_t FReconnectTimeout = 5000;
  int32_t FSendTimeout = 1000;
  std::unique_ptr<TStartupMessage> FStartup;

  // Only the send thread moves the head; adders move the tail under the lock. A slot is written
  // before the tail that publishes it.
  std::array<TMonitorMessage*, RingSize> FRing{};
  std::atomic<int> FHead{0};
  std::atomic<int> FTail{0};

  std::mutex FSignalLock;
  std::condition_variable FSignal;
  bool FSignalled = false;
  std::atomic<bool> FTerminated{false};
  std::thread FThread;
  std::atomic<bool> FThreadStarted{false};

  // Shared with the send thread, which alone uses the packer in it.
  std::shared_ptr<TSendState> FSendState = std::make_shared<TSendState>();
  std::atomic<int32_t> FLastEventId{0};
};
