#include "app/frmMain_u.h"

#include <cstdlib>
#include <string>

#include "app/frmAbout_u.h"
#include "app/frmArticles_u.h"
#include "app/frmClients_u.h"
#include "app/frmCosts_u.h"
#include "app/frmEvents_u.h"
#include "app/frmLogin_u.h"
#include "app/frmModifyOwnData_u.h"
#include "app/frmNews_u.h"
#include "app/frmPaymentOUT_u.h"
#include "app/frmPayment_u.h"
#include "app/frmTasks_u.h"
#include "app/frmTeams_u.h"
#include "app/frmUsers_u.h"
#include "platform/rtl/UnicodeText.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

TfrmMain* frmMain = nullptr;

namespace {

constexpr int EventsItem = 0;
constexpr int NewsItem = 1;
constexpr int TasksItem = 2;
constexpr int ArticlesItem = 3;
constexpr int MembersItem = 4;
constexpr int TeamsItem = 5;
constexpr int PaymentsInItem = 6;
constexpr int PaymentsOutItem = 7;
constexpr int CostsItem = 8;
constexpr int ReportsItem = 9;
constexpr int ExitItem = 10;
// Where the menu bar lies across the window, below the buttons.
constexpr int MenuTop = 222;

// The list forms show the logged-in user's id in the rows they confirm.
void ShowList(TListForm* list, int userId) {
  list->UserId = userId;
  list->ShowModal();
}

struct TMenuEntry {
  const char16_t* Caption;
  const char16_t* Notes;
};

const TMenuEntry MenuEntries[] = {
    {u"Настани", u"Листа на организирани настани од В.О. Завел Тремаволт"},
    {u"Новости", u"Најнови известувања поврзани со В.О. Завел Тремаволт и самите членови"},
    {u"Задачи", u"Листа на задачи за членовите на В.О. Завел Тремаволт"},
    {u"Магацин", u"Листа на артикли во посед на В.О. Завел Тремаволт"},
    {u"Членови", u"Листа на членови на В.О. Завел Тремаволт"},
    {u"Тимови", u"Тимови од членови групирани според индивидуални способности и вештини"},
    {u"Донации-IN", u"Листа на донации од членови и надворешни субјекти"},
    {u"Донации-OUT", u"Листа на донации од В.О. Завел Тремаволт"},
    {u"Трошоци", u"Остварени трошоци на В.О. Завел Тремаволт неопходни за работа"},
    {u"Извештаи",
     u"Генерирање на извештаи поврзани со донации и членови на В.О. Завел Тремаволт"},
    {u"Излез", u"Излез од програмот"},
};

TLabel* PanelLabel(TfrmMain* form, TWinControl* parent, const String& caption, int left, int top,
                   int width) {
  auto* label = new TLabel(form);
  label->SetParent(parent);
  label->SetTransparent(true);  // over the panel's gradient
  label->SetCaption(caption);
  label->SetBounds(left, top, width, 20);
  return label;
}

}  // namespace

bool MenuItemAllowed(int userType, int itemIndex) {
  switch (userType) {
    case 1:
      return itemIndex >= 0 && itemIndex <= 9;
    case 2:
      return itemIndex >= 0 && itemIndex <= 8;
    case 3:
      return itemIndex == 0 || itemIndex == 1;
    default:
      return false;
  }
}

void ApplyServerFromEnvironment(TMyConnection* connection) {
  const char* host = std::getenv("ASSOC_DB_HOST");
  const char* port = std::getenv("ASSOC_DB_PORT");
  connection->SetServer(host && *host ? UTF8ToString(host) : String(u"127.0.0.1"));
  int number = 3306;
  if (port && *port) {
    char* end = nullptr;
    const long value = std::strtol(port, &end, 10);
    // A port that is not a number is left to the connection to refuse.
    number = (*end == '\0' && value > 0 && value < 65536) ? static_cast<int>(value) : -1;
  }
  connection->SetPort(number);
}

TfrmMain::TfrmMain(TComponent* owner) : TForm(owner) {
  SetCaption(u"Главен прозорец");
  SetBorderStyle(bsSingle);
  SetPosition(poDesktopCenter);
  SetClientWidth(780);
  SetClientHeight(540);
  OnCreate = [this](TObject* sender) { FormCreate(sender); };
  OnActivate = [this](TObject* sender) { FormActivate(sender); };

  Image1 = new TImage(this);
  Image1->SetParent(this);
  Image1->SetBounds(12, 12, 250, 120);
  Image1->SetStretch(true);
  {
    // The association's banner.
    TCanvas* canvas = Image1->Canvas();
    canvas->Brush()->SetColor(static_cast<TColor>(0x00A0602C));
    canvas->FillRect({0, 0, 250, 120});
    canvas->Font()->SetColor(clWhite);
    canvas->Font()->SetSize(13);
    canvas->Font()->SetStyle(TFontStyles{fsBold});
    canvas->Brush()->SetStyle(bsClear);
    const String name = u"В.О. Завел Тремаволт";
    const TRect area{0, 0, 250, 120};
    canvas->TextRect(area, (250 - canvas->TextWidth(name)) / 2,
                     (120 - canvas->TextHeight(name)) / 2, name);
  }

  // A bar across the window; the captions a point smaller than the default, so that the longest
  // fits its eleventh of the width.
  AdvSmoothMenu1 = new TItemMenu(this);
  AdvSmoothMenu1->SetBounds(0, MenuTop, 780, 90);
  for (const TMenuEntry& entry : MenuEntries) {
    TAdvSmoothMenuItem* item = AdvSmoothMenu1->Items()->Add();
    item->SetCaption(entry.Caption);
    item->SetNotes(entry.Notes);
  }
  AdvSmoothMenu1->Items()->Items(ExitItem)->SetNotesTop(5);
  AdvSmoothMenu1->SetComponentStyle(4);
  TAdvSmoothMenuItemAppearance* looks = AdvSmoothMenu1->ItemAppearance();
  for (TFont* font : {looks->Font(), looks->HoverFont(), looks->SelectedFont()}) font->SetSize(7);
  AdvSmoothMenu1->SetSelectedItemIndex(0);
  AdvSmoothMenu1->OnItemClick = [this](TObject* sender, int index) {
    AdvSmoothMenu1ItemClick(sender, index);
  };
  // Nothing may be chosen before the rights of a logged-in user allow it; the exit always can.
  for (int i = 0; i < ExitItem; ++i) AdvSmoothMenu1->Items()->Items(i)->SetEnabled(false);
  AdvSmoothMenu1->SetParent(this);

  AdvSmoothExpanderButtonPanel1 = new TUserPanel(this);
  AdvSmoothExpanderButtonPanel1->SetParent(this);
  AdvSmoothExpanderButtonPanel1->SetBounds(280, 12, 488, 150);
  // The look a panel takes when it is placed on a form: light blue with a soft shadow.
  AdvSmoothExpanderButtonPanel1->SetComponentStyle(4);
  AdvSmoothExpanderButtonPanel1->Caption()->SetText(u"  Најавен корисник");
  TWinControl* panel = AdvSmoothExpanderButtonPanel1;
  const int row = 38;  // below the caption and its line
  Label1 = PanelLabel(this, panel, u" Најавен/а: ", 12, row, 110);
  lblLogged = PanelLabel(this, panel, u"/", 126, row, 350);
  Label3 = PanelLabel(this, panel, u" Најавен/а во: ", 12, row + 28, 110);
  lblLogged_at = PanelLabel(this, panel, u"/", 126, row + 28, 350);
  AdvGlowButton1 = new TActionButton(this);
  AdvGlowButton1->SetParent(panel);
  AdvGlowButton1->SetCaption(u"Лични податоци");
  AdvGlowButton1->SetBounds(12, row + 62, 150, 30);
  AdvGlowButton1->OnClick = [this](TObject* sender) { AdvGlowButton1Click(sender); };

  AdvGlowButton2 = new TActionButton(this);
  AdvGlowButton2->SetParent(this);
  AdvGlowButton2->SetCaption(u"Ф / П ЛИЦА");
  AdvGlowButton2->SetBounds(280, 176, 150, 34);
  AdvGlowButton2->OnClick = [this](TObject* sender) { AdvGlowButton2Click(sender); };
  AdvGlowButton3 = new TActionButton(this);
  AdvGlowButton3->SetParent(this);
  AdvGlowButton3->SetCaption(u"За софтверот");
  AdvGlowButton3->SetBounds(444, 176, 150, 34);
  AdvGlowButton3->OnClick = [this](TObject* sender) { AdvGlowButton3Click(sender); };

  // The window's large captions: gradient text, navy at the top to black at the bottom.
  auto banner = [this](const String& text, const TRect& bounds, int size) {
    auto* label = new TBannerLabel(this);
    label->SetParent(this);
    label->SetBoundsRect(bounds);
    label->Caption()->Font()->SetSize(size);
    label->Caption()->SetColorStart(clNavy);
    label->Caption()->SetColorEnd(clBlack);
    label->Caption()->SetText(text);
    return label;
  };
  AdvSmoothLabel1 =
      banner(u"Софтверот е изработен за потребите на Велтора \"Завел Тремаволт\"",
             Bounds(280, 380, 488, 60), 12);
  AdvSmoothLabel1->SetWordWrap(true);
  AdvSmoothLabel2 = banner(u"www.zaveltremavolt.org.mk", Bounds(280, 448, 488, 22), 10);
  AdvSmoothLabel3 =
      banner(u"© В.О. Завел Тремаволт. Сите права се задржани.", Bounds(280, 500, 488, 22), 10);

  myConnection = new TMyConnection(this);
  myConnection->SetDatabase(u"zavel_vorndemo");
  myConnection->SetUsername(u"zavel_vorndemo");
  myConnection->SetPassword(u"pelkanvir");
  ApplyServerFromEnvironment(myConnection);
  myConnection->Options()->SetUseUnicode(true);
  myConnection->Options()->SetCharset(u"utf8");
  myConnection->SetLoginPrompt(false);

  Login = new TMyQuery(this);
  Login->SetConnection(myConnection);
  Login->SetSQLText(u"select * from users where username = :p_username and password = :p_password");
  Login->ParamByName(u"p_username")->SetDataType(ftWideString);
  Login->ParamByName(u"p_password")->SetDataType(ftWideString);

  Ping = new TMyQuery(this);
  Ping->SetConnection(myConnection);
  Ping->SetSQLText(u"select * from users where id = 1");

  Timer1 = new TTimer(this);
  Timer1->SetInterval(90000);
  Timer1->SetOnTimer([this](TObject* sender) { Timer1Timer(sender); });
  Timer1->SetEnabled(true);
}

void TfrmMain::FormCreate(TObject*) {
  FirstActivation = 1;
  UserId = 0;
  UserType = -1;
}

void TfrmMain::FormActivate(TObject*) {
  if (FirstActivation != 1) return;
  Timer1->SetEnabled(true);
  FirstActivation = 0;
  try {
    myConnection->Open();
  } catch (...) {
    // Without its database the program can do nothing: the error is shown and it ends.
    Application->HandleException(this);
    Close();
    return;
  }
  frmLogin->AdvEdit1->SetText(u"");
  frmLogin->AdvEdit2->SetText(u"");
  frmLogin->ShowModal();
  if (UserId == 0) {
    Close();
    return;
  }
  lblLogged->SetCaption(UserFullName + u" ( " + UserName + u" )");
  lblLogged_at->SetCaption(DateTimeToStr(LoggedAt));
  AdvSmoothExpanderButtonPanel1->Expand();
  ApplyRights();
}

void TfrmMain::ApplyRights() {
  for (int i = 0; i < ExitItem; ++i)
    AdvSmoothMenu1->Items()->Items(i)->SetEnabled(MenuItemAllowed(UserType, i));
  // The selection starts again at the first item the user may choose, with its notes shown.
  AdvSmoothMenu1->SetSelectedItemIndex(-1);
  AdvSmoothMenu1->SetSelectedItemIndex(0);
}

void TfrmMain::Timer1Timer(TObject*) {
  if (FKeepAliveErrorShown) return;
  try {
    Ping->Open();
    Ping->Close();
  } catch (...) {
    FKeepAliveErrorShown = true;
    try {
      Application->HandleException(this);
    } catch (...) {
      FKeepAliveErrorShown = false;
      throw;
    }
    FKeepAliveErrorShown = false;
  }
}

void TfrmMain::AdvSmoothMenu1ItemClick(TObject*, int itemIndex) {
  switch (itemIndex) {
    case EventsItem:
      ShowList(frmEvents, UserId);
      break;
    case NewsItem:
      ShowList(frmNews, UserId);
      break;
    case TasksItem:
      ShowList(frmTasks, UserId);
      break;
    case ArticlesItem:
      ShowList(frmArticles, UserId);
      break;
    case MembersItem:
      ShowList(frmUsers, UserId);
      break;
    case TeamsItem:
      ShowList(frmTeams, UserId);
      break;
    case PaymentsInItem:
      frmPayment->PaymentType = 1;
      ShowList(frmPayment, UserId);
      break;
    case PaymentsOutItem:
      frmPaymentOUT->PaymentType = 2;
      ShowList(frmPaymentOUT, UserId);
      break;
    case CostsItem:
      ShowList(frmCosts, UserId);
      break;
    case ReportsItem:
      MessageDlg(u"Наскоро и извештаи.. !", mtWarning, TMsgDlgButtons{mbOK});
      break;
    case ExitItem:
      if (MessageDlg(u"Дали сте сигурни?!", mtWarning, TMsgDlgButtons{mbYes, mbNo}) == mrYes)
        Close();
      break;
    default:
      break;
  }
}

void TfrmMain::AdvGlowButton1Click(TObject*) {
  // The user's own row, in edit state; the form cannot confirm it, and closing the query here
  // drops whatever was typed.
  TMyQuery* own = frmModifyOwnData->Users;
  own->Close();
  own->ParamByName(u"p_id")->SetAsInteger(UserId);
  own->Open();
  own->Edit();
  frmModifyOwnData->ShowModal();
  own->Close();
}

void TfrmMain::AdvGlowButton2Click(TObject*) { ShowList(frmClients, UserId); }

void TfrmMain::AdvGlowButton3Click(TObject*) { frmAbout->ShowModal(); }
