// Placeholder so the window links until this concern lands; its owner replaces this file.
#include "frmTestConnection.h"

void frmTestConnection::cmdLoadZontraSchema_Click() {}
void frmTestConnection::LoadNameList(std::int16_t, std::int32_t) {}
