#include "app/frmAbout_u.h"

TfrmAbout* frmAbout = nullptr;

TfrmAbout::TfrmAbout(TComponent* owner) : TForm(owner) {
  SetCaption(u"За софтверот");
  SetBorderStyle(bsSingle);
  SetPosition(poDesktopCenter);
  SetClientWidth(420);
  SetClientHeight(200);
  const char16_t* const lines[6] = {
      u"Евиденција на В.О. Завел Тремаволт",
      u"Членови, настани, новости, задачи и тимови",
      u"Донации, трошоци и магацин",
      u"Податоците се чуваат во базата на здружението",
      u"Изработено за потребите на Велтора \"Завел Тремаволт\"",
      u"© В.О. Завел Тремаволт",
  };
  TLabel** labels[6] = {&Label1, &Label2, &Label3, &Label4, &Label5, &Label6};
  for (int i = 0; i < 6; ++i) {
    auto* label = new TLabel(this);
    label->SetParent(this);
    label->SetBounds(16, 16 + i * 28, 388, 22);
    label->SetCaption(lines[i]);
    *labels[i] = label;
  }
  Label1->Font()->SetStyle(TFontStyles{fsBold});
}
