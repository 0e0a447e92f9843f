// The drop side: the reader of incoming data objects and the drop target.
#include <algorithm>
#include <cstring>

#include "controls/grid/asgdd.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/win/Clipboard.h"
#include "platform/win/DragFormats.h"
#include "platform/win/DropFiles.h"

namespace asgdd {

namespace {

// An enumerator of another program that never ends must not hang a drag.
constexpr int MaxSteps = 1024;

uint32_t GetLength(const std::string& bytes) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[i]);
  return value;
}

}  // namespace

// --- The reader ---

TEnumFormats::TEnumFormats(IDataObject* dataObject) : FDataObject(dataObject) {
  if (FDataObject) FDataObject->AddRef();
  if (FDataObject && FDataObject->EnumFormatEtc(DATADIR_GET, FEnum.Out()) != S_OK) FEnum.Reset();
  Reset();
}

TEnumFormats::~TEnumFormats() {
  FEnum.Reset();
  if (FDataObject) FDataObject->Release();
}

void TEnumFormats::Reset() {
  FValid = false;
  FSteps = 0;
  if (FEnum) FEnum->Reset();
}

bool TEnumFormats::Step() {
  ++FSteps;
  FValid = false;
  if (!FEnum || FSteps > MaxSteps) return false;
  uint32_t fetched = 0;
  FValid = FEnum->Next(1, &FCurrent, &fetched) == S_OK && fetched == 1;
  return FValid;
}

bool TEnumFormats::HasFormat(UINT format) {
  Reset();
  while (Step())
    if (FCurrent.cfFormat == format) return true;
  return false;
}

bool TEnumFormats::HasText() { return HasFormat(CF_TEXT) || HasFormat(CF_UNICODETEXT); }
bool TEnumFormats::HasRTF() { return HasFormat(CF_RTF()); }
bool TEnumFormats::HasColumn() { return HasFormat(CF_GRIDCOLUMN()); }
bool TEnumFormats::HasFiles() { return HasFormat(CF_HDROP); }
bool TEnumFormats::HasURL() { return HasFormat(CF_URL()); }
bool TEnumFormats::HasCells() { return HasFormat(CF_GRIDCELLS()); }

bool TEnumFormats::ReadCurrent(std::string& bytes) {
  return FValid && (FCurrent.tymed & TYMED_HGLOBAL) && ReadDataBlock(FDataObject, FCurrent, bytes);
}

bool TEnumFormats::ReadFormat(UINT format, std::string& bytes) {
  return HasFormat(format) && ReadCurrent(bytes);
}

String TEnumFormats::GetText() {
  std::string bytes;
  if (ReadFormat(CF_UNICODETEXT, bytes)) {
    String text(bytes.size() / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    text.resize(std::find(text.begin(), text.end(), u'\0') - text.begin());
    return text;
  }
  if (!ReadFormat(CF_TEXT, bytes)) return {};
  return UTF8ToString(std::string_view(bytes.data(), strnlen(bytes.data(), bytes.size())));
}

String TEnumFormats::GetRTF() {
  std::string bytes;
  if (!ReadFormat(CF_RTF(), bytes)) return {};
  return UTF8ToString(std::string_view(bytes.data(), strnlen(bytes.data(), bytes.size())));
}

int TEnumFormats::GetColumn() {
  std::string bytes;
  if (!ReadFormat(CF_GRIDCOLUMN(), bytes) || bytes.size() < 4) return -1;
  return static_cast<int32_t>(GetLength(bytes));
}

std::unique_ptr<TMemoryStream> TEnumFormats::GetCells() {
  std::string bytes;
  if (!ReadFormat(CF_GRIDCELLS(), bytes) || bytes.size() < 4) return nullptr;
  uint32_t length = GetLength(bytes);
  if (length > bytes.size() - 4) return nullptr;
  auto stream = std::make_unique<TMemoryStream>();
  if (length) stream->WriteBuffer(bytes.data() + 4, static_cast<int32_t>(length));
  stream->SetPosition(0);
  return stream;
}

bool TEnumFormats::GetFiles() {
  FFiles.Clear();
  std::string bytes;
  if (!FValid || FCurrent.cfFormat != CF_HDROP) {
    if (!HasFiles()) return false;
  }
  if (!ReadCurrent(bytes)) return false;
  for (const String& name : ReadDropFiles(bytes.data(), bytes.size())) FFiles.Add(name);
  return FFiles.Count() > 0;
}

// --- The drop target ---

HRESULT TASGDropTarget::DragEnter(IDataObject* data, DWORD keyState, TPoint, DWORD* effect) {
  TEnumFormats reader(data);
  bool text = reader.HasText();
  bool files = reader.HasFiles();
  bool rtf = reader.HasRTF();
  bool column = reader.HasColumn();
  bool url = reader.HasURL();
  bool cells = reader.HasCells();
  Ok = (text && AcceptText) || (files && AcceptFiles) || (rtf && DragDropRTF() && AcceptText) ||
       (column && AcceptColumns) || (url && AcceptURLs) || cells;
  Formats = (text ? dfText : 0) | (files ? dfFiles : 0) | (column ? dfColumn : 0) |
            (rtf ? dfRTF : 0) | (url ? dfURL : 0) | (cells ? dfCells : 0);
  if (effect) *effect = Ok ? ChooseEffect(keyState, *effect) : DROPEFFECT_NONE;
  DragMouseEnter();
  return S_OK;
}

HRESULT TASGDropTarget::DragOver(DWORD keyState, TPoint pt, DWORD* effect) {
  DWORD chosen = Ok && effect ? ChooseEffect(keyState, *effect) : DROPEFFECT_NONE;
  bool allow = chosen != DROPEFFECT_NONE;
  DragMouseMove(pt, allow, Formats);
  if (!allow) chosen = DROPEFFECT_NONE;
  if (effect) *effect = chosen;
  return S_OK;
}

HRESULT TASGDropTarget::DragLeave() {
  DragMouseLeave();
  return S_OK;
}

HRESULT TASGDropTarget::Drop(IDataObject* data, DWORD keyState, TPoint pt, DWORD* effect) {
  if (!Ok) {
    if (effect) *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  TEnumFormats reader(data);
  if (reader.HasColumn()) {
    // A column drag delivers the column and nothing else; a block too short to hold one
    // delivers nothing.
    int column = reader.GetColumn();
    if (column != -1) DropColumn(pt, column);
  } else {
    std::unique_ptr<TMemoryStream> cells = reader.HasCells() ? reader.GetCells() : nullptr;
    if (cells)
      DropCells(pt, std::move(cells));
    else if (reader.HasRTF() && DragDropRTF())
      DropRTF(pt, reader.GetRTF());
    else if (reader.HasText())
      DropText(pt, reader.GetText());
    if (reader.HasFiles() && reader.GetFiles()) DropFiles(pt, reader.Files());
    if (reader.HasURL()) DropURL(pt, reader.GetText());
  }
  if (effect) *effect = ChooseEffect(keyState, *effect);
  return S_OK;
}

void TASGDropTarget::DropText(TPoint, const String&) {}
void TASGDropTarget::DropCells(TPoint, std::unique_ptr<TMemoryStream>) {}
void TASGDropTarget::DropColumn(TPoint, int) {}
void TASGDropTarget::DropRTF(TPoint, const String&) {}
void TASGDropTarget::DropFiles(TPoint, TStringList*) {}
void TASGDropTarget::DropURL(TPoint, const String&) {}
void TASGDropTarget::DragMouseMove(TPoint, bool&, TDragFormats) {}
void TASGDropTarget::DragMouseEnter() {}
void TASGDropTarget::DragMouseLeave() {}

}  // namespace asgdd
