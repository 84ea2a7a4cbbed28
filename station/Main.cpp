// tarsil_verify: verifies a scanned page word by word with the Word Verification dialog,
// from Tesseract's output. Run with --help for the options.

#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "InputError.h"
#include "StationOptions.h"
#include "VerificationSession.h"

namespace {

void PrintLine(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void PrintError(const std::string& message)
{
    const std::string line = "tarsil_verify: " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    ::SetConsoleOutputCP(CP_UTF8); // the words are printed as UTF-8
    try {
        StationOptions options;
        std::string error;
        if (!options.Parse(argc, argv, error)) {
            PrintError(error);
            std::fputs(StationOptions::Usage(), stderr);
            return 2;
        }
        if (options.help) {
            std::fputs(StationOptions::Usage(), stdout);
            return 0;
        }
        HMODULE library = ::LoadLibraryW(L"TarsilDlg29.dll");
        const auto dialog = library == nullptr ? nullptr
                                               : reinterpret_cast<VerificationSession::DialogFn>(reinterpret_cast<void*>(
                                                     ::GetProcAddress(library, "RastStartDialog")));
        if (dialog == nullptr) {
            PrintError("TarsilDlg29.dll could not be loaded (error " + std::to_string(::GetLastError()) + ")");
            return 1;
        }
        VerificationSession session(options, dialog, &PrintLine);
        session.Prepare();
        session.Run();
        return 0;
    } catch (const InputError& fault) {
        PrintError(fault.what());
        return 2;
    } catch (const std::exception& fault) {
        PrintError(fault.what());
        return 1;
    } catch (...) {
        PrintError("unexpected failure");
        return 1;
    }
}
