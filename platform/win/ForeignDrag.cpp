#include "platform/win/ForeignDrag.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/UnicodeText.h"
#include "platform/win/Clipboard.h"
#include "platform/win/DragFormats.h"
#include "platform/win/DropFiles.h"
#include "platform/win/WindowSystem.h"

HRESULT TFormatEtcList::Next(uint32_t count, FORMATETC* out, uint32_t* fetched) {
  uint32_t copied = 0;
  while (copied < count && FPosition < FFormats.size()) out[copied++] = FFormats[FPosition++];
  if (fetched) *fetched = copied;
  return copied == count ? S_OK : S_FALSE;
}

HRESULT TFormatEtcList::Skip(uint32_t count) {
  size_t left = FFormats.size() - FPosition;
  FPosition += std::min<size_t>(count, left);
  return count <= left ? S_OK : S_FALSE;
}

HRESULT TFormatEtcList::Reset() {
  FPosition = 0;
  return S_OK;
}

HRESULT TFormatEtcList::Clone(IEnumFORMATETC** out) {
  if (!out) return E_INVALIDARG;
  *out = new TFormatEtcList(FFormats, FPosition);
  return S_OK;
}

TForeignDataObject::TForeignDataObject(std::vector<std::string> targets, TForeignFetch fetch)
    : FTargets(std::move(targets)), FFetch(std::move(fetch)) {}

bool TForeignDataObject::Offers(const std::string& target) const {
  return std::find(FTargets.begin(), FTargets.end(), target) != FTargets.end();
}

bool TForeignDataObject::Fetch(const std::string& target, std::string& bytes) {
  if (!Offers(target) || !FFetch) return false;
  auto known = FAnswered.find(target);
  if (known == FAnswered.end()) {
    std::string fetched;
    bool ok = FFetch(target, fetched) && fetched.size() <= MaxForeignTransfer;
    known = FAnswered.emplace(target, ok).first;
    if (ok) FFetched[target] = std::move(fetched);
  }
  if (!known->second) return false;
  bytes = FFetched[target];
  return true;
}

bool TForeignDataObject::Text(std::string& utf8) {
  for (const std::string& target : ForeignTextTargets())
    if (Fetch(target, utf8)) {
      utf8.resize(std::min(utf8.size(), utf8.find('\0')));
      return true;
    }
  std::string list;
  if (!Fetch(TargetUriList, list)) return false;
  TUriList uris = ParseUriList(list);
  if (uris.Urls.empty()) return false;
  utf8 = UTF8Encode(uris.Urls.front());
  return true;
}

const std::vector<UINT>& TForeignDataObject::Formats() {
  if (FFormatsKnown) return FFormats;
  FFormatsKnown = true;
  auto add = [&](UINT format) {
    if (format && std::find(FFormats.begin(), FFormats.end(), format) == FFormats.end())
      FFormats.push_back(format);
  };
  bool text = std::any_of(ForeignTextTargets().begin(), ForeignTextTargets().end(),
                          [&](const std::string& t) { return Offers(t); });
  if (text) {
    add(CF_UNICODETEXT);
    add(CF_TEXT);
  }
  std::string list;
  if (Fetch(TargetUriList, list)) {
    TUriList uris = ParseUriList(list);
    if (!uris.Files.empty()) add(CF_HDROP);
    if (!uris.Urls.empty()) {
      add(RegisterClipboardFormat(CFSTR_URL));
      add(CF_UNICODETEXT);
      add(CF_TEXT);
    }
  }
  for (const std::string& target : FTargets) {
    if (target == TargetRtf)
      add(RegisterClipboardFormat(CFSTR_RTF));
    else
      add(FormatOfNamedTarget(target));
  }
  return FFormats;
}

HRESULT TForeignDataObject::QueryGetData(const FORMATETC* format) {
  if (!format || !(format->tymed & TYMED_HGLOBAL) || format->dwAspect != DVASPECT_CONTENT)
    return DV_E_FORMATETC;
  const auto& formats = Formats();
  return std::find(formats.begin(), formats.end(), format->cfFormat) != formats.end()
             ? S_OK
             : DV_E_FORMATETC;
}

HRESULT TForeignDataObject::GetData(const FORMATETC* format, STGMEDIUM* medium) {
  if (!medium) return E_INVALIDARG;
  *medium = STGMEDIUM{};
  if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
  UINT cf = format->cfFormat;
  HGLOBAL block = nullptr;
  std::string bytes;
  if (cf == CF_UNICODETEXT || cf == CF_TEXT) {
    if (!Text(bytes)) return DV_E_FORMATETC;
    if (cf == CF_TEXT) {
      block = GlobalFromBytes(bytes.c_str(), bytes.size() + 1);
    } else {
      String text = UTF8ToString(bytes);
      block = GlobalFromBytes(text.c_str(), (text.size() + 1) * sizeof(char16_t));
    }
  } else if (cf == CF_HDROP || cf == FindClipboardFormat(CFSTR_URL)) {
    if (!Fetch(TargetUriList, bytes)) return DV_E_FORMATETC;
    TUriList uris = ParseUriList(bytes);
    if (cf == CF_HDROP) {
      block = uris.Files.empty() ? nullptr : MakeDropFiles(uris.Files);
    } else if (!uris.Urls.empty()) {
      AnsiString url = UTF8Encode(uris.Urls.front());
      block = GlobalFromBytes(url.c_str(), url.size() + 1);
    }
  } else if (cf == FindClipboardFormat(CFSTR_RTF)) {
    if (!Fetch(TargetRtf, bytes)) return DV_E_FORMATETC;
    bytes.resize(std::min(bytes.size(), bytes.find('\0')));
    block = GlobalFromBytes(bytes.c_str(), bytes.size() + 1);
  } else {
    std::vector<std::string> names = ForeignTargetsOf(cf);
    if (names.empty() || !Fetch(names.front(), bytes)) return DV_E_FORMATETC;
    block = GlobalFromBytes(bytes.data(), bytes.size());
  }
  if (!block) return DV_E_FORMATETC;
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = block;
  return S_OK;
}

HRESULT TForeignDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  std::vector<FORMATETC> list;
  for (UINT format : Formats()) {
    FORMATETC entry;
    entry.cfFormat = format;
    list.push_back(entry);
  }
  *out = new TFormatEtcList(std::move(list));
  return S_OK;
}

TIncomingDrag::TIncomingDrag(IDataObject* data) : FData(data) { FData->AddRef(); }

TIncomingDrag::~TIncomingDrag() {
  Leave();
  FData->Release();
}

DWORD TIncomingDrag::Over(TPoint screen, DWORD keys, DWORD offered) {
  FPos = screen;
  IDropTarget* target = DropTargetAt(screen);
  DWORD effect = offered;
  if (target != FTarget) {
    Leave();
    if (!target) return DROPEFFECT_NONE;
    FTarget = target;
    FTarget->AddRef();
    FTarget->DragEnter(FData, keys, screen, &effect);
  } else if (FTarget) {
    FTarget->DragOver(keys, screen, &effect);
  } else {
    return DROPEFFECT_NONE;
  }
  FEffect = effect & offered;
  return FEffect;
}

void TIncomingDrag::Leave() {
  if (!FTarget) return;
  IDropTarget* target = FTarget;
  FTarget = nullptr;
  FEffect = DROPEFFECT_NONE;
  target->DragLeave();
  target->Release();
}

DWORD TIncomingDrag::Drop(DWORD keys, DWORD offered) {
  if (!FTarget || (FEffect & ~DROPEFFECT_SCROLL) == DROPEFFECT_NONE) {
    Leave();
    return DROPEFFECT_NONE;
  }
  IDropTarget* target = FTarget;
  FTarget = nullptr;
  DWORD effect = offered;
  target->Drop(FData, keys, FPos, &effect);
  target->Release();
  return effect & offered;
}
