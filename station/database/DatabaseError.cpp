#include "DatabaseError.h"

#include "ConnectionString.h"
#include "Utf8.h"

#include <sqlext.h>

DatabaseError::DatabaseError(const std::string& message, const std::string& sqlState, DatabaseFailure failure)
    : std::runtime_error(message)
    , m_failure(failure)
{
    sqlState.copy(m_sqlState.data(), m_sqlState.size() - 1);
}

bool DatabaseError::ConnectionDead(SQLHDBC connection)
{
    SQLUINTEGER dead = SQL_CD_FALSE;
    return connection != SQL_NULL_HDBC &&
           SQL_SUCCEEDED(::SQLGetConnectAttrW(connection, SQL_ATTR_CONNECTION_DEAD, &dead, SQL_IS_UINTEGER, nullptr)) &&
           dead == SQL_CD_TRUE;
}

DatabaseError DatabaseError::FromDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const std::string& action,
                                             SQLRETURN result, SQLHDBC connection)
{
    std::string first; // the first record's SQLSTATE
    bool lost = false;
    std::string message = action + " failed";
    // A failing statement rarely leaves more than two records; a flood is cut short.
    const SQLSMALLINT kMostRecords = 8;
    for (SQLSMALLINT record = 1; handle != SQL_NULL_HANDLE && record <= kMostRecords; ++record) {
        SQLWCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
        SQLINTEGER native = 0;
        std::wstring text(512, L'\0');
        SQLSMALLINT length = 0;
        SQLRETURN read = ::SQLGetDiagRecW(handleType, handle, record, state, &native,
                                          reinterpret_cast<SQLWCHAR*>(&text[0]),
                                          static_cast<SQLSMALLINT>(text.size()), &length);
        if (read == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
            text.assign(static_cast<size_t>(length) + 1, L'\0');
            read = ::SQLGetDiagRecW(handleType, handle, record, state, &native, reinterpret_cast<SQLWCHAR*>(&text[0]),
                                    static_cast<SQLSMALLINT>(text.size()), &length);
        }
        if (!SQL_SUCCEEDED(read)) {
            break;
        }
        text.resize(length < static_cast<SQLSMALLINT>(text.size()) ? static_cast<size_t>(length) : text.size() - 1);
        while (!text.empty() && (text.back() == L'\n' || text.back() == L' ')) {
            text.pop_back();
        }
        const std::string sqlState = WideToUtf8(reinterpret_cast<const wchar_t*>(state));
        if (record == 1) {
            first = sqlState;
        }
        lost = lost || Classify(sqlState) == DatabaseFailure::ConnectionLost;
        message += (record == 1 ? ": [" : "; [") + sqlState + "] " + WideToUtf8(RedactPasswords(text));
    }
    if (first.empty()) {
        message += " (return code " + std::to_string(result) +
                   ", no diagnostics: is an ODBC driver manager installed?)";
    }
    if (ConnectionDead(connection)) {
        message += " (the connection to the server is lost)";
        lost = true;
    }
    return DatabaseError(message, first, lost ? DatabaseFailure::ConnectionLost : Classify(first));
}

DatabaseFailure DatabaseError::Classify(const std::string& sqlState)
{
    // 08: connection exceptions; 57P01-57P03: the server shutting down, crashed, or not yet
    // accepting connections; HYT00/HYT01: a time limit of the driver's own for logging in or
    // for the connection ran out. (The PostgreSQL driver enforces a statement's time limit
    // on the server, which reports 57014, canceled: no lost connection.)
    if (sqlState.compare(0, 2, "08") == 0 || sqlState == "57P01" || sqlState == "57P02" || sqlState == "57P03" ||
        sqlState == "HYT00" || sqlState == "HYT01") {
        return DatabaseFailure::ConnectionLost;
    }
    if (sqlState == "23505") {
        return DatabaseFailure::UniqueViolation;
    }
    if (sqlState == "40001" || sqlState == "40P01") {
        return DatabaseFailure::SerializationFailure;
    }
    return DatabaseFailure::Other;
}
