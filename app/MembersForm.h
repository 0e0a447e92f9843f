// The form that assigns users to one task or one team, written once for both.
//
// The left grid lists the users who may be assigned (administrators and regular users), narrowed
// by the search text of Edit1; the right grid lists the users already assigned. "Додај >>" copies
// the chosen user into the assignment table, " << Одстрани" deletes the chosen assignment at once.
// Only an administrator (user type 1) may add or remove; every user who reaches the form may
// search. The task and team forms differ only in their names, their assignment table and the
// heading the team form shows (TMembersFormPlan).
//
// The search text never becomes SQL: it travels as the value of the parameter p_search, as a LIKE
// pattern that finds the text anywhere, with "\", "%" and "_" escaped so that each matches itself.
#pragma once

#include "MySql/MyAccess.h"
#include "MySql/MyAccess_DataSet.h"
#include "app/FormControls.h"
#include "platform/ui/Forms.h"

// The condition the users table takes for a search, and the one it is stored with.
inline const String MemberSearchFilter =
    u"((user_type = 1) or (user_type = 2)) and ((name like :p_search) or "
    u"(surname like :p_search) or (username like :p_search))";
inline const String AssignableUsersFilter = u"((user_type = 1) or (user_type = 2))";

// The LIKE pattern that finds the text anywhere: "%" + text + "%", with "\", "%" and "_" of the
// text escaped.
String ContainingPattern(const String& text);
// Narrows the users table to the assignable users whose name, surname or user name contains the
// text. An open table shows the new rows when this returns; a closed one keeps them for its open.
void SearchMembers(TMyTable* users, const String& text);

// What distinguishes the task form from the team form.
struct TMembersFormPlan {
  String AssignedTitle;  // Label2, over the right grid
  String Table;          // the assignment table: task_member or team_member
  String OwnerColumn;    // its column naming the task or the team: task_id or team_id
  bool Heading;          // whether the form shows Label4 above the lists
};

class TMembersForm : public TForm {
 public:
  TCaptionLabel* Label1;
  TCaptionLabel* Label2;
  TCaptionLabel* Label3;
  TCaptionLabel* Label4 = nullptr;  // the team form's heading
  TEdit* Edit1;
  TMyTable* Users;
  TMyDataSource* dsUsers;
  TMyQuery* CheckDuplicate;
  TDataGrid* DBAdvGrid1;
  TDataGrid* DBAdvGrid2;
  TActionButton* AdvGlowButton1;  // add
  TActionButton* AdvGlowButton2;  // remove
  TActionButton* AdvGlowButton3;  // exit

  void FormActivate(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void Edit1Change(TObject* sender);
  void AdvGlowButton1Click(TObject* sender);
  void AdvGlowButton2Click(TObject* sender);
  void AdvGlowButton3Click(TObject* sender);

 protected:
  TMembersForm(TComponent* owner, const TMembersFormPlan& plan);

  // The id of the task or team whose members the form shows, set before it is shown.
  int OwnerId = 0;
  // The users assigned to it, and their data source.
  TMyQuery* Assigned;
  TMyDataSource* dsAssigned;

 private:
  TMembersFormPlan FPlan;
  String FOwnerParam;  // p_task_id or p_team_id
};
