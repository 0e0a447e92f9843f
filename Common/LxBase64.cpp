#include "Common/LxBase64.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

TBytes TBase64::Encode(const TBytes& data) { return Encode(data.data(), data.size()); }

TBytes TBase64::Encode(const uint8_t* data, size_t count) {
  TBytes out;
  out.reserve((count + 2) / 3 * 4);
  for (size_t i = 0; i < count; i += 3) {
    const size_t left = count - i;
    const uint32_t group = (uint32_t{data[i]} << 16) | (left > 1 ? uint32_t{data[i + 1]} << 8 : 0) |
                           (left > 2 ? uint32_t{data[i + 2]} : 0);
    out.push_back(static_cast<uint8_t>(kAlphabet[(group >> 18) & 63]));
    out.push_back(static_cast<uint8_t>(kAlphabet[(group >> 12) & 63]));
    out.push_back(static_cast<uint8_t>(left > 1 ? kAlphabet[(group >> 6) & 63] : '='));
    out.push_back(static_cast<uint8_t>(left > 2 ? kAlphabet[group & 63] : '='));
  }
  return out;
}

AnsiString TBase64::EncodeText(std::string_view data) {
  TBytes encoded = Encode(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  return AnsiString(encoded.begin(), encoded.end());
}
