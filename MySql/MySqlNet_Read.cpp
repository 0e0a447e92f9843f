// Reading packets: headers and sequence numbers, joining continued packets, inflating compressed
// frames, and the field readers over the packet buffer.
#include <cstring>

#include "Common/MemUtils.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlNet.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/UnicodeText.h"

using namespace mysqlcodec;

namespace {

// Payloads are read into storage that grows with what has arrived, never to a claimed length at
// once: a server that announces 16 MB and sends ten bytes costs ten bytes.
constexpr int64_t kFirstPiece = 65536;

// The next piece of a payload of count bytes placed at base, done bytes in: at least the first
// piece, then as much again as the storage already holds, so growth stays geometric.
int64_t NextPiece(int64_t base, int64_t done, int64_t count) {
  int64_t piece = base + done > kFirstPiece ? base + done : kFirstPiece;
  return piece < count - done ? piece : count - done;
}

[[noreturn]] void RaiseOutOfOrder(const char16_t* where, int received, int expected) {
  throw EMySqlException::CreateMsg(
      ER_PACKETS_OUT_OF_ORDER,
      Format(String(where) + u": Net packets out of order: received[%d], expected[%d]",
             {received, expected}));
}

}  // namespace

void TMySqlNet::CheckPacketSize(int64_t length) const {
  if (length > FMaxAllowedPacket) throw EMySqlException(CR_PACKET_TOO_LARGE);
}

// --- headers and frames --------------------------------------------------------------------------

int32_t TMySqlNet::ReceiveHeader() {
  RTL_ASSERT(FVio != nullptr, u"ReceiveHeader without a transport");
  uint8_t header[HeaderSize];
  ReadPayload(header, 0, HeaderSize);
  TPacketHeader h = DecodePacketHeader(header);
  if (!FCompress) {
    uint8_t expected = FPacketNumber++;
    FCompPacketNumber = FPacketNumber;
    if (h.Sequence != expected) RaiseOutOfOrder(u"ReceiveHeader", h.Sequence, expected);
  }
  return static_cast<int32_t>(h.Length);
}

// Reads frames into the queue: one, and more while a frame's payload is a full 16 MB.
void TMySqlNet::ReceiveFrame() {
  RTL_ASSERT(FVio != nullptr && FCompress, u"ReceiveFrame without a compressed transport");
  for (;;) {
    uint8_t header[CompHeaderSize];
    ReadExact(header, 0, CompHeaderSize);
    TFrameHeader h = DecodeFrameHeader(header);
    uint8_t expected = FPacketNumber++;
    FCompPacketNumber = FPacketNumber;
    if (h.Sequence != expected) RaiseOutOfOrder(u"ReceiveCompHeader", h.Sequence, expected);

    int64_t queued = FQueue.Length();
    int64_t adds = h.Uncompressed > 0 ? h.Uncompressed : h.Length;
    // A run of full frames carries at most one logical packet and the frame it ends in.
    if (queued + adds > FMaxAllowedPacket + MaxPacketSize)
      throw EMySqlException(CR_PACKET_TOO_LARGE);
    if (h.Uncompressed == 0) {
      for (int64_t done = 0; done < h.Length;) {
        int64_t piece = NextPiece(queued, done, h.Length);
        FQueue.SetLength(queued + done + piece);
        ReadExact(FQueue.GetBuffer().data(), static_cast<int32_t>(queued + done),
                  static_cast<int32_t>(piece));
        done += piece;
      }
    } else {
      if (static_cast<int64_t>(h.Uncompressed) > static_cast<int64_t>(h.Length) * MaxInflateRatio + 64)
        throw EMySqlException(ER_FRAME_NOT_INFLATED);
      for (int64_t done = 0; done < h.Length;) {
        int64_t piece = NextPiece(0, done, h.Length);
        ReadExact(FrameRoom(static_cast<size_t>(done + piece)), static_cast<int32_t>(done),
                  static_cast<int32_t>(piece));
        done += piece;
      }
      FQueue.SetLength(queued + h.Uncompressed);
      uint32_t size = h.Uncompressed;
      bool ok;
      try {
        ok = DoUncompress(FQueue.GetBuffer().data() + queued, size, FFrame.data(), h.Length) == 0 &&
             size == h.Uncompressed;
      } catch (const Exception&) {
        ok = false;
      }
      if (!ok) throw EMySqlException(ER_FRAME_NOT_INFLATED);
    }
    if (h.Length != static_cast<uint32_t>(MaxPacketSize)) break;
  }
}

// The byte reader: straight from the transport, or from the queue of inflated frames.
void TMySqlNet::ReadPayload(uint8_t* destination, int32_t offset, int32_t count) {
  if (!FCompress) {
    ReadExact(destination, offset, count);
    return;
  }
  while (count > 0) {
    int32_t n = FQueue.Read(destination, offset, count);
    offset += n;
    count -= n;
    if (count == 0) break;
    FQueue.SetLength(0);
    FQueue.SetPosition(0);
    ReceiveFrame();
  }
  if (FQueue.Position() >= FQueue.Length()) {
    FQueue.SetLength(0);
    FQueue.SetPosition(0);
  }
}

// --- packets -------------------------------------------------------------------------------------

void TMySqlNet::Receive() {
  FPacket.SetPosition(0);
  FPacket.SetLength(0);
  int64_t total = 0;
  int32_t n;
  do {
    n = ReceiveHeader();
    CheckPacketSize(total + n);
    for (int64_t done = 0; done < n;) {
      int64_t piece = NextPiece(total, done, n);
      FPacket.SetLength(total + done + piece);
      ReadPayload(Buffer(), static_cast<int32_t>(total + done), static_cast<int32_t>(piece));
      done += piece;
    }
    total += n;
  } while (n == MaxPacketSize);
  FPacket.SetPosition(0);
  if (total > 0 && Buffer()[0] == kErrorMarker) CheckError();
}

void TMySqlNet::ReceiveBuffer(TBytes& bytes) {
  int32_t n = ReceiveHeader();
  if (n < 1) {
    String text = u"TMySqlNet.ReceiveBuffer l = ";
    text += UTF8ToString(std::to_string(n));
    RTL_ASSERT(false, text);
  }
  if (n == MaxPacketSize) throw ArgumentException(u"Cannot retrieve huge data in FetchAll mode");
  bytes.clear();
  for (int64_t done = 0; done < n;) {
    int64_t piece = NextPiece(0, done, n);
    bytes.resize(static_cast<size_t>(done + piece));
    ReadPayload(bytes.data(), static_cast<int32_t>(done), static_cast<int32_t>(piece));
    done += piece;
  }
  if (bytes[0] == kErrorMarker) {
    FPacket.SetLength(0);
    FPacket.SetPosition(0);
    FPacket.Write(bytes.data(), 0, n);
    FPacket.SetPosition(0);
    CheckError();
  }
}

int32_t TMySqlNet::SkipPacket(TBytes& scratch, int32_t pieceSize, bool checkError) {
  RTL_ASSERT(pieceSize > 0, u"SkipPacket: piece size");
  if (scratch.size() < static_cast<size_t>(pieceSize)) scratch.resize(static_cast<size_t>(pieceSize));
  int32_t n = ReceiveHeader();
  scratch[0] = 0;
  int32_t left = n;
  bool first = true;
  while (left > 0) {
    int32_t piece = left < pieceSize ? left : pieceSize;
    // Through the byte reader, so skipping works with compression on as well.
    ReadPayload(scratch.data(), 0, piece);
    if (first && checkError && scratch[0] == kErrorMarker) {
      FPacket.SetLength(0);
      FPacket.SetPosition(0);
      FPacket.Write(scratch.data(), 0, piece);
      FPacket.SetPosition(0);
      CheckError();
    }
    first = false;
    left -= piece;
  }
  if (!checkError) scratch[0] = 0;
  return n;
}

// --- fields of the packet buffer -----------------------------------------------------------------

TMySqlReader TMySqlNet::Reader() {
  return TMySqlReader(Buffer(), static_cast<size_t>(Length()), static_cast<size_t>(Position()));
}

uint8_t TMySqlNet::ReadByte() { return Take(&mysqlcodec::TMySqlReader::ReadByte); }

uint16_t TMySqlNet::ReadUInt16() { return Take(&mysqlcodec::TMySqlReader::ReadUInt16); }

uint32_t TMySqlNet::ReadUInt24() { return Take(&mysqlcodec::TMySqlReader::ReadUInt24); }

uint32_t TMySqlNet::ReadUInt32() { return Take(&mysqlcodec::TMySqlReader::ReadUInt32); }

uint64_t TMySqlNet::ReadUInt64() { return Take(&mysqlcodec::TMySqlReader::ReadUInt64); }

int32_t TMySqlNet::ReadBytes(TBytes& bytes, int32_t offset, int32_t count) {
  RTL_ASSERT(offset >= 0 && count >= 0 &&
                 static_cast<size_t>(offset) + static_cast<size_t>(count) <= bytes.size(),
             u"ReadBytes: the destination is too small");
  auto r = Reader();
  size_t n = r.ReadBytesUpTo(bytes.data() + offset, static_cast<size_t>(count));
  Advance(r);
  return static_cast<int32_t>(n);
}

AnsiString TMySqlNet::ReadString() {
  auto r = Reader();
  AnsiString text = r.ReadZString();
  Advance(r);
  return text;
}

int64_t TMySqlNet::ReadLengthCoded() {
  auto r = Reader();
  int64_t v = r.ReadLengthCoded();
  Advance(r);
  return v;
}

void TMySqlNet::CheckError() {
  if (Position() >= Length() || Buffer()[Position()] != kErrorMarker) return;
  TServerError error = DecodeErrorPacket(Buffer() + Position(), static_cast<size_t>(Length() - Position()));
  FPacket.SetPosition(Length());
  throw EMySqlException::CreateMsg(error.Number, UTF8ToString(error.Message));
}
