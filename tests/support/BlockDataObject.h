// A hand-built data object, as another window or program might offer one: chosen blocks by
// format, with any bytes at all (short, unterminated, lying length fields). Header-only, for the
// test programs and fuzz targets that link the window layer.
#pragma once

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/win/ForeignDrag.h"

namespace testsupport {

class TBlockDataObject : public TInterfacedObject<IDataObject> {
 public:
  // Offers a block of the format; tymed is what the enumerator lists for it.
  void Offer(UINT format, std::string bytes, DWORD tymed = TYMED_HGLOBAL) {
    FBlocks.push_back({format, std::move(bytes), tymed});
  }
  // Its enumerator cannot be had.
  bool CannotEnumerate = false;
  // The formats GetData was asked for, in order.
  std::vector<UINT> Asked;

  HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override {
    *medium = STGMEDIUM{};
    Asked.push_back(format->cfFormat);
    for (const TBlock& block : FBlocks)
      if (block.Format == format->cfFormat && (format->tymed & TYMED_HGLOBAL)) {
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = GlobalFromBytes(block.Bytes.data(), block.Bytes.size());
        return S_OK;
      }
    return DV_E_FORMATETC;
  }
  HRESULT QueryGetData(const FORMATETC* format) override {
    for (const TBlock& block : FBlocks)
      if (block.Format == format->cfFormat) return S_OK;
    return DV_E_FORMATETC;
  }
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    *out = nullptr;
    if (CannotEnumerate || direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> list;
    for (const TBlock& block : FBlocks) {
      FORMATETC entry;
      entry.cfFormat = block.Format;
      entry.tymed = block.Tymed;
      list.push_back(entry);
    }
    *out = new TFormatEtcList(std::move(list));
    return S_OK;
  }

 private:
  struct TBlock {
    UINT Format;
    std::string Bytes;
    DWORD Tymed;
  };
  std::vector<TBlock> FBlocks;
};

// Bytes of a UTF-16 text with its terminator.
inline std::string Utf16Bytes(const String& text) {
  return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
}

// A 32-bit little-endian number followed by bytes.
inline std::string Counted(uint32_t length, const std::string& bytes) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(length >> (8 * i));
  return out + bytes;
}

}  // namespace testsupport
