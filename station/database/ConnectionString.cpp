#include "ConnectionString.h"

#include <windows.h>

#include <cwctype>
#include <initializer_list>

const wchar_t kDatabasePasswordVariable[] = L"TARSIL_DB_PASSWORD";

namespace {

bool KeyCharacter(wchar_t c)
{
    return std::iswalnum(c) != 0 || c == L'_';
}

bool SameKey(const std::wstring& text, size_t at, const wchar_t* key)
{
    for (size_t i = 0; key[i] != L'\0'; ++i) {
        if (at + i >= text.size() || std::towlower(text[at + i]) != key[i]) {
            return false;
        }
    }
    return true;
}

struct Span {
    size_t begin = std::wstring::npos;
    size_t end = std::wstring::npos;
};

// Where the value of the first of `keys` (lower case) begins and ends, from `from` on: the
// key stands at a word's start (so "XPWD=" is no password key), followed by "=" (spaces
// around it allowed).
Span NextValue(const std::wstring& text, size_t from, std::initializer_list<const wchar_t*> keys)
{
    for (size_t at = from; at < text.size(); ++at) {
        if (at > 0 && KeyCharacter(text[at - 1])) {
            continue;
        }
        for (const wchar_t* key : keys) {
            if (!SameKey(text, at, key)) {
                continue;
            }
            size_t next = at + std::char_traits<wchar_t>::length(key);
            while (next < text.size() && text[next] == L' ') {
                ++next;
            }
            if (next >= text.size() || text[next] != L'=') {
                continue;
            }
            ++next;
            while (next < text.size() && text[next] == L' ') {
                ++next;
            }
            Span value;
            value.begin = next;
            if (next < text.size() && text[next] == L'{') {
                // To the brace that closes it; a brace doubled stands for itself.
                size_t close = next + 1;
                while (close < text.size()) {
                    if (text[close] == L'}') {
                        if (close + 1 < text.size() && text[close + 1] == L'}') {
                            close += 2;
                            continue;
                        }
                        break;
                    }
                    ++close;
                }
                value.end = close < text.size() ? close + 1 : text.size();
            } else {
                const size_t semicolon = text.find(L';', next);
                value.end = semicolon == std::wstring::npos ? text.size() : semicolon;
            }
            return value;
        }
    }
    return {};
}

Span NextPasswordValue(const std::wstring& text, size_t from)
{
    return NextValue(text, from, {L"pwd", L"password"});
}

// The values that may hold a secret: the password, the SSL key's password, and the
// driver's libpq options (pqopt), which may give either.
Span NextSecretValue(const std::wstring& text, size_t from)
{
    return NextValue(text, from, {L"pwd", L"password", L"sslpassword", L"pqopt"});
}

// The string with "KEY=VALUE;" appended, a semicolon put between where it lacks one.
std::wstring Appended(const std::wstring& connection, const std::wstring& setting)
{
    std::wstring result = connection;
    if (!result.empty() && result.back() != L';') {
        result += L';';
    }
    return result + setting + L";";
}

} // namespace

std::wstring RedactPasswords(const std::wstring& text)
{
    std::wstring shown;
    size_t copied = 0;
    for (Span value = NextSecretValue(text, 0); value.begin != std::wstring::npos;
         value = NextSecretValue(text, value.end)) {
        shown.append(text, copied, value.begin - copied);
        shown += L"***";
        copied = value.end;
    }
    shown.append(text, copied, std::wstring::npos);
    return shown;
}

bool NamesPassword(const std::wstring& connection)
{
    return NextPasswordValue(connection, 0).begin != std::wstring::npos;
}

std::wstring WithPasswordFromEnvironment(const std::wstring& connection)
{
    if (NamesPassword(connection)) {
        return connection;
    }
    const DWORD size = ::GetEnvironmentVariableW(kDatabasePasswordVariable, nullptr, 0);
    if (size <= 1) {
        return connection;
    }
    std::wstring password(size, L'\0');
    password.resize(::GetEnvironmentVariableW(kDatabasePasswordVariable, &password[0], size));
    // In braces, so that a semicolon or brace in it stays part of it.
    std::wstring braced = L"{";
    for (const wchar_t c : password) {
        braced += c;
        if (c == L'}') {
            braced += L'}';
        }
    }
    braced += L'}';
    return Appended(connection, L"PWD=" + braced);
}

std::wstring WithKeepalive(const std::wstring& connection, unsigned idleSeconds)
{
    if (idleSeconds == 0 ||
        NextValue(connection, 0, {L"keepalivetime", L"keepaliveinterval", L"pqopt"}).begin != std::wstring::npos) {
        return connection;
    }
    // Probes a few seconds apart once the connection has been idle that long.
    const unsigned interval = idleSeconds < 10 ? 1 : idleSeconds / 5;
    return Appended(Appended(connection, L"KeepaliveTime=" + std::to_wstring(idleSeconds)),
                    L"KeepaliveInterval=" + std::to_wstring(interval));
}

std::wstring WithResultsReadAtOnce(const std::wstring& connection)
{
    return Appended(connection, L"UseDeclareFetch=0");
}
