// A panel whose caption is a header strip along its top, with its controls below.
#pragma once

#include "platform/ui/ExtCtrls.h"

class THeaderPanel : public TPanel {
 public:
  static constexpr int HeaderHeight = 26;
  explicit THeaderPanel(TComponent* owner);

 protected:
  void Paint() override;
};
