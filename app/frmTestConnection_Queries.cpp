// Placeholder so the window links until this concern lands; its owner replaces this file.
#include "frmTestConnection.h"

void frmTestConnection::QueryActiveAlarms(std::int32_t) {}
void frmTestConnection::QueryAlarmSummary(std::int32_t) {}
void frmTestConnection::QueryTrend(std::int32_t) {}
void frmTestConnection::QueryDevice(std::int32_t, const QString&) {}
