#pragma once

#include <string>

// ODBC connection strings ("Driver={PostgreSQL Unicode};Server=...;Uid=...;PWD=...;" or
// "DSN=...;"): what may be shown of one, and where its password may come from besides.

// `text` with the value of every PWD= and Password= key (in any case) replaced by "***":
// the one way a connection string, or a message that may quote one, is shown, logged or
// written anywhere. A value in braces runs to its closing brace ("}}" stands for a brace
// within it); any other value runs to the next semicolon, or to the end of the text.
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
