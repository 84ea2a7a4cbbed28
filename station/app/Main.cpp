// tarsil_verify: verifies a scanned page word by word with the Word Verification dialog,
// from Tesseract's output. Run with --help for the options.

#include <windows.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "AtomicFile.h"
#include "BatchPlan.h"
#include "ComScope.h"
#include "ConsoleOutputCodePage.h"
#include "ExitStatus.h"
#include "InputError.h"
#include "LoadedLibrary.h"
#include "StationOptions.h"
#include "TarsilDlg29.h"
#include "TeamCommand.h"
#include "TeamRefusal.h"
#include "TeamSetUp.h"
#include "TruthOperator.h"
#include "TruthYield.h"
#include "VerificationSession.h"

namespace {

// A console that cannot take the text leaves nothing more to do: the session's files are
// its record.
void Print(std::FILE* stream, const std::string& text)
{
    static_cast<void>(std::fwrite(text.data(), 1, text.size(), stream));
    static_cast<void>(std::fflush(stream));
}

void PrintLine(const std::string& line)
{
    Print(stdout, line + "\n");
}

// Allocates nothing: it also reports a failure to allocate.
void PrintError(const char* message)
{
    static_cast<void>(std::fputs("tarsil_verify: ", stderr));
    static_cast<void>(std::fputs(message, stderr));
    static_cast<void>(std::fputs("\n", stderr));
    static_cast<void>(std::fflush(stderr));
}

// The yield of a session run with --truth, printed and written to yield.json in the output
// folder; false when the file could not be written.
bool ReportYield(const StationOptions& options, const BatchPlan& plan, const VerificationSession& session,
                 const TruthOperator& truths)
{
    const TruthYield yield = TruthYield::Count(plan, session.Record(), truths);
    PrintLine(yield.Line());
    std::string error;
    if (!AtomicFile::Write(options.OutputFolder() + L"\\yield.json", yield.Json(), error)) {
        PrintError(("yield.json could not be written: " + error).c_str());
        return false;
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const ConsoleOutputCodePage utf8(CP_UTF8); // the words are printed as UTF-8
    try {
        StationOptions options;
        std::string error;
        if (!options.Parse(argc, argv, error)) {
            PrintError(error.c_str());
            Print(stderr, StationOptions::Usage());
            return ExitCode(ExitStatus::kBadInput);
        }
        if (options.help) {
            Print(stdout, StationOptions::Usage());
            return ExitCode(ExitStatus::kRan);
        }
        if (options.ReportsOnTeam()) {
            const ComScope com; // the export decodes the pages' images
            TeamCommand::Run(options, &PrintLine);
            return ExitCode(ExitStatus::kRan);
        }
        const LoadedLibrary library = LoadedLibrary::BesideProgram(L"TarsilDlg29.dll");
        auto dialog = library.Function<RastStartDialogFn>("RastStartDialog");
        if (dialog == nullptr) {
            const DWORD reason = library.Module() == nullptr ? library.LoadError() : ::GetLastError();
            PrintError(("TarsilDlg29.dll could not be loaded from the program's folder (error " +
                        std::to_string(reason) + ")").c_str());
            return ExitCode(ExitStatus::kCouldNotGoOn);
        }
        // COM once for the thread: the page is decoded and the training images encoded by
        // Windows Imaging Component.
        const ComScope com;
        // A headless operator answers from the pages' truth, every page's checked before the
        // session touches the output folder.
        std::unique_ptr<BatchPlan> truthPlan;
        std::unique_ptr<TruthOperator> truths;
        if (!options.truth.empty()) {
            truthPlan = std::make_unique<BatchPlan>(BatchPlan::Make(options));
            truths = std::make_unique<TruthOperator>(options.truth, *truthPlan);
            dialog = &TruthOperator::Answer;
        }
        // A team's station keeps its session in the team's database, set up from the batch.
        VerificationSession::SetUpFn teamSetUp;
        if (!options.team.empty()) {
            teamSetUp = [](const StationOptions& team, const VerificationSession::PrintFn& print) {
                return TeamSetUp(team, print).Prepare();
            };
        }
        VerificationSession session(options, dialog, &PrintLine, {}, teamSetUp);
        session.Prepare();
        // Pages the engine failed on, or whose files could not be written (cancelled or not):
        // the run did not finish them, and a script can tell.
        const VerificationSession::Summary summary = session.Run();
        if (truths && !ReportYield(options, *truthPlan, session, *truths)) {
            return ExitCode(ExitStatus::kCouldNotGoOn);
        }
        return ExitCode(summary.pagesFailed > 0 || summary.pagesUnwritten > 0 ? ExitStatus::kPagesNotDone
                                                                              : ExitStatus::kRan);
    } catch (const InputError& fault) {
        PrintError(fault.what());
        return ExitCode(ExitStatus::kBadInput);
    } catch (const TeamRefusal& fault) {
        // Inputs other than the batch's, tables of a newer version: refused before any dialog.
        PrintError(fault.what());
        return ExitCode(ExitStatus::kBadInput);
    } catch (const std::exception& fault) {
        PrintError(fault.what());
        return ExitCode(ExitStatus::kCouldNotGoOn);
    } catch (...) {
        PrintError("unexpected failure");
        return ExitCode(ExitStatus::kCouldNotGoOn);
    }
}
