#include "app/Program.h"

#include "app/frmAbout_u.h"
#include "app/frmLogin_u.h"
#include "app/frmMain_u.h"
#include "platform/ui/Application.h"

void CreateForms() {
  Application->CreateForm(frmMain);
  Application->CreateForm(frmLogin);
  // The list and edit forms follow here, in the order of the menu's families.
  Application->CreateForm(frmAbout);
}

void BindForms() {}
