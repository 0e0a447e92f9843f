// Feeds arbitrary server bytes to the packet layer, plain and compressed, and reads every packet
// with the field readers. Anything but the engine's own errors is a finding.
#include <cstddef>
#include <cstdint>

#include "Common/CLRClasses.h"
#include "MySql/MySqlErrors.h"
#include "MySql/MySqlNet.h"
#include "tests/support/MemoryVio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first byte picks the mode and the receive size, the rest is the server's stream.
  const uint8_t control = data[0];
  auto vio = std::make_unique<TMemoryVio>(std::vector<uint8_t>(data + 1, data + size));
  vio->ChunkLimit = 1 + (control >> 2);
  vio->Pause = false;
  TMySqlNet net;
  net.SetVio(std::move(vio));
  net.SetCompress(control & 1);
  net.SetMaxAllowedPacket(1 << 20);  // keeps the fuzzer's memory small; the checks are the same
  net.NewCommand();
  for (int packet = 0; packet < 64; ++packet) {
    try {
      if (control & 2) {
        TBytes row;
        net.ReceiveBuffer(row);
        continue;
      }
      net.Receive();
      while (net.Position() < net.Length()) {
        switch (net.ReadByte() % 6) {
          case 0: net.ReadLengthCoded(); break;
          case 1: net.ReadString(); break;
          case 2: net.ReadUInt16(); break;
          case 3: net.ReadUInt32(); break;
          case 4: net.ReadUInt64(); break;
          case 5: {
            TBytes b(16);
            net.ReadBytes(b, 0, 16);
            break;
          }
        }
      }
    } catch (const EMySqlException& e) {
      // 2013 means the stream ended: nothing more to read.
      if (e.ErrorCode() == 2013) return 0;
    } catch (const ArgumentException&) {
    } catch (const EAssertionFailed&) {
      // An empty row packet is refused by an assertion.
    }
  }
  return 0;
}
