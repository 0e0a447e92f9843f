// The about box: what the program is, for whom, and who keeps it. Closed with its close box.
#pragma once

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

class TfrmAbout : public TForm {
 public:
  explicit TfrmAbout(TComponent* owner);

  TLabel* Label1;
  TLabel* Label2;
  TLabel* Label3;
  TLabel* Label4;
  TLabel* Label5;
  TLabel* Label6;
};

extern TfrmAbout* frmAbout;
