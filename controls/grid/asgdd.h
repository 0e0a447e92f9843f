// Drag and drop of the string grid with other windows and programs: a drop target that reads
// text, RTF, file lists, URLs, a grid column and the grid's cell stream from a dropped data
// object and hands each to a hook; a drop source with hooks; the data object and format
// enumerator of a dragged text (with its RTF form and an optional cell stream) or column; a
// reader of incoming data objects; and the two drag starts. The grid derives its own target and
// source from these classes.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Types.h"
#include "platform/win/DragDrop.h"
#include "platform/win/ForeignDrag.h"

namespace asgdd {

// The formats a drag carries, as bits of TASGDropTarget::Formats.
using TDragFormats = uint32_t;
inline constexpr TDragFormats dfText = 1;
inline constexpr TDragFormats dfFiles = 2;
inline constexpr TDragFormats dfColumn = 4;
inline constexpr TDragFormats dfRTF = 8;
inline constexpr TDragFormats dfURL = 16;
inline constexpr TDragFormats dfCells = 32;

// The registered formats, registered on first use (never 0).
UINT CF_RTF();
UINT CF_GRIDCOLUMN();
UINT CF_GRIDCELLS();
UINT CF_URL();

// The process-wide RTF switch, off at start: while off, RTF is neither offered by a dragged text
// nor taken by a drop target.
void SetDragDropRTF(bool value);
bool DragDropRTF();

// The effect a target takes: copy with Ctrl held; otherwise move when allowed, else copy.
DWORD ChooseEffect(DWORD keyState, DWORD allowed);

// Reads an incoming data object for one drag-enter or drop call. Everything in it came from
// another window or program and is not trusted: sizes come from the blocks, and what is missing,
// short or inconsistent reads as absent (-1, nullptr, an empty string or list). A data object
// that cannot enumerate its formats reads as carrying nothing.
class TEnumFormats {
 public:
  explicit TEnumFormats(IDataObject* dataObject);
  ~TEnumFormats();
  TEnumFormats(const TEnumFormats&) = delete;
  TEnumFormats& operator=(const TEnumFormats&) = delete;

  bool HasText();
  bool HasRTF();
  bool HasColumn();
  bool HasFiles();
  bool HasURL();
  bool HasCells();
  // The text: CF_UNICODETEXT when offered, else CF_TEXT (UTF-8); empty when absent.
  String GetText();
  String GetRTF();
  // The dragged column; -1 when absent or its block is shorter than 4 bytes.
  int GetColumn();
  // A new stream of the cell bytes; nullptr when absent or the length field exceeds the block.
  std::unique_ptr<TMemoryStream> GetCells();
  // After HasFiles: the names into Files (cleared first); true when there are any.
  bool GetFiles();
  TStringList* Files() { return &FFiles; }

 private:
  void Reset();
  bool Step();
  bool HasFormat(UINT format);
  // The current entry's block as bytes; false when there is none.
  bool ReadCurrent(std::string& bytes);
  bool ReadFormat(UINT format, std::string& bytes);

  IDataObject* FDataObject;
  TDragRef<IEnumFORMATETC> FEnum;
  FORMATETC FCurrent;
  bool FValid = false;
  int FSteps = 0;
  TStringList FFiles;
};

class TASGDropTarget : public TInterfacedObject<IDropTarget> {
 public:
  TASGDropTarget() = default;

  HRESULT DragEnter(IDataObject* data, DWORD keyState, TPoint pt, DWORD* effect) override;
  HRESULT DragOver(DWORD keyState, TPoint pt, DWORD* effect) override;
  HRESULT DragLeave() override;
  HRESULT Drop(IDataObject* data, DWORD keyState, TPoint pt, DWORD* effect) override;

  bool AcceptText = true;
  bool AcceptFiles = true;
  bool AcceptColumns = false;
  bool AcceptURLs = true;
  // Whether the current drag is acceptable, and what it carries; set at drag enter.
  bool Ok = false;
  TDragFormats Formats = 0;

 protected:
  // Hooks, empty here; pt is the drag position in screen coordinates.
  virtual void DropText(TPoint pt, const String& text);
  // The stream is the hook's to keep.
  virtual void DropCells(TPoint pt, std::unique_ptr<TMemoryStream> stream);
  virtual void DropColumn(TPoint pt, int column);
  virtual void DropRTF(TPoint pt, const String& rtf);
  // The list is valid during the call.
  virtual void DropFiles(TPoint pt, TStringList* files);
  virtual void DropURL(TPoint pt, const String& url);
  virtual void DragMouseMove(TPoint pt, bool& allow, TDragFormats formats);
  virtual void DragMouseEnter();
  virtual void DragMouseLeave();
};

class TASGDropSource : public TInterfacedObject<IDropSource> {
 public:
  TASGDropSource() = default;
  HRESULT QueryContinueDrag(bool escapePressed, DWORD keyState) override;
  HRESULT GiveFeedback(DWORD effect) override;

  // The last feedback showed no drop effect.
  bool NoAccept = false;

 protected:
  virtual void DragFinished();
  virtual void FeedbackEffect(DWORD effect);
  virtual void QueryContinue();
};

// A dragged text (with its RTF form and an optional cell stream) or a dragged column.
class TSourceDataObject : public TInterfacedObject<IDataObject> {
 public:
  // The stream is not owned: it must outlive the drag.
  TSourceDataObject(const String& text, const String& rtf, int column, TMemoryStream* stream);

  HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT GetDataHere(const FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT QueryGetData(const FORMATETC* format) override;
  HRESULT GetCanonicalFormatEtc(const FORMATETC* format, FORMATETC* out) override;
  HRESULT SetData(const FORMATETC* format, STGMEDIUM* medium, bool release) override;
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;

  String Text;
  String RTF;
  int Column = -1;
  TMemoryStream* CellStream = nullptr;
};

// The formats of a dragged text or column: CF_TEXT, CF_UNICODETEXT, "Rich Text Format", then
// "Grid Column" and "TZozIvozedOrer Cells" when the drag has them.
class TSourceEnumFormatEtc : public TFormatEtcList {
 public:
  TSourceEnumFormatEtc(bool hasColumn, bool hasCells);
  const bool HasColumn;
  const bool HasCells;
};

// Run a drag of a text or a column until it ends; answer DRAGDROP_S_CANCEL when the last
// feedback showed no drop effect, else what DoDragDrop answered.
HRESULT StartTextDrag(TASGDropSource* source, const String& text, const String& rtf,
                      TMemoryStream* stream, DWORD okEffects, DWORD& effect);
HRESULT StartColumnDrag(TASGDropSource* source, int column, DWORD okEffects, DWORD& effect);

}  // namespace asgdd
