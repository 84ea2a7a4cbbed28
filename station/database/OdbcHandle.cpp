#include "OdbcHandle.h"

OdbcHandle::~OdbcHandle()
{
    if (m_handle != SQL_NULL_HANDLE) {
        ::SQLFreeHandle(m_type, m_handle);
    }
}

SQLRETURN OdbcHandle::Allocate(SQLSMALLINT type, SQLHANDLE parent)
{
    SQLHANDLE handle = SQL_NULL_HANDLE;
    const SQLRETURN result = ::SQLAllocHandle(type, parent, &handle);
    if (SQL_SUCCEEDED(result)) {
        if (m_handle != SQL_NULL_HANDLE) {
            ::SQLFreeHandle(m_type, m_handle);
        }
        m_type = type;
        m_handle = handle;
    }
    return result;
}
