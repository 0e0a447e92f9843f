#include "app/FormPattern.h"

#include "app/frmMain_u.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/DateTime.h"
#include "platform/ui/Dialogs.h"

namespace {

constexpr int Margin = 12;
constexpr int TitleHeight = 24;
constexpr int GridHeight = 360;
constexpr int ButtonWidth = 160;
constexpr int ButtonHeight = 34;
constexpr int FixedColWidth = 20;

}  // namespace

TActionButton* NewFormButton(TForm* form, const String& caption, int left, int top, int width) {
  auto* button = new TActionButton(form);
  button->SetParent(form);
  button->SetCaption(caption);
  button->SetBounds(left, top, width, ButtonHeight);
  return button;
}

// ---- TListForm ----------------------------------------------------------------------------------

TListForm::TListForm(TComponent* owner, const TListFormPlan& plan) : TForm(owner), FPlan(plan) {
  SetCaption(plan.Caption);
  SetBorderStyle(bsSingle);
  SetPosition(poDesktopCenter);
  OnActivate = [this](TObject* sender) { FormActivate(sender); };
  OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };

  // The grid is as wide as its columns, with a line after each and a border around.
  int gridWidth = FixedColWidth + 1 + 4;
  for (const TDataGridColumn& column : plan.Columns) gridWidth += column.Width + 1;
  SetClientWidth(gridWidth + 2 * Margin);
  const int buttonsTop = Margin + TitleHeight + 8 + GridHeight + Margin;
  SetClientHeight(buttonsTop + ButtonHeight + Margin);

  Label1 = new TCaptionLabel(this);
  Label1->SetParent(this);
  Label1->SetBounds(Margin, Margin, gridWidth, TitleHeight);
  Label1->Font()->SetSize(12);
  Label1->Font()->SetStyle(TFontStyles{fsBold});
  Label1->SetCaption(plan.Title);

  DBAdvGrid1 = new TDataGrid(this);
  DBAdvGrid1->SetParent(this);
  DBAdvGrid1->SetBounds(Margin, Margin + TitleHeight + 8, gridWidth, GridHeight);
  DBAdvGrid1->SetFixedColWidth(FixedColWidth);
  DBAdvGrid1->SetOptions(
      TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRowSelect});
  DBAdvGrid1->SetColumns(plan.Columns);

  AdvGlowButton1 = NewFormButton(this, plan.NewCaption, Margin, buttonsTop, ButtonWidth);
  AdvGlowButton1->OnClick = [this](TObject* sender) { AdvGlowButton1Click(sender); };
  AdvGlowButton2 =
      NewFormButton(this, plan.ChangeCaption, Margin + ButtonWidth + 8, buttonsTop, ButtonWidth);
  AdvGlowButton2->OnClick = [this](TObject* sender) { AdvGlowButton2Click(sender); };
  AdvGlowButton3 = NewFormButton(this, u"ИЗЛЕЗ", Margin + gridWidth - 120, buttonsTop, 120);
  AdvGlowButton3->OnClick = [this](TObject* sender) { AdvGlowButton3Click(sender); };
}

TMyQuery* TListForm::NewQuery(const String& sql, bool autoRefresh) {
  auto* query = new TMyQuery(this);
  query->SetConnection(frmMain->myConnection);
  query->SetSQLText(sql);
  query->Options()->SetAutoRefresh(autoRefresh);
  return query;
}

void TListForm::SetList(TMyQuery* list, TMyDataSource* source) {
  FList = list;
  FListSource = source;
  source->SetDataSet(list);
  DBAdvGrid1->SetDataSource(source);
}

void TListForm::AddLookup(TMyQuery* lookup) { FLookups.push_back(lookup); }

void TListForm::FormActivate(TObject*) {
  for (TMyQuery* lookup : FLookups) lookup->Open();
  FList->Open();
  const bool administrator = frmMain->UserType == 1;
  AdvGlowButton1->SetEnabled(administrator);
  AdvGlowButton2->SetEnabled(administrator);
  Activated();
}

void TListForm::FormClose(TObject*, TCloseAction&) {
  FList->Close();
  for (TMyQuery* lookup : FLookups) lookup->Close();
}

void TListForm::AdvGlowButton1Click(TObject*) {
  FList->Append();
  SetPresets(FList);
  EditForm()->ShowModal();
}

void TListForm::AdvGlowButton2Click(TObject*) {
  // An empty list, or a row not yet saved, has no id above 0.
  if (FList->FieldByName(u"id")->AsInteger() <= 0) {
    MessageDlg(FPlan.ChangeWarning, mtWarning, TMsgDlgButtons{mbOK});
    return;
  }
  FList->Edit();
  EditForm()->ShowModal();
}

void TListForm::AdvGlowButton3Click(TObject*) { Close(); }

// ---- TEditForm ----------------------------------------------------------------------------------

TEditForm::TEditForm(TComponent* owner, const String& caption, int clientWidth, int clientHeight,
                     const TStampFields& stamps)
    : TForm(owner), FStamps(stamps) {
  SetCaption(caption);
  SetBorderStyle(bsSingle);
  SetPosition(poDesktopCenter);
  SetClientWidth(clientWidth);
  SetClientHeight(clientHeight);
  OnActivate = [this](TObject* sender) { FormActivate(sender); };
  OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };

  constexpr int width = 120;
  const int top = clientHeight - Margin - ButtonHeight;
  const int left = (clientWidth - 2 * width - 12) / 2;
  AdvGlowButton1 = NewFormButton(this, u"ПОТВРДИ", left, top, width);
  AdvGlowButton1->OnClick = [this](TObject* sender) { AdvGlowButton1Click(sender); };
  AdvGlowButton2 = NewFormButton(this, u"ОТКАЖИ", left + width + 12, top, width);
  AdvGlowButton2->OnClick = [this](TObject* sender) { AdvGlowButton2Click(sender); };
}

void TEditForm::BindTo(TListForm* list) {
  FList = list;
  for (const auto& bind : FBindings) bind(list->ListSource());
}

template <class TControlClass>
TControlClass* TEditForm::Place(TControlClass* control, const String& field, const TRect& bounds) {
  control->SetParent(this);
  control->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  control->SetDataField(field);
  FBindings.push_back([control](TDataSource* source) { control->SetDataSource(source); });
  return control;
}

TDataEdit* TEditForm::NewEdit(const String& field, const String& caption,
                              TDataEditLabelPosition position, const TRect& bounds) {
  auto* edit = Place(new TDataEdit(this), field, bounds);
  edit->SetLabelCaption(caption);
  edit->SetLabelPosition(position);
  return edit;
}

TDataValueCombo* TEditForm::NewValueCombo(const String& field,
                                          const std::vector<TValueChoice>& choices,
                                          const TRect& bounds) {
  auto* combo = Place(new TDataValueCombo(this), field, bounds);
  combo->SetStyle(csDropDownList);
  TAdvDBComboBoxStrings* items = combo->ComboItems();
  for (const TValueChoice& choice : choices) {
    items->Add(choice.Word);
    items->SetStored(items->Count() - 1, choice.Stored);
  }
  return combo;
}

TDataMemo* TEditForm::NewMemo(const String& field, const TRect& bounds) {
  // The lines wrap at the right edge. The memo editor that takes this role wraps at its right
  // margin instead: WordWrap wwRightMargin, RightMargin 58 shown, ClipboardFormats [cfText],
  // AutoCorrect.Active, ReadOnly false, no syntax styler.
  auto* memo = Place(new TDataMemo(this), field, bounds);
  memo->SetWordWrap(true);
  memo->SetWantReturns(true);
  memo->SetScrollBars(ssVertical);
  memo->SetReadOnly(false);
  return memo;
}

TDataDatePicker* TEditForm::NewDatePicker(const String& field, const TRect& bounds) {
  auto* picker = Place(new TDataDatePicker(this), field, bounds);
  picker->SetKind(dtkDate);
  return picker;
}

TDataLookupCombo* TEditForm::NewLookup(const String& field,
                                       std::function<TDataSource*()> listSource,
                                       const String& listFields, const TRect& bounds) {
  auto* lookup = Place(new TDataLookupCombo(this), field, bounds);
  lookup->SetKeyField(u"id");
  lookup->SetListField(listFields);
  FBindings.push_back([lookup, listSource](TDataSource*) { lookup->SetListSource(listSource()); });
  return lookup;
}

TCaptionLabel* TEditForm::NewCaption(const String& text, const TRect& bounds) {
  auto* label = new TCaptionLabel(this);
  label->SetParent(this);
  label->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  label->SetCaption(text);
  return label;
}

void TEditForm::FormActivate(TObject*) {
  TWinControl* first = FirstControl();
  if (first->CanFocus()) first->SetFocus();
}

void TEditForm::FormClose(TObject*, TCloseAction&) {
  // Closed with the close box, neither confirmed nor cancelled: the half-typed row goes, so that
  // a later post of the list cannot store it unchecked.
  TMyQuery* list = FList->ListQuery();
  if (list->State() == dsInsert || list->State() == dsEdit) list->Cancel();
}

void TEditForm::AdvGlowButton1Click(TObject*) {
  const String failed = FailedCheck();
  if (!failed.empty()) {
    MessageDlg(failed, mtWarning, TMsgDlgButtons{mbOK});
    return;
  }
  TMyQuery* list = FList->ListQuery();
  list->FieldByName(FStamps.By)->SetAsInteger(FList->UserId);
  list->FieldByName(FStamps.On)->SetAsDateTime(Date() + Time());
  list->Post();
  list->Refresh();
  Close();
}

void TEditForm::AdvGlowButton2Click(TObject*) {
  FList->ListQuery()->Cancel();
  Close();
}
