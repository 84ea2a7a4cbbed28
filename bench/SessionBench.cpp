#include "SessionBench.h"

#include <windows.h>

#include "FirstPaintWatcher.h"
#include "TeamSetUp.h"

namespace {

// What the timed dialog below measures against and records; the library calls it without
// context.
const MeasuredDialog* g_dialog = nullptr;
std::vector<double> g_sessionFloor;
std::vector<double> g_sessionGaps;
std::vector<double> g_hostWork;
std::vector<double> g_callToPaint;
double g_previousReturn = 0;

// The library's call, timed from the previous word's return to this dialog's first
// complete paint; the operator presses OK there. Each word is followed by the floor, a bare
// dialog of the same template, so that the two sides are measured side by side.
int WINAPI TimedRastStartDialog(HWND parent, int kind, int mode, wchar_t* text, int length, double* size,
                                double* orientation, int confidence, int r1, int g1, int b1, int rb, int gb, int bb,
                                int r2, int g2, int b2, LayerDrawFn layer1, LayerDrawFn layer2, int* reserved,
                                int* train, int* unchanged, TextLookupFn lookup)
{
    const double called = Stopwatch::Now();
    int result = 0;
    double completed = 0;
    {
        FirstPaintWatcher watcher(true);
        result = g_dialog->call(parent, kind, mode, text, length, size, orientation, confidence, r1, g1, b1, rb, gb,
                                bb, r2, g2, b2, layer1, layer2, reserved, train, unchanged, lookup);
        completed = watcher.CompletedAt();
    }
    if (g_previousReturn > 0 && completed > 0) {
        g_sessionGaps.push_back(completed - g_previousReturn);
        g_hostWork.push_back(called - g_previousReturn);
        g_callToPaint.push_back(completed - called);
    }
    g_sessionFloor.push_back(g_dialog->BareDialog());
    g_previousReturn = Stopwatch::Now();
    return result;
}

// The figures of the sessions just run, as rows named after `name`.
void SessionRows(const std::string& name, std::vector<BenchRow>& rows)
{
    const Summary floor = Summary::Of(g_sessionFloor);
    rows.push_back({name + ", return to next paint", Summary::Of(g_sessionGaps), floor, "ms", 1e3});
    rows.push_back({"  the host's work", Summary::Of(g_hostWork), floor, "ms", 1e3});
    rows.push_back({"  call to first complete paint", Summary::Of(g_callToPaint), floor, "ms", 1e3});
    g_sessionGaps.clear();
    g_hostWork.clear();
    g_callToPaint.clear();
    g_sessionFloor.clear();
}

} // namespace

void SessionBench::RunSessions(const StationOptions& options, VerificationSession::DialogFn show, int sessions,
                               void (*fresh)())
{
    for (int i = 0; i < sessions; ++i) {
        VerificationSession session(options, show, [](const std::string&) {});
        session.Prepare();
        fresh();
        session.Run();
    }
}

void SessionBench::Run(const MeasuredDialog& dialog, const std::wstring& data, const std::wstring& team, int sessions,
                       std::vector<BenchRow>& rows)
{
    g_dialog = &dialog;
    wchar_t temporary[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temporary);
    StationOptions options;
    options.image = data + L"\\page.png";
    options.tsv = data + L"\\page.tsv";
    options.hocr = data + L"\\page.hocr";
    options.out = std::wstring(temporary) + L"tarsil-bench-session";
    options.below = 101;
    options.restart = true;
    RunSessions(options, &TimedRastStartDialog, sessions, [] { g_previousReturn = 0; });
    SessionRows("session", rows);
    if (team.empty()) {
        return;
    }
    StationOptions teamOptions;
    teamOptions.inputs = {data + L"\\page.png"};
    teamOptions.team = team;
    teamOptions.below = 101;
    teamOptions.outbox = std::wstring(temporary) + L"tarsil-bench-outbox.json";
    for (int i = 0; i < sessions; ++i) {
        teamOptions.batch = L"bench-" + std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(i);
        VerificationSession session(teamOptions, &TimedRastStartDialog, [](const std::string&) {}, {},
                                    [](const StationOptions& options, const VerificationSession::PrintFn& print) {
                                        return TeamSetUp(options, print).Prepare();
                                    });
        session.Prepare();
        g_previousReturn = 0;
        session.Run();
    }
    SessionRows("session with --team", rows);
}
