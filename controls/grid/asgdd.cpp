// The drag side: formats, the drop source, the data object and its enumerator, the drag starts.
#include "controls/grid/asgdd.h"

#include <cstring>

#include "platform/rtl/UnicodeText.h"
#include "platform/ui/ControlTypes.h"
#include "platform/win/Clipboard.h"
#include "platform/win/DragFormats.h"

namespace asgdd {

namespace {

bool gDragDropRTF = false;

void PutLength(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

UINT CF_RTF() { return RegisterClipboardFormat(CFSTR_RTF); }
UINT CF_GRIDCOLUMN() { return RegisterClipboardFormat(u"Grid Column"); }
UINT CF_GRIDCELLS() { return RegisterClipboardFormat(u"TZozIvozedOrer Cells"); }
UINT CF_URL() { return RegisterClipboardFormat(CFSTR_URL); }

void SetDragDropRTF(bool value) { gDragDropRTF = value; }
bool DragDropRTF() { return gDragDropRTF; }

DWORD ChooseEffect(DWORD keyState, DWORD allowed) {
  if (KeysToShiftState(static_cast<WORD>(keyState)).Contains(ssCtrl)) return DROPEFFECT_COPY;
  return (allowed & DROPEFFECT_MOVE) ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
}

// --- The drop source ---

HRESULT TASGDropSource::QueryContinueDrag(bool escapePressed, DWORD keyState) {
  HRESULT answer = S_OK;
  if (escapePressed) {
    DragFinished();
    answer = DRAGDROP_S_CANCEL;
  } else if (!(keyState & MK_LBUTTON)) {
    DragFinished();
    answer = DRAGDROP_S_DROP;
  }
  QueryContinue();
  return answer;
}

HRESULT TASGDropSource::GiveFeedback(DWORD effect) {
  NoAccept = effect == DROPEFFECT_NONE;
  FeedbackEffect(effect);
  return DRAGDROP_S_USEDEFAULTCURSORS;
}

void TASGDropSource::DragFinished() {}
void TASGDropSource::FeedbackEffect(DWORD) {}
void TASGDropSource::QueryContinue() {}

// --- The data object ---

TSourceEnumFormatEtc::TSourceEnumFormatEtc(bool hasColumn, bool hasCells)
    : TFormatEtcList({}), HasColumn(hasColumn), HasCells(hasCells) {
  std::vector<UINT> formats{CF_TEXT, CF_UNICODETEXT, CF_RTF()};
  if (hasColumn) formats.push_back(CF_GRIDCOLUMN());
  if (hasCells) formats.push_back(CF_GRIDCELLS());
  for (UINT format : formats) {
    FORMATETC entry;
    entry.cfFormat = format;
    FFormats.push_back(entry);
  }
}

TSourceDataObject::TSourceDataObject(const String& text, const String& rtf, int column,
                                     TMemoryStream* stream)
    : Text(text), RTF(rtf), Column(column), CellStream(stream) {}

HRESULT TSourceDataObject::QueryGetData(const FORMATETC* format) {
  if (!format || format->dwAspect != DVASPECT_CONTENT || format->tymed != TYMED_HGLOBAL)
    return DV_E_FORMATETC;
  UINT cf = format->cfFormat;
  if (cf == CF_TEXT || cf == CF_UNICODETEXT || (cf == CF_RTF() && DragDropRTF()))
    return Text.empty() ? DV_E_FORMATETC : S_OK;
  if (cf == CF_GRIDCELLS()) return CellStream ? S_OK : DV_E_FORMATETC;
  if (cf == CF_GRIDCOLUMN()) return Column != -1 ? S_OK : DV_E_FORMATETC;
  return DV_E_FORMATETC;
}

HRESULT TSourceDataObject::GetData(const FORMATETC* format, STGMEDIUM* medium) {
  if (!medium) return E_INVALIDARG;
  *medium = STGMEDIUM{};
  if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
  UINT cf = format->cfFormat;
  HGLOBAL block = nullptr;
  if (cf == CF_TEXT || cf == CF_RTF()) {
    // The code page is UTF-8: a Cyrillic text keeps every letter.
    AnsiString bytes = UTF8Encode(cf == CF_TEXT ? Text : RTF);
    block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size() + 1);
    if (block) std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
  } else if (cf == CF_UNICODETEXT) {
    block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 2 * Text.size() + 2);
    if (block) std::memcpy(GlobalLock(block), Text.data(), 2 * Text.size());
  } else if (cf == CF_GRIDCELLS()) {
    int64_t size = CellStream->Size();
    if (size < 0 || size > UINT32_MAX) return DV_E_FORMATETC;
    block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<size_t>(size) + 4);
    if (block) {
      auto* bytes = static_cast<uint8_t*>(GlobalLock(block));
      PutLength(bytes, static_cast<uint32_t>(size));
      if (size) std::memcpy(bytes + 4, CellStream->Memory(), static_cast<size_t>(size));
    }
  } else if (cf == CF_GRIDCOLUMN()) {
    block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4);
    if (block) PutLength(static_cast<uint8_t*>(GlobalLock(block)), static_cast<uint32_t>(Column));
  }
  if (!block) return DV_E_FORMATETC;
  GlobalUnlock(block);
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = block;
  return S_OK;
}

HRESULT TSourceDataObject::GetDataHere(const FORMATETC*, STGMEDIUM*) { return DV_E_FORMATETC; }

HRESULT TSourceDataObject::GetCanonicalFormatEtc(const FORMATETC*, FORMATETC* out) {
  if (out) out->ptd = nullptr;
  return E_NOTIMPL;
}

HRESULT TSourceDataObject::SetData(const FORMATETC*, STGMEDIUM*, bool) { return DV_E_FORMATETC; }

HRESULT TSourceDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  *out = new TSourceEnumFormatEtc(Column != -1, CellStream != nullptr);
  return S_OK;
}

// --- The drag starts ---

namespace {

HRESULT RunDrag(TASGDropSource* source, TSourceDataObject* data, DWORD okEffects, DWORD& effect) {
  TDragRef<IDataObject> hold(data);
  HRESULT answer = DoDragDrop(data, source, okEffects, &effect);
  return source->NoAccept ? DRAGDROP_S_CANCEL : answer;
}

}  // namespace

HRESULT StartTextDrag(TASGDropSource* source, const String& text, const String& rtf,
                      TMemoryStream* stream, DWORD okEffects, DWORD& effect) {
  return RunDrag(source, new TSourceDataObject(text, rtf, -1, stream), okEffects, effect);
}

HRESULT StartColumnDrag(TASGDropSource* source, int column, DWORD okEffects, DWORD& effect) {
  return RunDrag(source, new TSourceDataObject(u"", u"", column, nullptr), okEffects, effect);
}

}  // namespace asgdd
