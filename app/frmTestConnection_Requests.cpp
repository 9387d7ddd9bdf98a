// Placeholder so the window links until this concern lands; its owner replaces this file.
#include "frmTestConnection.h"

void frmTestConnection::optRead_Click(std::int16_t) {}
void frmTestConnection::cmdReadAlarmTrend_Click() {}
bool frmTestConnection::ValidateTimeRange() {
  return false;
}
