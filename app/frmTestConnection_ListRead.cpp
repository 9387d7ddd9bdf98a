// Placeholder so the window links until this concern lands; its owner replaces this file.
#include "frmTestConnection.h"

void frmTestConnection::cmdListRead_Click() {}
