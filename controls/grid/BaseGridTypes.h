// The grid's shared vocabulary: the enumerations and sets of the base grid, its settings objects
// and cell controls, and the event types with which the string grid and the data-bound grid
// publish their events. Every enumeration is one byte and numbers from 0 in the order given; the
// editor kinds are stored in cell properties and form files, so their ordinals never change.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/gdi/Colors.h"
#include "platform/gdi/WinTypes.h"
#include "platform/rtl/Alignment.h"
#include "platform/rtl/Sets.h"
#include "platform/rtl/Types.h"
#include "platform/ui/Grids.h"

class TObject;
class TCanvas;
class TBrush;
class TFont;
class TPen;
class TAdvHintInfo;
class TBaseGrid;

enum class TCellBorder : uint8_t { cbTop, cbLeft, cbRight, cbBottom };
using TCellBorders = TSet<TCellBorder, 8>;

enum class TCellGradientDirection : uint8_t { GradientVertical, GradientHorizontal };

enum class TVAlignment : uint8_t { vtaTop, vtaCenter, vtaBottom };

enum class TAdvGridButtonStyle : uint8_t { tasButton, tasCheck };

enum class TSearchDirection : uint8_t { sdTopBottom, sdLeftRight };

enum class THomeEndAction : uint8_t { heFirstLastColumn, heFirstLastRow, heFirstLastCell };

enum class TClipboardPasteAction : uint8_t { paReplace, paInsert };

enum class TAdvanceDirection : uint8_t {
  adLeftRight,
  adTopBottom,
  adLeftRightInRow,
  adTopBottomInCol
};

enum class TInsertPosition : uint8_t { pInsertBefore, pInsertAfter };

enum class TCursorAdvance : uint8_t { caDefault, caSnake, caLoop };

enum class TGridFixedCellEdit : uint8_t { fceNone, fceDblClick, fceLeftClick, fceRightClick };

enum class TGridFixedCellEditor : uint8_t { fceEdit, fceComboEdit, fceComboList };

enum class TWheelAction : uint8_t { waMoveSelection, waScroll };

enum class TWheelActive : uint8_t { waFocus, waMouseOver };

enum class THoverRowCell : uint8_t { hcNormal, hcFixed, hcSelected };
using THoverRowCells = TSet<THoverRowCell, 8>;

// How the string grid compares a column's cells when it sorts.
enum class TSortStyle : uint8_t {
  ssAutomatic,
  ssAlphabetic,
  ssNumeric,
  ssDate,
  ssAlphaNoCase,
  ssAlphaCase,
  ssShortDateEU,
  ssShortDateUS,
  ssCustom,
  ssFinancial,
  ssAnsiAlphaCase,
  ssAnsiAlphaNoCase,
  ssRaw,
  ssHTML,
  ssImages,
  ssCheckBox,
  ssUnicode,
  ssDateTime,
  ssTime,
  ssAlphaNumeric,
  ssAlphaNumericNoCase
};

// The editor kind of a cell. Stored: the ordinals are part of the file formats.
enum class TEditorType : uint8_t {
  edNormal,
  edSpinEdit,
  edComboEdit,
  edComboList,
  edEditBtn,
  edCheckBox,
  edDateEdit,
  edDateEditUpDown,
  edTimeEdit,
  edButton,
  edDataCheckBox,
  edNumeric,
  edPositiveNumeric,
  edFloat,
  edCapital,
  edMixedCase,
  edPassword,
  edUnitEditBtn,
  edLowerCase,
  edUpperCase,
  edFloatSpinEdit,
  edTimeSpinEdit,
  edDateSpinEdit,
  edNumericEditBtn,
  edFloatEditBtn,
  edCustom,
  edRichEdit,
  edNone,
  edUniEdit,
  edUniComboEdit,
  edUniComboList,
  edUniEditBtn,
  edUniMemo,
  edDateTimeEdit,
  edValidChars,
  edTrackbarDropDown,
  edMemoDropDown,
  edCalculatorDropDown,
  edTimePickerDropDown,
  edDetailDropDown,
  edGridDropDown,
  edColorPickerDropDown,
  edImagePickerDropDown,
  edAdvGridDropDown,
  edPositiveFloat,
  edNumericUnitEditBtn,
  edFloatUnitEditBtn,
  edMaskEditBtn
};

// Whether the string grid edits a kind in its own inplace text editor (every other kind but
// edNone gets a separate editor control over the cell).
inline bool IsInplaceEditorType(TEditorType editor) {
  switch (editor) {
    case TEditorType::edNormal:
    case TEditorType::edNumeric:
    case TEditorType::edPositiveNumeric:
    case TEditorType::edFloat:
    case TEditorType::edCapital:
    case TEditorType::edMixedCase:
    case TEditorType::edPassword:
    case TEditorType::edLowerCase:
    case TEditorType::edUpperCase:
    case TEditorType::edValidChars:
    case TEditorType::edPositiveFloat:
      return true;
    default:
      return false;
  }
}

// The floating-footer calculation kind of a column, kept in the footer row's cell; 0 is none.
// The string grid names the values.
using TFooterCalcKind = uint8_t;

// --- Event types. Several take the row before the column, as their handlers expect. ---

using TGetDisplTextEvent = std::function<void(TObject* sender, int ACol, int ARow, String& value)>;
using TGetDisplWideTextEvent =
    std::function<void(TObject* sender, int ACol, int ARow, String& value)>;
using TFloatFormatEvent = std::function<void(TObject* sender, int ACol, int ARow, bool& isFloat,
                                             String& floatFormat)>;
using TColumnSizeEvent = std::function<void(TObject* sender, int ACol, bool& allow)>;
using TColumnSizingEvent = std::function<void(TObject* sender, int ACol, int columnSize)>;
using TRowSizingEvent = std::function<void(TObject* sender, int ARow, int rowSize)>;
using TRowSizeEvent = std::function<void(TObject* sender, int ARow, bool& allow)>;
using TEndColumnSizeEvent = std::function<void(TObject* sender, int ACol)>;
using TUpdateColumnSizeEvent = std::function<void(TObject* sender, int ACol, int& AWidth)>;
using TEndRowSizeEvent = std::function<void(TObject* sender, int ARow)>;
using TClickCellEvent = std::function<void(TObject* sender, int ARow, int ACol)>;
using TDblClickCellEvent = std::function<void(TObject* sender, int ARow, int ACol)>;
using TCanEditCellEvent = std::function<void(TObject* sender, int ARow, int ACol, bool& canEdit)>;
using TScrollHintEvent = std::function<void(TObject* sender, int ARow, String& hintstr)>;
using TButtonClickEvent = std::function<void(TObject* sender, int ACol, int ARow)>;
using TExpandClickEvent = std::function<void(TObject* sender, int ACol, int ARow, bool expanded)>;
using TCheckBoxClickEvent = std::function<void(TObject* sender, int ACol, int ARow, bool state)>;
using TGetEditorTypeEvent =
    std::function<void(TObject* sender, int ACol, int ARow, TEditorType& AEditor)>;
using TCustomCellDrawEvent =
    std::function<void(TObject* sender, TCanvas* canvas, int ACol, int ARow,
                       TGridDrawState AState, TRect ARect, bool printing)>;
using TAnchorClickEvent = std::function<void(TObject* sender, int ARow, int ACol,
                                             const String& anchor, bool& autoHandle)>;
using TAnchorHintEvent = std::function<void(TObject* sender, int ARow, int ACol, String& anchor)>;
using TAnchorEvent =
    std::function<void(TObject* sender, int ARow, int ACol, const String& anchor)>;
using TClickSortEvent = std::function<void(TObject* sender, int ACol)>;
using TCanSortEvent = std::function<void(TObject* sender, int ACol, bool& doSort)>;
using TCustomCompareEvent =
    std::function<void(TObject* sender, const String& str1, const String& str2, int& res)>;
using TRawCompareEvent =
    std::function<void(TObject* sender, int ACol, int row1, int row2, int& res)>;
using TGridFormatEvent = std::function<void(TObject* sender, int ACol, TSortStyle& AStyle,
                                            String& aPrefix, String& aSuffix)>;
using TGridColorEvent = std::function<void(TObject* sender, int ARow, int ACol,
                                           TGridDrawState AState, TBrush* ABrush, TFont* AFont)>;
using TGridGradientEvent =
    std::function<void(TObject* sender, int ARow, int ACol, TColor& color, TColor& colorTo,
                       TColor& colorMirror, TColor& colorMirrorTo, TCellGradientDirection& GD)>;
using TGridBorderEvent = std::function<void(TObject* sender, int ARow, int ACol, TPen* APen,
                                            TCellBorders& borders)>;
using TGridBorderPropEvent =
    std::function<void(TObject* sender, int ARow, int ACol, TPen* leftPen, TPen* topPen,
                       TPen* rightPen, TPen* bottomPen)>;
using TGridAlignEvent = std::function<void(TObject* sender, int ARow, int ACol,
                                           TAlignment& HAlign, TVAlignment& VAlign)>;
using TGridHintEvent = std::function<void(TObject* sender, int ARow, int ACol, String& hintstr)>;
using TEllipsClickEvent = std::function<void(TObject* sender, int ACol, int ARow, String& S)>;
using TGridBalloonEvent = std::function<void(TObject* sender, int ACol, int ARow, String& ATitle,
                                             String& AText, int& AIcon)>;
using TCanInsertRowEvent = std::function<void(TObject* sender, int ARow, bool& canInsert)>;
using TAutoInsertRowEvent = std::function<void(TObject* sender, int ARow)>;
using TCanAddRowEvent = std::function<void(TObject* sender, bool& canAdd)>;
using TAutoAddRowEvent = std::function<void(TObject* sender, int ARow)>;
using TCanDeleteRowEvent = std::function<void(TObject* sender, int ARow, bool& canDelete)>;
using TAutoDeleteRowEvent = std::function<void(TObject* sender, int ARow)>;
using TAutoInsertColEvent = std::function<void(TObject* sender, int ACol)>;
using TSearchEditChangeEvent =
    std::function<void(TObject* sender, const String& value, bool& defaultSearch)>;
using TSpinClickEvent =
    std::function<void(TObject* sender, int ACol, int ARow, int AValue, bool upDown)>;
using TOfficeHintEvent =
    std::function<void(TObject* sender, int ACol, int ARow, TAdvHintInfo* officeHint)>;
using TAdvGridUndoRedoEvent =
    std::function<void(TObject* sender, TBaseGrid* grid, int col, int row,
                       const String& origValue, const String& newValue)>;
