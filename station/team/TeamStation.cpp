#include "TeamStation.h"

#include "Utf8.h"

#include <windows.h>

#include <bcrypt.h>

#include <stdexcept>

namespace {

std::string UserName()
{
    wchar_t name[257] = {}; // UNLEN + 1
    DWORD size = ARRAYSIZE(name);
    if (!::GetUserNameW(name, &size)) {
        throw std::runtime_error("Windows gives no user name (error " + std::to_string(::GetLastError()) + ")");
    }
    return WideToUtf8(name);
}

std::string ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = ARRAYSIZE(name);
    if (!::GetComputerNameW(name, &size)) {
        throw std::runtime_error("Windows gives no computer name (error " + std::to_string(::GetLastError()) + ")");
    }
    return WideToUtf8(name);
}

// 128 random bits from the system's generator, as hexadecimal digits.
std::string RandomId()
{
    unsigned char bytes[16] = {};
    const NTSTATUS status = ::BCryptGenRandom(nullptr, bytes, sizeof(bytes), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (status < 0) {
        throw std::runtime_error("the system's random number generator failed");
    }
    static const char kDigits[] = "0123456789abcdef";
    std::string id;
    for (const unsigned char byte : bytes) {
        id += kDigits[byte >> 4];
        id += kDigits[byte & 15];
    }
    return id;
}

} // namespace

TeamStation TeamStation::ThisStation()
{
    return TeamStation{UserName(), ComputerName(), RandomId()};
}

std::string TeamStation::AnswerId(std::int64_t sequence) const
{
    return instance + "/" + std::to_string(sequence);
}
