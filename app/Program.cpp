#include "app/Program.h"

#include "app/frmAbout_u.h"
#include "app/frmAddEditClient_u.h"
#include "app/frmAddEditEvent_u.h"
#include "app/frmAddEditNews_u.h"
#include "app/frmClients_u.h"
#include "app/frmEvents_u.h"
#include "app/frmLogin_u.h"
#include "app/frmMain_u.h"
#include "app/frmNews_u.h"
#include "platform/ui/Application.h"

void CreateForms() {
  Application->CreateForm(frmMain);
  Application->CreateForm(frmLogin);
  Application->CreateForm(frmEvents);
  Application->CreateForm(frmAddEditEvent);
  Application->CreateForm(frmAddEditNews);
  Application->CreateForm(frmNews);
  // The members, donations, tasks, articles, teams, own data and costs follow here.
  Application->CreateForm(frmAddEditClient);
  Application->CreateForm(frmClients);
  Application->CreateForm(frmAbout);
}

void BindForms() {
  frmAddEditEvent->BindTo(frmEvents);
  frmAddEditNews->BindTo(frmNews);
  frmAddEditClient->BindTo(frmClients);
}
