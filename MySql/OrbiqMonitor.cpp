#include "MySql/OrbiqMonitor.h"

#include <atomic>

namespace {

std::atomic<TCustomMySQLMonitor*> GActiveMonitor{nullptr};

class TMySQLMonitorClass : public TDASQLMonitorClass {
 public:
  TCustomDASQLMonitor* GetActiveMonitor() const override {
    return TCustomMySQLMonitor::GetActiveMonitor();
  }
  String GetCaption() const override { return u"Orbiq"; }
};

}  // namespace

const TDASQLMonitorClass& MySQLMonitorClass() {
  static const TMySQLMonitorClass monitorClass;
  return monitorClass;
}

TCustomMySQLMonitor::TCustomMySQLMonitor(TComponent* owner) : TCustomDASQLMonitor(owner) {
  SetActiveMonitor();
  if (CanActivateOnCreate()) SetActive(true);
}

TCustomMySQLMonitor::~TCustomMySQLMonitor() {
  SetActive(false);
  TCustomMySQLMonitor* self = this;
  GActiveMonitor.compare_exchange_strong(self, nullptr);
}

TCustomMySQLMonitor* TCustomMySQLMonitor::GetActiveMonitor() {
  return GActiveMonitor.load(std::memory_order_acquire);
}

void TCustomMySQLMonitor::SetActiveMonitor() {
  TCustomMySQLMonitor* none = nullptr;
  GActiveMonitor.compare_exchange_strong(none, this);
}
