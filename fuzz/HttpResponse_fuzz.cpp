// Feeds arbitrary server bytes to the HTTP client as the response to a GET (its status line, its
// header lines, redirects that take the rest of the stream as their next response) and reads the
// body as lines and as raw bytes. Anything but HttpException is a finding, and so is a read past
// the bounds the client promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Common/LxHttp.h"

namespace {

// The server's stream, shared by every connection of one request (a redirect goes on reading it).
struct TStream {
  std::vector<uint8_t> Bytes;
  size_t Position = 0;
  int32_t ChunkLimit = 1;
};

class TStreamVio : public TLxVioTcp {
 public:
  explicit TStreamVio(std::shared_ptr<TStream> stream)
      : TLxVioTcp("fuzz", 80), FStream(std::move(stream)) {}
  void Connect() override { TLxVio::Connect(); }
  void Close() override {}
  int32_t ReadChunk(uint8_t* buffer, int32_t offset, int32_t count) override {
    FLastError.clear();
    size_t n =
        std::min<size_t>({static_cast<size_t>(count), FStream->Bytes.size() - FStream->Position,
                          static_cast<size_t>(FStream->ChunkLimit)});
    std::copy_n(FStream->Bytes.data() + FStream->Position, n, buffer + offset);
    FStream->Position += n;
    return static_cast<int32_t>(n);
  }
  int32_t WriteChunk(const uint8_t*, int32_t, int32_t count) override { return count; }
  bool WaitForData(int32_t) override { return FStream->Position < FStream->Bytes.size(); }

 private:
  std::shared_ptr<TStream> FStream;
};

class TStreamHttp : public TLxHttp {
 public:
  TStreamHttp(std::shared_ptr<TStream> stream)
      : TLxHttp("http://user:pw@fuzz.invalid/dir/a.php?x=1"), FStream(std::move(stream)) {}

 protected:
  std::unique_ptr<TLxVioTcp> CreateConnection(const AnsiString&, int32_t) override {
    return std::make_unique<TStreamVio>(FStream);
  }

 private:
  std::shared_ptr<TStream> FStream;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first byte picks the receive size and how the body is read; the rest is the stream.
  auto stream = std::make_shared<TStream>();
  stream->Bytes.assign(data + 1, data + size);
  stream->ChunkLimit = 1 + (data[0] >> 1) * 97;
  TStreamHttp http(stream);
  try {
    http.Get();
    if (http.ContentLength() < 0 || http.StatusLine().size() > TLxHttp::MaxLineLength) std::abort();
    std::vector<uint8_t> body(4096);
    for (int i = 0; i < 64; ++i) {
      if (data[0] & 1) {
        AnsiString line = http.ReadLine();
        if (line.empty()) break;
        if (line.size() > TLxHttp::MaxLineLength) std::abort();
      } else {
        int32_t n = http.Read(body.data(), 0, static_cast<int32_t>(body.size()));
        if (n < 0 || n > static_cast<int32_t>(body.size())) std::abort();
        if (n == 0) break;
      }
    }
  } catch (const HttpException&) {
  }
  return 0;
}
