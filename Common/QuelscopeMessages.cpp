#include "Common/QuelscopeMessages.h"

#include <algorithm>
#include <cstring>

#include "Common/LxVioTcp.h"
#include "platform/net/Sockets.h"
#include "platform/rtl/NumberText.h"
#include "platform/rtl/TickCount.h"
#include "platform/rtl/UnicodeText.h"

namespace {

void WriteParams(TMessagePacker& packer, const TMsgSQLParams& params) {
  packer.WriteInt32(static_cast<int32_t>(params.size()));
  for (const TMsgSQLParam& p : params) {
    packer.WriteString(p.Name);
    packer.WriteString(p.DataType);
    packer.WriteString(p.ParamType);
    packer.WriteString(p.Value);
  }
}

}  // namespace

void TMonitorMessage::Write(TMessagePacker& packer) const { packer.WriteInt32(ProcessId); }

void TEventMessage::Write(TMessagePacker& packer) const {
  TMonitorMessage::Write(packer);
  packer.WriteInt32(EventType);
  packer.WriteString(Description);
}

void TStartupMessage::Write(TMessagePacker& packer) const {
  TEventMessage::Write(packer);
  packer.WriteString(ExeName);
}

void TEventStartMessage::Write(TMessagePacker& packer) const {
  TEventMessage::Write(packer);
  packer.WriteInt32(EventId);
  packer.WriteInt32(StartTime);
  packer.WriteInt32(ObjectId);
  packer.WriteString(ObjectName);
  packer.WriteInt32(ObjectType);
  packer.WriteString(ObjectTypeName);
  packer.WriteInt32(ParentId);
  packer.WriteString(ParentName);
  packer.WriteInt32(ParentType);
  packer.WriteString(ParentTypeName);
  packer.WriteString(SQL);
  WriteParams(packer, Params);
  packer.WriteInt32(static_cast<int32_t>(CallStack.size()));
  for (const String& line : CallStack) packer.WriteString(line);
}

void TEventEndMessage::Write(TMessagePacker& packer) const {
  TEventMessage::Write(packer);
  packer.WriteInt32(EventId);
  packer.WriteInt32(EndTime);
  packer.WriteInt32(Failed ? 1 : 0);
  packer.WriteString(ErrorText);
  WriteParams(packer, Params);
  packer.WriteInt32(RowsAffected);
}

// ---- The socket packer.

TSocketMessagePacker::TSocketMessagePacker() : FBuffer(InitialBufferSize) {}

TSocketMessagePacker::~TSocketMessagePacker() { Close(); }

void TSocketMessagePacker::MakeRoom(int32_t count) {
  int32_t capacity = BufferCapacity();
  if (capacity - FFill >= count) return;
  if (capacity < MaxBufferSize) {
    capacity = std::min(std::max(FFill + count, 2 * capacity), MaxBufferSize);
    FBuffer.resize(capacity);
  }
  if (capacity - FFill < count) Flush();
}

void TSocketMessagePacker::WriteByte(uint8_t value) {
  MakeRoom(1);
  FBuffer[FFill++] = value;
}

void TSocketMessagePacker::WriteInt32(int32_t value) {
  MakeRoom(4);
  const auto v = static_cast<uint32_t>(value);
  FBuffer[FFill++] = static_cast<uint8_t>(v >> 24);
  FBuffer[FFill++] = static_cast<uint8_t>(v >> 16);
  FBuffer[FFill++] = static_cast<uint8_t>(v >> 8);
  FBuffer[FFill++] = static_cast<uint8_t>(v);
}

void TSocketMessagePacker::WriteString(const String& value) {
  const AnsiString utf8 = UTF8Encode(value);
  WriteInt32(static_cast<int32_t>(utf8.size()));
  size_t done = 0;
  while (done < utf8.size()) {
    const auto remaining = static_cast<int32_t>(utf8.size() - done);
    MakeRoom(remaining);
    const int32_t piece = std::min(remaining, BufferCapacity() - FFill);
    std::memcpy(FBuffer.data() + FFill, utf8.data() + done, piece);
    FFill += piece;
    done += piece;
  }
}

void TSocketMessagePacker::Flush() {
  const int32_t fill = FFill;
  FFill = 0;
  if (fill > 0 && Transmit(FBuffer.data(), fill) < fill)
    throw SocketException(u"Socket error " + IntToStr(LastSocketError()), LastSocketError());
}

int32_t TSocketMessagePacker::Transmit(const uint8_t* data, int32_t count) {
  return FTransport ? FTransport->Write(data, 0, count) : 0;
}

int32_t TSocketMessagePacker::LastSocketError() const {
  return FTransport ? FTransport->SocketLastError() : 0;
}

bool TSocketMessagePacker::Open() {
  if (FFailed && GetTickCount() - FFailTick < static_cast<uint32_t>(ReconnectTimeout))
    return false;
  if (Host.empty()) Host = u"localhost";
  if (Port == 0) Port = DefaultPort;
  try {
    FTransport = std::make_unique<TLxVioTcp>(UTF8Encode(Host), Port);
    FTransport->Connect();
    FTransport->SetSendTimeout(SendTimeout / 1000);
  } catch (const SocketException&) {
    FTransport->Close();
    FFailed = true;
    FFailTick = GetTickCount();
    return false;
  }
  FFailed = false;
  return true;
}

bool TSocketMessagePacker::IsConnected() const { return FTransport && FTransport->IsConnected(); }

bool TSocketMessagePacker::KeepAlive() {
  if (!IsConnected()) return false;
  ResetBuffer();
  try {
    WriteInt32(mmtKeepAlive);
    Flush();
  } catch (const SocketException&) {
    Close();
  }
  return IsConnected();
}

void TSocketMessagePacker::Send(const TMonitorMessage& message) {
  ResetBuffer();
  try {
    WriteInt32(message.MessageType());
    message.Write(*this);
    Flush();
  } catch (const SocketException&) {
    Close();
  }
}

void TSocketMessagePacker::Close() {
  if (FTransport) FTransport->Close();
}
