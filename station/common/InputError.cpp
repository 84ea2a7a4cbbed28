#include "InputError.h"

#include "Utf8.h"

namespace {

std::string Describe(const std::wstring& file, int line, const std::string& what)
{
    std::string message = WideToUtf8(file);
    if (line > 0) {
        message += ":" + std::to_string(line);
    }
    return message + ": " + what;
}

} // namespace

InputError::InputError(const std::wstring& file, int line, const std::string& what)
    : std::runtime_error(Describe(file, line, what))
{
}
