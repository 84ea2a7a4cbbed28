#pragma once

#include <string>

// ODBC connection strings ("Driver={PostgreSQL Unicode};Server=...;Uid=...;PWD=...;" or
// "DSN=...;"): what may be shown of one, and where its password may come from besides.

// `text` with the value of every key that may hold a secret (PWD=, Password=, SSLPassword=
// and pqopt=, the driver's libpq options, in any case) replaced by "***": the one way a
// connection string, or a message that may quote one, is shown, logged or written anywhere.
// A value in braces runs to its closing brace ("}}" stands for a brace within it); any other
// value runs to the next semicolon, or to the end of the text.
std::wstring RedactPasswords(const std::wstring& text);

// True when the string gives a password itself (a PWD= or Password= key).
bool NamesPassword(const std::wstring& connection);

// The environment variable the station takes the team database's password from, so that
// the password need not stand on a command line, where other users' process lists show it.
// It is used only when the connection string gives no password of its own.
extern const wchar_t kDatabasePasswordVariable[]; // L"TARSIL_DB_PASSWORD"

// `connection` with PWD={...} appended from TARSIL_DB_PASSWORD when that variable is set
// (and not empty) and the string gives no password; otherwise `connection` unchanged.
std::wstring WithPasswordFromEnvironment(const std::wstring& connection);

// `connection` with the PostgreSQL driver's TCP keepalive settings appended (KeepaliveTime
// `idleSeconds`, KeepaliveInterval a fifth of it): a connection whose server or network went
// silent is found dead by the system within about a minute rather than hours, so a station
// waiting for an answer from the server does not wait for ever. Unchanged when
// `idleSeconds` is 0 or the string sets keepalives itself (KeepaliveTime, KeepaliveInterval,
// or libpq's options in pqopt).
std::wstring WithKeepalive(const std::wstring& connection, unsigned idleSeconds);

// `connection` with the PostgreSQL driver's UseDeclareFetch=0, whatever the string or its
// DSN set before: the driver then reads a statement's whole result when it runs, so that
// fetching a row never waits for the server (in its other mode it fetches in blocks, each a
// call to the server that no wait of the client's bounds).
std::wstring WithResultsReadAtOnce(const std::wstring& connection);
