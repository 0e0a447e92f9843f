// The control class each role on the program's forms uses. The forms name only these, so that a
// richer control takes a role's place by a change here.
#pragma once

#include "controls/edit/AdvDBComboBox.h"
#include "controls/edit/AdvEdit.h"
#include "controls/edit/DBAdvEd.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/DBGrids.h"
#include "controls/graphics/AdvGlowButton.h"
#include "controls/graphics/AdvSmoothExpanderButtonPanel.h"
#include "controls/graphics/AdvSmoothMenu.h"
#include "controls/graphics/DBAdvSmoothLabel.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

// Captions and headings; the main window's large captions in gradient text; the heading that can
// show a field.
using TCaptionLabel = TLabel;
using TBannerLabel = TAdvSmoothLabel;
using TDataCaptionLabel = TDBAdvSmoothLabel;
// The forms' push buttons: glow buttons in their default appearance that take part in the tab
// order, as the buttons they replace did.
class TActionButton : public TAdvGlowButton {
 public:
  explicit TActionButton(TComponent* owner) : TAdvGlowButton(owner) { SetTabStop(true); }
};
// An edit with its own caption label.
using TCaptionedEdit = TAdvEdit;
// The panel that shows who is logged in, holding its labels and its button; it collapses to its
// caption and expands again.
using TUserPanel = TAdvSmoothExpanderButtonPanel;
// The main window's menu of items chosen by index; a disabled item cannot be chosen.
using TItemMenu = TAdvSmoothMenu;

// The list forms' read-only grid over the list query, and one of its columns.
using TDataGrid = TDBGrid;
using TDataGridColumn = TDBGridColumn;
// The edit forms' data-aware controls: a one-line field with its own caption label (placed by a
// TDataEditLabelPosition), a field of a fixed set of values shown as words and stored as values,
// a long text, and a date.
using TDataEdit = TDBAdvEdit;
using TDataEditLabelPosition = AdvEdit::TLabelPosition;
using TDataValueCombo = TAdvDBComboBox;
using TDataMemo = TDBMemo;
using TDataDatePicker = TDBDateTimePicker;
// A reference to a row of another query, chosen from its list (the text is not typed).
using TDataLookupCombo = TDBLookupComboBox;
// The menu a right click on a list's grid opens.
using TGridPopupMenu = TPopupMenu;
