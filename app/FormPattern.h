// The list and edit forms of the program, written once.
//
// A list form (TListForm) shows one query of the program's connection in a read-only grid and
// offers three buttons: new (AdvGlowButton1), change (AdvGlowButton2) and exit (AdvGlowButton3).
// An edit form (TEditForm) edits the current row of one list form's query through data-aware
// controls bound to that list form's data source, and confirms (AdvGlowButton1, "ПОТВРДИ") or
// cancels (AdvGlowButton2, "ОТКАЖИ") it. Every form is made once at start and shown modally.
//
// What a list form does:
//   activation  opens its lookup queries, then its list query (an open query stays as it is),
//               and enables the new and change buttons for an administrator (user type 1) only;
//               then Activated() for the family's own steps. It runs again whenever an edit form
//               or a message box it opened closes, so every step is safe to repeat;
//   new         Append on the list query, the family's presets (SetPresets), the edit form;
//   change      the current row's id must be above 0 (an empty list reads 0), else the family's
//               warning and nothing more; then Edit on the list query and the edit form;
//   exit        closes the form; however it closes, its queries close with it.
// What an edit form does:
//   activation  focuses the family's first control;
//   confirm     runs the family's checks (FailedCheck: the first failing check's message, shown
//               as a warning, leaves everything as it is), writes the stamps (who: the list
//               form's UserId, when: the local date and time) into the row, posts the list
//               query, refreshes it and closes. A post that fails raises to the default handler
//               and the form stays open with the row still inserting or editing;
//   cancel      Cancel on the list query and close;
//   close box   a row still inserting or editing is cancelled as the form closes, so that no
//               half-typed row is posted unchecked later.
//
// A family derives one class from each, supplies its SQL, grid columns, controls, presets, checks
// and messages, and leaves the steps above to this unit:
//
//   class TfrmThings : public TListForm {
//    public:
//     explicit TfrmThings(TComponent* owner);   // NewQuery(sql), SetList(Things, dsThings)
//     TMyQuery* Things;
//     TMyDataSource* dsThings;
//    protected:
//     TEditForm* EditForm() const override { return frmAddEditThing; }
//     void SetPresets(TDataSet* row) override;   // row->FieldByName(u"status")->SetAsString(..)
//   };
//   class TfrmAddEditThing : public TEditForm { ... NewEdit(u"title", ...) ... };
//
// and the program binds the edit form to its list once both exist:
// frmAddEditThing->BindTo(frmThings).
#pragma once

#include <functional>
#include <vector>

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "app/FormControls.h"
#include "platform/db/DataSource.h"
#include "platform/ui/Forms.h"

class TEditForm;

// A push button of the forms' height, placed on the form.
TActionButton* NewFormButton(TForm* form, const String& caption, int left, int top, int width);

// What distinguishes one list form from another on the screen.
struct TListFormPlan {
  String Caption;        // the window's caption
  String Title;          // Label1, the title above the grid
  String NewCaption;     // the new button
  String ChangeCaption;  // the change button
  String ChangeWarning;  // shown by the change button when no saved row is current
  // The grid's columns after its fixed first column (number columns right-justified).
  std::vector<TDataGridColumn> Columns;
};

class TListForm : public TForm {
 public:
  // The logged-in user's id, written by the main window before it shows the form; the edit
  // form writes it into the rows it confirms.
  int UserId = 0;

  TCaptionLabel* Label1;
  TDataGrid* DBAdvGrid1;
  TActionButton* AdvGlowButton1;  // new
  TActionButton* AdvGlowButton2;  // change
  TActionButton* AdvGlowButton3;  // exit

  void FormActivate(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void AdvGlowButton1Click(TObject* sender);
  void AdvGlowButton2Click(TObject* sender);
  void AdvGlowButton3Click(TObject* sender);

  // The query the grid shows and the edit form edits, and its data source.
  TMyQuery* ListQuery() const { return FList; }
  TMyDataSource* ListSource() const { return FListSource; }

 protected:
  TListForm(TComponent* owner, const TListFormPlan& plan);

  // A query of the program's connection with this text; a list or lookup query refreshes itself
  // every 60 seconds while it browses, a check query does not.
  TMyQuery* NewQuery(const String& sql, bool autoRefresh = true);
  // Makes the query the form's list: the grid shows it through the source.
  void SetList(TMyQuery* list, TMyDataSource* source);
  // A query that opens before the list (whose rows the edit form offers) and closes with it.
  void AddLookup(TMyQuery* lookup);

  // The family's edit form.
  virtual TEditForm* EditForm() const = 0;
  // The family's values for a row just appended, before the edit form shows.
  virtual void SetPresets(TDataSet* row) { (void)row; }
  // The family's steps at the end of every activation (footer sums, row heights).
  virtual void Activated() {}

 private:
  TListFormPlan FPlan;
  TMyQuery* FList = nullptr;
  TMyDataSource* FListSource = nullptr;
  std::vector<TMyQuery*> FLookups;
};

// Which columns of the row name who confirmed it last and when.
struct TStampFields {
  String By;
  String On;
};
inline const TStampFields CreatedStamps{u"created_by", u"created_on"};
inline const TStampFields AddedStamps{u"added_by", u"added_on"};

// One entry of a combo box of fixed values: the word shown and the value stored.
struct TValueChoice {
  String Word;
  String Stored;
};

class TEditForm : public TForm {
 public:
  TActionButton* AdvGlowButton1;  // "ПОТВРДИ"
  TActionButton* AdvGlowButton2;  // "ОТКАЖИ"

  void FormActivate(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void AdvGlowButton1Click(TObject* sender);
  void AdvGlowButton2Click(TObject* sender);

  // Binds the form's data-aware controls to the list form's data source. The program calls it
  // once every form exists, since an edit form may be made before its list form.
  void BindTo(TListForm* list);
  TListForm* List() const { return FList; }

 protected:
  // The confirm and cancel buttons sit at the bottom of the client area.
  TEditForm(TComponent* owner, const String& caption, int clientWidth, int clientHeight,
            const TStampFields& stamps = CreatedStamps);

  // The data-aware controls, placed on the form and bound to their field by BindTo.
  TDataEdit* NewEdit(const String& field, const String& caption, TDataEditLabelPosition position,
                     const TRect& bounds);
  // A drop-down list of fixed values.
  TDataValueCombo* NewValueCombo(const String& field, const std::vector<TValueChoice>& choices,
                                 const TRect& bounds);
  TDataMemo* NewMemo(const String& field, const TRect& bounds);
  TDataDatePicker* NewDatePicker(const String& field, const TRect& bounds);
  // A reference to a row of the list that listSource gives once the forms are bound, chosen by
  // its "id" and shown by listFields.
  TDataLookupCombo* NewLookup(const String& field, std::function<TDataSource*()> listSource,
                              const String& listFields, const TRect& bounds);
  // A caption for a control that has no label of its own.
  TCaptionLabel* NewCaption(const String& text, const TRect& bounds);

  // The control that has the focus when the form shows.
  virtual TWinControl* FirstControl() const = 0;
  // The message of the first of the family's checks that fails; empty when the row may be
  // posted.
  virtual String FailedCheck() { return String(); }

 private:
  // Places the control on the form and remembers how to bind it.
  template <class TControlClass>
  TControlClass* Place(TControlClass* control, const String& field, const TRect& bounds);

  TStampFields FStamps;
  TListForm* FList = nullptr;
  std::vector<std::function<void(TDataSource*)>> FBindings;
};
