// assoc-records: the association's records program.
#include <cstdio>

#include "app/Program.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/LocaleSettings.h"
#include "platform/ui/Application.h"
#include "platform/ui/UiSession.h"
#include "platform/win/X11BackEnd.h"

int main() {
  if (!TX11BackEnd::DisplayAvailable()) {
    std::fprintf(stderr,
                 "assoc-records: no X display can be opened (is DISPLAY set?); "
                 "the program needs a graphical session.\n");
    return 1;
  }
  FormatSettings() = LocaleFormatSettings();
  TUiSession session(CreateDesktopBackEnd());
  Application->Initialize();
  Application->SetTitle(u"V.O. Zavel Tremavolt");
  CreateForms();
  BindForms();
  Application->Run();
  return 0;
}
