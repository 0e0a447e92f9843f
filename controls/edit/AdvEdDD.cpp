// Drag and drop of text for the enhanced edit.
#include "controls/edit/AdvEdDD.h"

#include <cstring>

#include "platform/rtl/UnicodeText.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Messages.h"

namespace AdvEdDD {

bool AllowRichTextDrag = false;
UINT RichTextFormat = 0;

namespace {

bool FormatOffered(const FORMATETC* format) {
  if (!format || format->dwAspect != DVASPECT_CONTENT || !(format->tymed & TYMED_HGLOBAL))
    return false;
  if (format->cfFormat == CF_TEXT || format->cfFormat == CF_UNICODETEXT) return true;
  return AllowRichTextDrag && RichTextFormat != 0 && format->cfFormat == RichTextFormat;
}

String BlockText(HGLOBAL block, bool wide) {
  if (!block) return String();
  size_t size = GlobalSize(block);
  const auto* bytes = static_cast<const char*>(GlobalLock(block));
  String text;
  if (bytes && wide) {
    const auto* units = reinterpret_cast<const char16_t*>(bytes);
    size_t count = 0;
    while (count < size / 2 && units[count] != 0) ++count;
    text.assign(units, count);
  } else if (bytes) {
    text = UTF8ToString(std::string(bytes, strnlen(bytes, size)));
  }
  GlobalUnlock(block);
  return text;
}

}  // namespace

// --- Reading a dropped object --------------------------------------------------------------------

TEnumFormats::TEnumFormats(IDataObject* data) : FData(data) {
  RichTextFormat = RegisterClipboardFormat(u"Rich Text Format");
  if (FData) FData->AddRef();
  if (!FData || FData->EnumFormatEtc(DATADIR_GET, &FEnum) != S_OK) FEnum = nullptr;
  Reset();
}

TEnumFormats::~TEnumFormats() {
  if (FEnum) FEnum->Release();
  if (FData) FData->Release();
}

void TEnumFormats::Reset() {
  FValid = false;
  if (FEnum) FEnum->Reset();
}

bool TEnumFormats::HasFormat(UINT format) {
  Reset();
  if (!FEnum) return false;
  uint32_t fetched = 0;
  while (FEnum->Next(1, &FEntry, &fetched) == S_OK && fetched == 1) {
    FValid = true;
    if (FEntry.cfFormat == format) return true;
  }
  FValid = false;
  return false;
}

HGLOBAL TEnumFormats::Handle(UINT format) {
  if (!HasFormat(format) || !FValid || !(FEntry.tymed & TYMED_HGLOBAL)) return nullptr;
  FORMATETC asked = FEntry;
  asked.tymed = TYMED_HGLOBAL;
  STGMEDIUM medium;
  if (FData->GetData(&asked, &medium) != S_OK) return nullptr;
  return medium.hGlobal;
}

String TEnumFormats::Text() {
  bool wide = HasFormat(CF_UNICODETEXT);
  HGLOBAL block = Handle(wide ? CF_UNICODETEXT : CF_TEXT);
  String text = BlockText(block, wide);
  if (block) GlobalFree(block);
  return text;
}

String TEnumFormats::RichText() {
  HGLOBAL block = Handle(RichTextFormat);
  String text = BlockText(block, false);
  if (block) GlobalFree(block);
  return text;
}

bool TEnumFormats::Files(TStrings* names) {
  HGLOBAL block = Handle(CF_HDROP);
  if (!block) return false;
  // The file-drop block: the offset of its name list, a point, and whether names are wide.
  size_t size = GlobalSize(block);
  const auto* bytes = static_cast<const uint8_t*>(GlobalLock(block));
  bool found = false;
  if (bytes && size >= 20) {
    uint32_t offset = 0;
    int32_t wideFlag = 0;
    std::memcpy(&offset, bytes, 4);
    std::memcpy(&wideFlag, bytes + 16, 4);
    size_t at = offset;
    while (at < size) {
      String name;
      if (wideFlag) {
        while (at + 1 < size) {
          char16_t unit = static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8));
          at += 2;
          if (unit == 0) break;
          name += unit;
        }
      } else {
        size_t end = at;
        while (end < size && bytes[end] != 0) ++end;
        name = UTF8ToString(std::string(reinterpret_cast<const char*>(bytes + at), end - at));
        at = end + 1;
      }
      if (name.empty()) break;
      names->Add(name);
      found = true;
    }
  }
  GlobalUnlock(block);
  GlobalFree(block);
  return found;
}

// --- The drop target -----------------------------------------------------------------------------

DWORD EffectFor(DWORD keyState) {
  return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

HRESULT TAEDropTarget::DragEnter(IDataObject* data, DWORD keyState, TPoint, DWORD* effect) {
  TEnumFormats formats(data);
  FAcceptable = formats.HasText() || formats.HasFiles() ||
                (formats.HasRichText() && AllowRichTextDrag);
  if (effect) *effect = FAcceptable ? EffectFor(keyState) : DROPEFFECT_NONE;
  return S_OK;
}

HRESULT TAEDropTarget::DragOver(DWORD keyState, TPoint screen, DWORD* effect) {
  DWORD chosen = FAcceptable ? EffectFor(keyState) : DROPEFFECT_NONE;
  bool allow = true;
  if (FAcceptable) DragMouseMove(screen, allow);
  if (!allow) chosen = DROPEFFECT_NONE;
  if (effect) *effect = chosen;
  return S_OK;
}

HRESULT TAEDropTarget::Drop(IDataObject* data, DWORD keyState, TPoint screen, DWORD* effect) {
  if (!FAcceptable) {
    if (effect) *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  TEnumFormats formats(data);
  if (formats.HasRichText() && AllowRichTextDrag)
    DropRTF(screen, formats.RichText());
  else if (formats.HasText())
    DropText(screen, formats.Text());
  if (formats.HasFiles()) {
    TStringList names;
    if (formats.Files(&names)) DropFiles(screen, &names);
  }
  if (effect) *effect = EffectFor(keyState);
  return S_OK;
}

// --- The drop source -----------------------------------------------------------------------------

HRESULT TAEDropSource::QueryContinueDrag(bool escapePressed, DWORD keyState) {
  if (escapePressed) return DRAGDROP_S_CANCEL;
  if (!(keyState & MK_LBUTTON)) return DRAGDROP_S_DROP;
  return S_OK;
}

HRESULT TAEDropSource::GiveFeedback(DWORD effect) {
  FNoneEffect = effect == DROPEFFECT_NONE;
  return DRAGDROP_S_USEDEFAULTCURSORS;
}

// --- The data object -----------------------------------------------------------------------------

HRESULT TSourceDataObject::QueryGetData(const FORMATETC* format) {
  return FormatOffered(format) ? S_OK : DV_E_FORMATETC;
}

HRESULT TSourceDataObject::GetData(const FORMATETC* format, STGMEDIUM* medium) {
  if (!medium) return DV_E_FORMATETC;
  *medium = STGMEDIUM();
  if (!FormatOffered(format)) return DV_E_FORMATETC;
  HGLOBAL block = nullptr;
  if (format->cfFormat == CF_UNICODETEXT) {
    block = GlobalFromBytes(FText.c_str(), (FText.size() + 1) * sizeof(char16_t));
  } else {
    std::string bytes = UTF8Encode(format->cfFormat == CF_TEXT ? FText : FRichText);
    block = GlobalFromBytes(bytes.c_str(), bytes.size() + 1);
  }
  if (!block) return DV_E_FORMATETC;
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = block;
  return S_OK;
}

HRESULT TSourceDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (!out) return E_NOTIMPL;
  *out = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  *out = new TSourceEnumFormatEtc;
  return S_OK;
}

// --- The format list -----------------------------------------------------------------------------

HRESULT TSourceEnumFormatEtc::Next(uint32_t count, FORMATETC* out, uint32_t* fetched) {
  const UINT formats[3] = {CF_TEXT, CF_UNICODETEXT, RichTextFormat};
  uint32_t filled = 0;
  while (filled < count && FIndex < 3) {
    FORMATETC entry;
    entry.cfFormat = formats[FIndex];
    out[filled++] = entry;
    ++FIndex;
  }
  if (fetched) *fetched = filled;
  return filled == count ? S_OK : S_FALSE;
}

HRESULT TSourceEnumFormatEtc::Skip(uint32_t count) {
  FIndex += count;
  if (FIndex < 4) return S_OK;
  FIndex = 3;
  return S_FALSE;
}

HRESULT TSourceEnumFormatEtc::Clone(IEnumFORMATETC** out) {
  if (!out) return E_NOTIMPL;
  *out = new TSourceEnumFormatEtc;
  return S_OK;
}

HRESULT StartEditDrag(const String& text, const String& richText, DWORD allowed, DWORD& effect) {
  auto* source = new TAEDropSource;
  auto* data = new TSourceDataObject(text, richText);
  HRESULT result = DoDragDrop(data, source, allowed, &effect);
  if (source->LastEffectNone()) result = DRAGDROP_S_CANCEL;
  data->Release();
  source->Release();
  return result;
}

}  // namespace AdvEdDD
