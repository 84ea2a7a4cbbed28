#pragma once

#include <windows.h>

#include <sql.h>

// The one owner of an ODBC handle (environment, connection or statement): freed with
// SQLFreeHandle when the object goes. A connection's handle is disconnected by its owner,
// DatabaseConnection, before it is freed.
class OdbcHandle {
public:
    OdbcHandle() = default;
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    ~OdbcHandle();

    // SQLAllocHandle of this type under `parent`; returns its result, the handle held only
    // when it succeeded.
    SQLRETURN Allocate(SQLSMALLINT type, SQLHANDLE parent);

    // Lets the handle go without freeing it: a statement's handle on a connection given up,
    // which SQLDisconnect frees with the connection (ConnectionHandles).
    void Forget() { m_handle = SQL_NULL_HANDLE; }

    SQLHANDLE Get() const { return m_handle; }
    SQLSMALLINT Type() const { return m_type; }

private:
    SQLSMALLINT m_type = 0;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};
