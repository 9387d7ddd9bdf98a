// Placeholder so the window links until this concern lands; its owner replaces this file.
#include "frmTestConnection.h"

void frmTestConnection::cmdRead_Click() {}
void frmTestConnection::cmdWrite_Click() {}
