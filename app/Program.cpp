#include "app/Program.h"

#include "app/frmAbout_u.h"
#include "app/frmAddEditArticle_u.h"
#include "app/frmAddEditClient_u.h"
#include "app/frmAddEditCost_u.h"
#include "app/frmAddEditEvent_u.h"
#include "app/frmAddEditNews_u.h"
#include "app/frmAddEditPaymentOUT_u.h"
#include "app/frmAddEditPayment_u.h"
#include "app/frmAddEditTask_u.h"
#include "app/frmAddEditTeam_u.h"
#include "app/frmAddEditUser_u.h"
#include "app/frmArticleInOut_u.h"
#include "app/frmArticles_u.h"
#include "app/frmClients_u.h"
#include "app/frmCosts_u.h"
#include "app/frmEvents_u.h"
#include "app/frmLogin_u.h"
#include "app/frmMain_u.h"
#include "app/frmModifyOwnData_u.h"
#include "app/frmNews_u.h"
#include "app/frmPaymentOUT_u.h"
#include "app/frmPayment_u.h"
#include "app/frmPreviewArticleInOut_u.h"
#include "app/frmTaskMembers_u.h"
#include "app/frmTasks_u.h"
#include "app/frmTeamMembers_u.h"
#include "app/frmTeams_u.h"
#include "app/frmUsers_u.h"
#include "platform/ui/Application.h"

void CreateForms() {
  Application->CreateForm(frmMain);
  Application->CreateForm(frmLogin);
  Application->CreateForm(frmEvents);
  Application->CreateForm(frmAddEditEvent);
  Application->CreateForm(frmAddEditNews);
  Application->CreateForm(frmNews);
  Application->CreateForm(frmAddEditUser);
  Application->CreateForm(frmUsers);
  Application->CreateForm(frmAddEditPayment);
  Application->CreateForm(frmPayment);
  Application->CreateForm(frmAddEditTask);
  Application->CreateForm(frmTasks);
  Application->CreateForm(frmTaskMembers);
  Application->CreateForm(frmAddEditArticle);
  Application->CreateForm(frmArticles);
  Application->CreateForm(frmArticleInOut);
  Application->CreateForm(frmPreviewArticleInOut);
  Application->CreateForm(frmTeams);
  Application->CreateForm(frmAddEditTeam);
  Application->CreateForm(frmTeamMembers);
  Application->CreateForm(frmModifyOwnData);
  Application->CreateForm(frmAddEditPaymentOUT);
  Application->CreateForm(frmPaymentOUT);
  Application->CreateForm(frmAddEditCost);
  Application->CreateForm(frmCosts);
  Application->CreateForm(frmAddEditClient);
  Application->CreateForm(frmClients);
  Application->CreateForm(frmAbout);
}

void BindForms() {
  frmAddEditEvent->BindTo(frmEvents);
  frmAddEditNews->BindTo(frmNews);
  frmAddEditUser->BindTo(frmUsers);
  frmAddEditTask->BindTo(frmTasks);
  frmAddEditTeam->BindTo(frmTeams);
  frmAddEditClient->BindTo(frmClients);
  frmAddEditPayment->BindTo(frmPayment);
  frmAddEditPaymentOUT->BindTo(frmPaymentOUT);
  frmAddEditCost->BindTo(frmCosts);
  frmAddEditArticle->BindTo(frmArticles);
  frmArticleInOut->BindTo(frmArticles->dsArticlesInOut);
}
