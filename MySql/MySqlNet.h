// The MySQL packet layer: frames outgoing bytes into packets with sequence numbers, splits payloads
// of 16 MB and more, wraps everything into compressed frames when compression is on, and reads
// packets back (joining continued packets, inflating frames, checking sequence numbers, raising
// the server's errors). It owns the session's transport.
//
// Every length read from the wire is checked before anything is allocated or copied: a logical
// packet may not exceed MaxAllowedPacket() (EMySqlException 2020), a frame whose inflated size
// differs from what its header says is malformed (1157), and reads of the packet's fields never
// pass its end (2027, see MySqlNetCodec.h).
#pragma once

#include <cstdint>
#include <memory>

#include "Common/CLRClasses.h"
#include "Common/LxVio.h"
#include "MySql/MySqlNetBuffer.h"
#include "MySql/MySqlNetCodec.h"
#include "platform/rtl/Types.h"

class TMySqlNet {
 public:
  static constexpr int32_t HeaderSize = 4;
  static constexpr int32_t CompHeaderSize = 7;
  static constexpr int32_t MaxPacketSize = 0xFFFFFF;
  static constexpr int32_t WriteBufferSize = 8192;
  static constexpr int32_t CompressThreshold = 50;
  // The largest logical packet the client accepts: what its login announces to the server.
  static constexpr int64_t DefaultMaxAllowedPacket = 0x40000000;

  TMySqlNet();
  ~TMySqlNet();
  TMySqlNet(const TMySqlNet&) = delete;
  TMySqlNet& operator=(const TMySqlNet&) = delete;

  // --- transport ---
  // Closes and frees the current transport, then takes the given one.
  void SetVio(std::unique_ptr<TLxVio> vio);
  TLxVio* Vio() const { return FVio.get(); }
  // Empties both buffers; closes and frees the transport (also when closing raises).
  void Close();
  // Moves exactly count bytes or raises EMySqlException 2013 with the transport's LastError.
  void ReadExact(uint8_t* buffer, int32_t offset, int32_t count);
  void WriteExact(const uint8_t* buffer, int32_t offset, int32_t count);

  bool Compress() const { return FCompress; }
  void SetCompress(bool on) { FCompress = on; }
  int64_t MaxAllowedPacket() const { return FMaxAllowedPacket; }
  void SetMaxAllowedPacket(int64_t bytes) { FMaxAllowedPacket = bytes; }
  uint8_t PacketNumber() const { return FPacketNumber; }
  uint8_t CompPacketNumber() const { return FCompPacketNumber; }

  // --- writing ---
  // Sequence numbers back to 0, then NewPacket.
  void NewCommand();
  // Empties the packet buffer down to the reserved header.
  void NewPacket();
  void WriteByte(uint8_t value);
  void WriteBool(bool value) { WriteByte(value ? 1 : 0); }
  void WriteUInt16(uint16_t value);
  void WriteUInt24(uint32_t value);
  void WriteUInt32(uint32_t value);
  void WriteUInt64(uint64_t value);
  void WriteBytes(const uint8_t* buffer, int32_t offset, int32_t count);
  void WriteBytes(const TBytes& bytes);
  // The text's bytes and a zero byte.
  void WriteString(const AnsiString& text);
  void WriteLengthCoded(uint64_t value);
  void WriteFill(uint8_t value, int32_t count);
  // Appends data that may run past one packet: full packets go out at once, straight from the
  // caller's memory; the tail waits in the buffer for Send.
  void WriteLarge(const uint8_t* buffer, int32_t offset, int32_t count);
  // Sends the buffered packet (nothing when it holds only its header).
  void Send();
  // Sends a packet with no payload.
  void SendEmpty();

  // --- reading ---
  // Reads one plain header and returns the payload length.
  int32_t ReceiveHeader();
  // Reads one logical packet into the packet buffer (position 0); raises the server's error when
  // it is an error packet.
  void Receive();
  // Reads one plain packet into a separate array; rows of 16 MB and more cannot be kept whole.
  void ReceiveBuffer(TBytes& bytes);
  // Reads and discards one packet in pieces; returns its length, and its first byte in scratch[0]
  // when checkError is set. Only while compression is off.
  int32_t SkipPacket(TBytes& scratch, int32_t pieceSize, bool checkError);

  uint8_t ReadByte();
  uint16_t ReadUInt16();
  uint32_t ReadUInt24();
  uint32_t ReadUInt32();
  uint64_t ReadUInt64();
  // Up to count bytes into bytes[offset...]; returns the count copied.
  int32_t ReadBytes(TBytes& bytes, int32_t offset, int32_t count);
  // Bytes up to a zero byte (consumed) or the end of the packet.
  AnsiString ReadString();
  // A length-coded integer; -1 for NULL.
  int64_t ReadLengthCoded();
  // Raises the server's error when the byte at the position is 0xFF.
  void CheckError();

  // --- the packet buffer ---
  uint8_t* Buffer() { return FPacket.GetBuffer().data(); }
  int32_t Length() const { return static_cast<int32_t>(FPacket.Length()); }
  void SetLength(int32_t length) { FPacket.SetLength(length); }
  int32_t Position() const { return static_cast<int32_t>(FPacket.Position()); }
  void SetPosition(int32_t position) { FPacket.SetPosition(position); }

 private:
  mysqlcodec::TMySqlReader Reader();
  void Advance(const mysqlcodec::TMySqlReader& reader) {
    FPacket.SetPosition(static_cast<int64_t>(reader.Position()));
  }
  // Reads one value with the bounds-checked reader and moves past it.
  template <class T>
  T Take(T (mysqlcodec::TMySqlReader::*read)()) {
    auto r = Reader();
    T value = (r.*read)();
    Advance(r);
    return value;
  }
  void WriteHeader(int32_t length);
  void WriteFrame(const uint8_t* bytes, int32_t count);
  void Put(const uint8_t* buffer, int32_t& offset, int32_t count, int32_t headerLength);
  void ReadPayload(uint8_t* destination, int32_t offset, int32_t count);
  void ReceiveFrame();
  void CheckPacketSize(int64_t length) const;
  // The frame scratch with room for n bytes. It only grows (until the next command gives a huge
  // one back): growing a vector clears the new bytes, which every frame would pay again.
  uint8_t* FrameRoom(size_t n) {
    if (FFrame.size() < n) FFrame.resize(n);
    return FFrame.data();
  }

  std::unique_ptr<TLxVio> FVio;
  TNetBuffer FPacket;
  TNetBuffer FQueue;  // inflated bytes of received frames, not yet consumed
  uint8_t FPacketNumber = 0;
  uint8_t FCompPacketNumber = 0;
  bool FCompress = false;
  int64_t FMaxAllowedPacket = DefaultMaxAllowedPacket;
  TBytes FFrame;  // scratch for a frame going out or coming in
};
