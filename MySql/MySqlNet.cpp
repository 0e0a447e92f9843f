// Writing and the transport side of the packet layer; reading is in MySqlNet_Read.cpp.
#include "MySql/MySqlNet.h"

#include <cstring>

#include "Common/MemUtils.h"
#include "MySql/MySqlErrors.h"
#include "platform/rtl/Exceptions.h"

using namespace mysqlcodec;

namespace {

// A buffer grown past a full packet by a larger one is given back at the next command, so a
// session does not keep a huge buffer for the rest of its life; smaller ones are kept for reuse.
constexpr int64_t kKeepBufferUpTo = 20 << 20;

}  // namespace

TMySqlNet::TMySqlNet() : FPacket(WriteBufferSize), FQueue(100) {}

TMySqlNet::~TMySqlNet() {
  try {
    Close();
  } catch (...) {
    // A transport that fails to close is gone all the same.
  }
}

void TMySqlNet::SetVio(std::unique_ptr<TLxVio> vio) {
  if (FVio) {
    auto old = std::move(FVio);
    old->Close();
  }
  FVio = std::move(vio);
  // A new transport is a new byte stream: numbering starts again, uncompressed, with nothing queued.
  FPacketNumber = 0;
  FCompPacketNumber = 0;
  FCompress = false;
  FQueue.SetLength(0);
  FQueue.SetPosition(0);
}

void TMySqlNet::Close() {
  FPacket.SetLength(0);
  FPacket.SetPosition(0);
  FQueue.SetLength(0);
  FQueue.SetPosition(0);
  if (!FVio) return;
  auto vio = std::move(FVio);
  vio->Close();
}

void TMySqlNet::ReadExact(uint8_t* buffer, int32_t offset, int32_t count) {
  if (!FVio) throw EMySqlException(CR_LOST_CONNECTION);
  if (FVio->Read(buffer, offset, count) < count)
    throw EMySqlException::CreateMsg(CR_LOST_CONNECTION, FVio->LastError());
}

void TMySqlNet::WriteExact(const uint8_t* buffer, int32_t offset, int32_t count) {
  if (!FVio) throw EMySqlException(CR_LOST_CONNECTION);
  if (FVio->Write(buffer, offset, count) < count)
    throw EMySqlException::CreateMsg(CR_LOST_CONNECTION, FVio->LastError());
}

// --- building packets ----------------------------------------------------------------------------

void TMySqlNet::NewCommand() {
  FPacketNumber = 0;
  FCompPacketNumber = 0;
  if (FPacket.Capacity() > kKeepBufferUpTo) FPacket = TNetBuffer(WriteBufferSize);
  if (FFrame.capacity() > static_cast<size_t>(kKeepBufferUpTo)) TBytes().swap(FFrame);
  if (FQueue.Capacity() > kKeepBufferUpTo && FQueue.Position() >= FQueue.Length())
    FQueue = TNetBuffer(100);
  NewPacket();
}

void TMySqlNet::NewPacket() {
  FPacket.SetLength(HeaderSize);
  FPacket.SetPosition(HeaderSize);
}

void TMySqlNet::WriteByte(uint8_t value) { FPacket.WriteByte(value); }

void TMySqlNet::WriteUInt16(uint16_t value) {
  uint8_t b[2];
  PutUInt16(b, value);
  FPacket.Write(b, 0, 2);
}

void TMySqlNet::WriteUInt24(uint32_t value) {
  uint8_t b[3];
  PutUInt24(b, value);
  FPacket.Write(b, 0, 3);
}

void TMySqlNet::WriteUInt32(uint32_t value) {
  uint8_t b[4];
  PutUInt32(b, value);
  FPacket.Write(b, 0, 4);
}

void TMySqlNet::WriteUInt64(uint64_t value) {
  uint8_t b[8];
  PutUInt64(b, value);
  FPacket.Write(b, 0, 8);
}

void TMySqlNet::WriteBytes(const uint8_t* buffer, int32_t offset, int32_t count) {
  if (count > 0) FPacket.Write(buffer, offset, count);
}

void TMySqlNet::WriteBytes(const TBytes& bytes) {
  WriteBytes(bytes.data(), 0, static_cast<int32_t>(bytes.size()));
}

void TMySqlNet::WriteString(const AnsiString& text) {
  WriteBytes(reinterpret_cast<const uint8_t*>(text.data()), 0, static_cast<int32_t>(text.size()));
  WriteByte(0);
}

void TMySqlNet::WriteLengthCoded(uint64_t value) {
  uint8_t b[9];
  size_t n = EncodeLengthCoded(value, b);
  FPacket.Write(b, 0, static_cast<int32_t>(n));
}

void TMySqlNet::WriteFill(uint8_t value, int32_t count) {
  for (int32_t i = 0; i < count; ++i) FPacket.WriteByte(value);
}

// --- sending -------------------------------------------------------------------------------------

void TMySqlNet::WriteHeader(int32_t length) {
  EncodePacketHeader(Buffer(), static_cast<uint32_t>(length), FPacketNumber);
  ++FPacketNumber;
}

void TMySqlNet::Send() {
  int32_t payload = Length() - HeaderSize;
  if (payload >= MaxPacketSize) {
    // Built with plain writes past one packet: send it as the run of packets WriteLarge makes.
    TBytes data(Buffer() + HeaderSize, Buffer() + Length());
    NewPacket();
    WriteLarge(data.data(), 0, static_cast<int32_t>(data.size()));
    payload = Length() - HeaderSize;
  }
  if (payload > 0) {
    WriteHeader(payload);
    WriteFrame(Buffer(), Length());
    NewPacket();
  }
  if (FCompress) FPacketNumber = FCompPacketNumber;
}

void TMySqlNet::SendEmpty() {
  RTL_ASSERT(Length() == HeaderSize, u"SendEmpty with a packet under way");
  WriteHeader(0);
  WriteFrame(Buffer(), HeaderSize);
  if (FCompress) FPacketNumber = FCompPacketNumber;
}

void TMySqlNet::WriteLarge(const uint8_t* buffer, int32_t offset, int32_t count) {
  RTL_ASSERT(Length() >= HeaderSize && Length() == Position(), u"WriteLarge: packet buffer state");
  int32_t buffered = Length() - HeaderSize;
  RTL_ASSERT(buffered < MaxPacketSize, u"WriteLarge: packet buffer holds a whole packet");
  int64_t total = static_cast<int64_t>(buffered) + count;
  if (total < MaxPacketSize) {
    Put(buffer, offset, count, static_cast<int32_t>(total));
    return;
  }
  Put(buffer, offset, MaxPacketSize - buffered, MaxPacketSize);
  total -= MaxPacketSize;
  while (total >= MaxPacketSize) {
    Put(buffer, offset, MaxPacketSize, MaxPacketSize);
    total -= MaxPacketSize;
  }
  Put(buffer, offset, static_cast<int32_t>(total), static_cast<int32_t>(total));
  // A payload that fills its packets exactly ends with an empty packet, so the reader knows the
  // logical packet is complete.
  if (total == 0) SendEmpty();
}

// Appends count bytes of the caller's data to the packet under way; a packet that is complete goes
// out with the header length given, its tail straight from the caller's memory.
void TMySqlNet::Put(const uint8_t* buffer, int32_t& offset, int32_t count, int32_t headerLength) {
  if (Length() < WriteBufferSize) {
    int32_t n = WriteBufferSize - Length();
    if (n > count) n = count;
    WriteBytes(buffer, offset, n);
    offset += n;
    count -= n;
  }
  if (count == 0) return;
  WriteHeader(headerLength);
  WriteFrame(Buffer(), Length());
  NewPacket();
  WriteFrame(buffer + offset, count);
  offset += count;
}

void TMySqlNet::WriteFrame(const uint8_t* bytes, int32_t count) {
  if (!FCompress) {
    WriteExact(bytes, 0, count);
    return;
  }
  uint32_t compressedSize = 0;
  if (count > CompressThreshold) {
    uint32_t room = static_cast<uint32_t>(count + count / 5 + 12);
    FrameRoom(CompHeaderSize + room);
    compressedSize = room;
    try {
      if (DoCompress(FFrame.data() + CompHeaderSize, compressedSize, bytes,
                     static_cast<uint32_t>(count)) != 0)
        compressedSize = 0;
    } catch (const Exception&) {
      compressedSize = 0;  // sent uncompressed instead
    }
    // Deflated data no smaller than the original would only cost the reader time.
    if (compressedSize >= static_cast<uint32_t>(count)) compressedSize = 0;
  }
  if (compressedSize > 0) {
    EncodeFrameHeader(FFrame.data(), compressedSize, FCompPacketNumber,
                      static_cast<uint32_t>(count));
    ++FCompPacketNumber;
    WriteExact(FFrame.data(), 0, CompHeaderSize + static_cast<int32_t>(compressedSize));
    return;
  }
  uint8_t header[CompHeaderSize];
  EncodeFrameHeader(header, static_cast<uint32_t>(count), FCompPacketNumber, 0);
  ++FCompPacketNumber;
  if (count <= WriteBufferSize) {
    FrameRoom(static_cast<size_t>(CompHeaderSize + count));
    std::memcpy(FFrame.data(), header, CompHeaderSize);
    if (count > 0) std::memcpy(FFrame.data() + CompHeaderSize, bytes, static_cast<size_t>(count));
    WriteExact(FFrame.data(), 0, CompHeaderSize + count);
  } else {
    // A large raw frame is not copied: its header and its bytes go out one after the other.
    WriteExact(header, 0, CompHeaderSize);
    WriteExact(bytes, 0, count);
  }
}
