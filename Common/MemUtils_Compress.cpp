// The compressor hooks and the zlib procedures installed in them.
#include <zlib.h>

#include "Common/MemUtils.h"

TCompressProc CompressProc = ZCompress;
TUncompressProc UncompressProc = ZUncompress;

namespace {

const char16_t kCompressorNotLinked[] = u"Compressor function is not linked";
const char16_t kUncompressorNotLinked[] = u"Uncompressor function is not linked";
const char16_t kTargetTooSmall[] = u"ZLib error: target buffer may be too small";

// One zlib stream over the whole buffers, released however the call ends.
class ZStream {
 public:
  ZStream(bool inflating, void* destination, uint32_t destinationSize, const void* source,
          uint32_t sourceSize)
      : FInflating(inflating) {
    FStream = z_stream{};  // zeros: the library's own allocation functions
    FStream.next_in = static_cast<Bytef*>(const_cast<void*>(source));
    FStream.avail_in = sourceSize;
    int status = inflating ? inflateInit(&FStream) : deflateInit(&FStream, Z_DEFAULT_COMPRESSION);
    Check(status);
    FOpen = true;
    // zlib refuses a null destination outright; with no room it should report the room instead.
    FStream.next_out = destination != nullptr ? static_cast<Bytef*>(destination) : &FNoRoom;
    if (destination == nullptr) destinationSize = 0;
    FStream.avail_out = destinationSize;
  }
  ~ZStream() {
    if (FOpen) FInflating ? inflateEnd(&FStream) : deflateEnd(&FStream);
  }
  ZStream(const ZStream&) = delete;
  ZStream& operator=(const ZStream&) = delete;

  // Runs the stream to its end in one call; returns the bytes produced.
  uint32_t Finish() {
    int status = FInflating ? inflate(&FStream, Z_FINISH) : deflate(&FStream, Z_FINISH);
    // A full destination is the one cause of not reaching the end with all input given; for
    // inflate, running out of input with room left means truncated data.
    if (status == Z_STREAM_END) return static_cast<uint32_t>(FStream.total_out);
    if (FStream.avail_out == 0 && (status == Z_OK || status == Z_BUF_ERROR))
      throw EZlibError(kTargetTooSmall);
    if (status == Z_NEED_DICT) status = Z_DATA_ERROR;  // we never set a dictionary
    Check(status < 0 ? status : Z_BUF_ERROR);
    return 0;
  }

  int End() {
    FOpen = false;
    return Check(FInflating ? inflateEnd(&FStream) : deflateEnd(&FStream));
  }

 private:
  int Check(int status) { return FInflating ? DCheck(status) : CCheck(status); }

  z_stream FStream;
  bool FInflating;
  bool FOpen = false;
  Bytef FNoRoom = 0;
};

int RunStream(bool inflating, void* destination, uint32_t& destinationSize, const void* source,
              uint32_t sourceSize) {
  ZStream stream(inflating, destination, destinationSize, source, sourceSize);
  uint32_t produced = stream.Finish();
  int status = stream.End();
  destinationSize = produced;
  return status;
}

}  // namespace

void CheckCompressorLinked() {
  if (CompressProc == nullptr) throw Exception(kCompressorNotLinked);
  if (UncompressProc == nullptr) throw Exception(kUncompressorNotLinked);
}

int DoCompress(void* destination, uint32_t& destinationSize, const void* source,
               uint32_t sourceSize) {
  TCompressProc proc = CompressProc;
  RTL_ASSERT(proc != nullptr, kCompressorNotLinked);
  return proc(destination, destinationSize, source, sourceSize);
}

int DoUncompress(void* destination, uint32_t& destinationSize, const void* source,
                 uint32_t sourceSize) {
  TUncompressProc proc = UncompressProc;
  RTL_ASSERT(proc != nullptr, kUncompressorNotLinked);
  return proc(destination, destinationSize, source, sourceSize);
}

int ZCompress(void* destination, uint32_t& destinationSize, const void* source,
              uint32_t sourceSize) {
  return RunStream(false, destination, destinationSize, source, sourceSize);
}

int ZUncompress(void* destination, uint32_t& destinationSize, const void* source,
                uint32_t sourceSize) {
  return RunStream(true, destination, destinationSize, source, sourceSize);
}
