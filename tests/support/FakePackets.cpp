#include "tests/support/FakePackets.h"

#include <zlib.h>

#include <stdexcept>

namespace fake {

namespace {

void Put(Bytes& out, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

Bytes LengthCoded(uint64_t value) {
  Bytes out;
  if (value <= 250) {
    Put(out, value, 1);
  } else if (value <= 0xFFFF) {
    out.push_back(252);
    Put(out, value, 2);
  } else if (value <= 0xFFFFFF) {
    out.push_back(253);
    Put(out, value, 3);
  } else {
    out.push_back(254);
    Put(out, value, 8);
  }
  return out;
}

Bytes Greeting(const GreetingOptions& o) {
  if (o.Scramble.size() < 20) throw std::invalid_argument("fake::Greeting: scramble of 20 bytes");
  Bytes out;
  out.push_back(o.Protocol);
  out.insert(out.end(), o.Version.begin(), o.Version.end());
  out.push_back(0);
  Put(out, o.ThreadId, 4);
  out.insert(out.end(), o.Scramble.begin(), o.Scramble.begin() + 8);
  if (o.Form == GreetingOptions::Shape::EndsAfterScramble) return out;
  out.push_back(0);  // filler
  Put(out, o.Capabilities, 2);
  out.push_back(o.Language);
  Put(out, o.Status, 2);
  out.insert(out.end(), 13, 0);
  if (o.Form == GreetingOptions::Shape::NoSecondScramble) return out;
  out.insert(out.end(), o.Scramble.begin() + 8, o.Scramble.begin() + 20);
  out.push_back(0);
  return out;
}

Bytes OkPayload(uint64_t affectedRows, uint64_t insertId, uint16_t status, uint16_t warnings) {
  Bytes out{0x00};
  Bytes a = LengthCoded(affectedRows), i = LengthCoded(insertId);
  out.insert(out.end(), a.begin(), a.end());
  out.insert(out.end(), i.begin(), i.end());
  Put(out, status, 2);
  Put(out, warnings, 2);
  return out;
}

Bytes ErrPayload(uint16_t number, const std::string& state, const std::string& text) {
  Bytes out{0xFF};
  Put(out, number, 2);
  out.push_back('#');
  out.insert(out.end(), state.begin(), state.end());
  out.insert(out.end(), text.begin(), text.end());
  return out;
}

Bytes Frame(uint8_t sequence, const Bytes& data, bool deflate) {
  Bytes body = data;
  uint32_t uncompressed = 0;
  if (deflate) {
    uLongf size = compressBound(data.size());
    body.assign(size, 0);
    if (compress(body.data(), &size, data.data(), data.size()) != Z_OK)
      throw std::runtime_error("fake::Frame: deflate failed");
    body.resize(size);
    uncompressed = static_cast<uint32_t>(data.size());
  }
  Bytes out;
  Put(out, body.size(), 3);
  out.push_back(sequence);
  Put(out, uncompressed, 3);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

}  // namespace fake
