// tarsil_verify: verifies a scanned page word by word with the Word Verification dialog,
// from Tesseract's output. Run with --help for the options.

#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "ComScope.h"
#include "InputError.h"
#include "LoadedLibrary.h"
#include "StationOptions.h"
#include "TarsilDlg29.h"
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
        const LoadedLibrary library = LoadedLibrary::BesideProgram(L"TarsilDlg29.dll");
        const auto dialog = library.Function<RastStartDialogFn>("RastStartDialog");
        if (dialog == nullptr) {
            PrintError("TarsilDlg29.dll could not be loaded from the program's folder (error " +
                       std::to_string(library.Module() == nullptr ? library.LoadError() : ::GetLastError()) + ")");
            return 1;
        }
        // COM once for the thread: the page is decoded and the training images encoded by
        // Windows Imaging Component.
        const ComScope com;
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
