// Small containers of the string grid and the data-bound grid: a list of integers that knows the
// cell it belongs to and reports its changes, the sort columns of a multi-column sort, the
// controls placed over cells, a picture shown from a file, and a string list read line by line.
#pragma once

#include <functional>

#include "platform/gdi/WinTypes.h"
#include "platform/rtl/List.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/StringList.h"

class TCanvas;
class TControl;

namespace AdvUtil {

using TIntListChangeEvent = std::function<void(TObject* sender, int ACol, int ARow)>;

// Integers kept in the list's slots. Add, Delete, DeleteValue and the item write report a change
// with the list's cell; Insert does not.
class TIntList : public TList {
 public:
  TIntList(int ACol, int ARow) : FCol(ACol), FRow(ARow) {}
  int Col() const { return FCol; }
  int Row() const { return FRow; }

  int Items(int index) const { return static_cast<int>(reinterpret_cast<intptr_t>(Get(index))); }
  void SetInteger(int index, int value);
  int Add(int value);
  void Insert(int index, int value);
  void Delete(int index);
  void DeleteValue(int value);
  bool HasValue(int value) const;
  // "1,-2,30"; empty for an empty list.
  String GetCommaText() const;
  // Replaces the list by the comma-text's numbers. A part that is not an integer raises
  // EConvertError and leaves the list as it was.
  void SetCommaText(const String& text);

  TIntListChangeEvent OnChange;

 private:
  int IndexOfValue(int value) const;
  void Changed();
  int FCol;
  int FRow;
};

// The columns of a multi-column sort in priority order; bit 31 of an entry marks a descending sort.
class TSortIndexList : public TIntList {
 public:
  static constexpr uint32_t DescendingBit = 0x80000000u;
  TSortIndexList() : TIntList(0, 0) {}
  void AddIndex(int ACol, bool ascending);
  // The position of the first entry of the column; -1 when it is not sorted on.
  int FindIndex(int ACol) const;
  int GetSortColumn(int index) const;
  bool IsAscending(int index) const;
  // Flips the direction of the column's first entry; nothing when it is not in the list.
  void ToggleDirection(int ACol);
};

// A control placed over a cell; the control is not owned.
class TControlItem : public TObject {
 public:
  TControlItem(int x, int y, TControl* control) : X(x), Y(y), Control(control) {}
  int X;
  int Y;
  TControl* Control;
};

// Owns its items, not their controls.
class TControlList : public TList {
 public:
  ~TControlList() override;
  void AddControl(int ACol, int ARow, TControl* AControl);
  TControlItem* GetItem(int index) const { return static_cast<TControlItem*>(Get(index)); }
  void Clear() override;
};

// A cell picture read from its file whenever it is drawn; only the size is kept.
class TFilePicture : public TPersistent {
 public:
  const String& Filename() const { return FFilename; }
  // Loads the file to learn its size; the loader's errors reach the caller.
  void SetFilename(const String& value);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void Draw(TCanvas* canvas, const TRect& rect);
  void Assign(TPersistent* source) override;

 private:
  String FFilename;
  int FWidth = 0;
  int FHeight = 0;
};

// A string list read line by line when a file is imported.
class TFileStringList : public TStringList {
 public:
  void Reset() { FReadPos = 0; }
  bool Eof() const { return FReadPos >= Count(); }
  // The caller tests Eof first.
  String ReadLine() { return Strings(FReadPos++); }

 private:
  int FReadPos = 0;
};

}  // namespace AdvUtil
