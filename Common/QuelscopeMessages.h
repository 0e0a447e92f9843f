// The frames that carry monitor events to the external monitor program over TCP: the message
// classes, each writing its own fields after its base's, and the packer that lays them out
// (big-endian Int32, UTF-8 strings after their byte length) and sends them through a buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/Types.h"

class TLxVioTcp;

// One parameter of a reported statement, all as text.
struct TMsgSQLParam {
  String Name;
  String DataType;
  String ParamType;
  String Value;
};
using TMsgSQLParams = std::vector<TMsgSQLParam>;

// The message type codes that open a frame.
enum TMonitorMessageType : int32_t {
  mmtEvent = 1,
  mmtStartup = 2,
  mmtEventStart = 4,
  mmtEventEnd = 5,
  mmtKeepAlive = 6,
};

class TMessagePacker {
 public:
  virtual ~TMessagePacker() = default;
  virtual void WriteByte(uint8_t value) = 0;
  virtual void WriteInt32(int32_t value) = 0;
  virtual void WriteString(const String& value) = 0;
};

class TMonitorMessage {
 public:
  virtual ~TMonitorMessage() = default;
  int32_t MessageType() const { return FMessageType; }
  // The fields in wire order, the base's first.
  virtual void Write(TMessagePacker& packer) const;

  int32_t ProcessId = 0;

 protected:
  explicit TMonitorMessage(int32_t messageType) : FMessageType(messageType) {}

 private:
  int32_t FMessageType;
};

// With event type 1 it is the finish message; the start-up message carries 0.
class TEventMessage : public TMonitorMessage {
 public:
  TEventMessage() : TMonitorMessage(mmtEvent) {}
  void Write(TMessagePacker& packer) const override;

  int32_t EventType = 0;
  String Description;

 protected:
  explicit TEventMessage(int32_t messageType) : TMonitorMessage(messageType) {}
};

class TStartupMessage : public TEventMessage {
 public:
  TStartupMessage() : TEventMessage(mmtStartup) {}
  void Write(TMessagePacker& packer) const override;

  String ExeName;
};

class TEventStartMessage : public TEventMessage {
 public:
  TEventStartMessage() : TEventMessage(mmtEventStart) {}
  void Write(TMessagePacker& packer) const override;

  int32_t EventId = 0;
  int32_t StartTime = 0;
  int32_t ObjectId = 0;
  String ObjectName;
  int32_t ObjectType = 0;
  String ObjectTypeName;
  int32_t ParentId = 0;
  String ParentName;
  int32_t ParentType = 0;
  String ParentTypeName;
  String SQL;
  TMsgSQLParams Params;
  std::vector<String> CallStack;
};

class TEventEndMessage : public TEventMessage {
 public:
  TEventEndMessage() : TEventMessage(mmtEventEnd) {}
  void Write(TMessagePacker& packer) const override;

  int32_t EventId = 0;
  int32_t EndTime = 0;
  bool Failed = false;
  String ErrorText;
  TMsgSQLParams Params;
  int32_t RowsAffected = 0;
};

// Writes frames into a buffer that grows up to 32768 bytes and is flushed to the transport when
// full and at the end of each frame. A socket failure closes the transport: Send swallows it,
// KeepAlive answers False.
class TSocketMessagePacker : public TMessagePacker {
 public:
  static constexpr int32_t InitialBufferSize = 1024;
  static constexpr int32_t MaxBufferSize = 32768;
  static constexpr int32_t DefaultPort = 1000;

  TSocketMessagePacker();
  ~TSocketMessagePacker() override;

  void WriteByte(uint8_t value) override;
  void WriteInt32(int32_t value) override;
  void WriteString(const String& value) override;

  // Connects; False without trying while the reconnect time-out since the last failure has not
  // passed, and False when the connect fails.
  bool Open();
  bool IsConnected() const;
  // Sends the keep-alive frame on an open connection; whether it is still open afterwards.
  bool KeepAlive();
  void Send(const TMonitorMessage& message);
  void Close();

  String Host;
  int32_t Port = DefaultPort;
  int32_t ReconnectTimeout = 5000;
  int32_t SendTimeout = 1000;

  int32_t BufferCapacity() const { return static_cast<int32_t>(FBuffer.size()); }

 protected:
  // Hands the bytes to the transport; answers how many it took.
  virtual int32_t Transmit(const uint8_t* data, int32_t count);
  virtual int32_t LastSocketError() const;
  // Clears the buffer without sending it.
  void ResetBuffer() { FFill = 0; }
  void Flush();

 private:
  void MakeRoom(int32_t count);

  std::unique_ptr<TLxVioTcp> FTransport;
  uint32_t FFailTick = 0;
  bool FFailed = false;
  std::vector<uint8_t> FBuffer;
  int32_t FFill = 0;
};
