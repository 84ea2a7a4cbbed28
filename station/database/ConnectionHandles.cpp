#include "ConnectionHandles.h"

#include <sqlext.h>

ConnectionHandles::~ConnectionHandles()
{
    // Runs where no call can run any more: on the worker once a given-up call has returned,
    // or on the caller's thread while the worker is idle (the connection rolled back first).
    if (connected) {
        ::SQLEndTran(SQL_HANDLE_DBC, connection.Get(), SQL_ROLLBACK);
        ::SQLDisconnect(connection.Get());
    }
}
