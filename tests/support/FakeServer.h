// A scripted fake server for protocol tests: what a real server never sends (old handshakes, broken
// lengths, wrong sequence numbers, a connection closed mid-packet, a server that stalls) is played
// from a script, and everything the client sends is recorded.
//
// The server listens on 127.0.0.1 on an ephemeral port (Port()) and runs on its own thread. It
// accepts one connection per script, in order, and plays the script's steps one after another.
// When a script ends the connection is closed, so a client still waiting for a reply sees the
// connection lost. Every read is bounded by the read limit (5 s unless set) and every stall ends
// when the server is stopped, so a test never hangs on the fake server; the destructor stops it.
//
//   fake::FakeServer server({fake::SendPacket(0, greeting), fake::ReadPacket(), fake::Close()});
//   ... connect a client to server.Port() ...
//   server.Wait();                     // the script has run to its end
//   server.Packets()[0]                // the payload of the first packet the client sent
//
// The steps know only bytes and the MySQL packet framing; tests/support/FakePackets.h builds the
// payloads (greetings, OK and error packets, compressed frames).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fake {

using Bytes = std::vector<uint8_t>;

// One packet the client sent, as a ReadPacket step saw it.
struct ClientPacket {
  uint8_t Sequence = 0;
  Bytes Payload;
};

// The accepted connection, as a step sees it.
class Connection {
 public:
  // Sends the bytes; false when the client has gone.
  bool Send(const Bytes& bytes);
  // Reads exactly count bytes; false when the client closed, the read limit passed or the server
  // was stopped before they came. What was read is recorded either way.
  bool ReadExact(size_t count, Bytes& out);
  // Reads one plain packet (4-byte header and payload) and records it in Packets().
  bool ReadPacket(ClientPacket& packet);
  // Reads until the client closes (or the read limit passes); true when it closed.
  bool ReadUntilClose();
  // Sleeps, ending early when the server is stopped.
  void Sleep(std::chrono::milliseconds time);
  // Closes the connection now; later sends and reads fail.
  void Close();

 private:
  friend class FakeServer;
  Connection(class FakeServer& server, int socket) : FServer(server), FSocket(socket) {}
  FakeServer& FServer;
  int FSocket;
};

// A step runs against the connection; returning false ends the script (as the client has gone).
struct Step {
  std::string Name;
  std::function<bool(Connection&)> Run;
};
using Script = std::vector<Step>;

// --- steps -------------------------------------------------------------------------------------
// Sends raw bytes as they are (a header of one's own, half a packet, garbage).
Step SendBytes(Bytes bytes);
// Sends one plain packet: 3-byte length, sequence number, payload.
Step SendPacket(uint8_t sequence, Bytes payload);
// Reads one plain packet from the client and records it.
Step ReadPacket();
// Reads exactly count raw bytes from the client (compressed frames, a TLS request) and records them.
Step ReadBytes(size_t count);
// Reads everything until the client closes the connection.
Step ReadUntilClose();
// Keeps the connection open and silent for the time (or until the server is stopped).
Step Stall(std::chrono::milliseconds time);
// Closes the connection at once; any steps after it fail.
Step Close();
// A step of the test's own.
Step Custom(std::string name, std::function<bool(Connection&)> run);

// --- byte helpers ------------------------------------------------------------------------------
// A plain packet's header and payload, ready for SendBytes.
Bytes Packet(uint8_t sequence, const Bytes& payload);
// A header that claims length bytes follow.
Bytes Header(uint32_t length, uint8_t sequence);
// Bytes from text (without a terminating zero).
Bytes B(const std::string& text);
// Concatenation.
Bytes Cat(std::initializer_list<Bytes> parts);

class FakeServer {
 public:
  // Serves one connection with the script.
  explicit FakeServer(Script script);
  // Serves one connection per script, in order.
  explicit FakeServer(std::vector<Script> scripts);
  ~FakeServer();
  FakeServer(const FakeServer&) = delete;
  FakeServer& operator=(const FakeServer&) = delete;

  uint16_t Port() const { return FPort; }
  // The longest a read waits for the client (default 5 s). Set it before a client connects.
  void SetReadLimit(std::chrono::milliseconds limit) { FReadLimit = limit; }

  // Waits until every script has run to its end (or the server was stopped).
  void Wait();
  // Ends stalls and reads at once, closes the connection and waits for the thread.
  void Stop();

  // What the client sent, after Wait(): every byte in order, and the packets ReadPacket saw.
  Bytes Received() const;
  std::vector<ClientPacket> Packets() const;
  // The steps that ran to completion, by name, and why a script ended early ("" when it did not).
  std::vector<std::string> StepsDone() const;
  std::string Failure() const;
  // How many connections were accepted.
  int Accepted() const;

 private:
  friend class Connection;
  void Run(std::vector<Script> scripts);
  bool Stopping() const;
  void Record(const uint8_t* data, size_t count);

  int FListener = -1;
  uint16_t FPort = 0;
  std::chrono::milliseconds FReadLimit{5000};
  std::thread FThread;

  mutable std::mutex FLock;
  std::condition_variable FWakeUp;
  bool FStopping = false;
  int FActiveSocket = -1;
  Bytes FReceived;
  std::vector<ClientPacket> FPackets;
  std::vector<std::string> FStepsDone;
  std::string FFailure;
  int FAccepted = 0;
};

}  // namespace fake
