#include "controls/grid/GridLists.h"

#include <vector>

#include "platform/gdi/Canvas.h"
#include "platform/gdi/Graphic.h"
#include "platform/rtl/NumberText.h"

namespace AdvUtil {

namespace {
void* Slot(int value) { return reinterpret_cast<void*>(static_cast<intptr_t>(value)); }
}  // namespace

void TIntList::Changed() {
  if (OnChange) OnChange(this, FCol, FRow);
}

void TIntList::SetInteger(int index, int value) {
  Put(index, Slot(value));
  Changed();
}

int TIntList::Add(int value) {
  int index = TList::Add(Slot(value));
  Changed();
  return index;
}

void TIntList::Insert(int index, int value) { TList::Insert(index, Slot(value)); }

void TIntList::Delete(int index) {
  TList::Delete(index);
  Changed();
}

int TIntList::IndexOfValue(int value) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i) == value) return i;
  return -1;
}

void TIntList::DeleteValue(int value) {
  int index = IndexOfValue(value);
  if (index >= 0) Delete(index);
}

bool TIntList::HasValue(int value) const { return IndexOfValue(value) >= 0; }

String TIntList::GetCommaText() const {
  String text;
  for (int i = 0; i < Count(); ++i) {
    if (i > 0) text += u',';
    text += IntToStr(Items(i));
  }
  return text;
}

void TIntList::SetCommaText(const String& text) {
  TStringList parts;
  parts.SetCommaText(text);
  // Every part is converted before the list changes, so a bad part loses nothing.
  std::vector<int> values;
  values.reserve(static_cast<size_t>(parts.Count()));
  for (int i = 0; i < parts.Count(); ++i) values.push_back(StrToInt(parts.Strings(i)));
  TList::Clear();
  for (int value : values) Add(value);
}

void TSortIndexList::AddIndex(int ACol, bool ascending) {
  uint32_t entry = static_cast<uint32_t>(ACol) & ~DescendingBit;
  if (!ascending) entry |= DescendingBit;
  Add(static_cast<int>(entry));
}

int TSortIndexList::FindIndex(int ACol) const {
  for (int i = 0; i < Count(); ++i)
    if (GetSortColumn(i) == ACol) return i;
  return -1;
}

int TSortIndexList::GetSortColumn(int index) const {
  return static_cast<int>(static_cast<uint32_t>(Items(index)) & ~DescendingBit);
}

bool TSortIndexList::IsAscending(int index) const {
  return (static_cast<uint32_t>(Items(index)) & DescendingBit) == 0;
}

void TSortIndexList::ToggleDirection(int ACol) {
  int index = FindIndex(ACol);
  if (index < 0) return;
  SetInteger(index, static_cast<int>(static_cast<uint32_t>(Items(index)) ^ DescendingBit));
}

TControlList::~TControlList() { Clear(); }

void TControlList::AddControl(int ACol, int ARow, TControl* AControl) {
  TList::Add(new TControlItem(ACol, ARow, AControl));
}

void TControlList::Clear() {
  for (int i = 0; i < Count(); ++i) delete GetItem(i);
  TList::Clear();
}

void TFilePicture::SetFilename(const String& value) {
  FFilename = value;
  TPicture picture;
  picture.LoadFromFile(value);
  FWidth = picture.Width();
  FHeight = picture.Height();
}

void TFilePicture::Draw(TCanvas* canvas, const TRect& rect) {
  if (FFilename.empty()) return;
  TPicture picture;
  picture.LoadFromFile(FFilename);
  canvas->StretchDraw(rect, picture.Graphic());
}

void TFilePicture::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TFilePicture*>(source)) {
    FFilename = other->FFilename;
    FWidth = other->FWidth;
    FHeight = other->FHeight;
    return;
  }
  TPersistent::Assign(source);
}

}  // namespace AdvUtil
