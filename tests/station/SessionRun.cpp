#include "SessionRun.h"

#include "TarsilDlg29.h"

namespace {

// The captions of the running session's dialogs: the dialog function has no context of its own.
std::vector<std::wstring> g_captions;

int WINAPI RecordCaption(HWND parent, int kind, int mode, wchar_t* text, int length, double* size,
                         double* orientation, int confidence, int r1, int g1, int b1, int rb, int gb, int bb, int r2,
                         int g2, int b2, LayerDrawFn layer1, LayerDrawFn layer2, int* reserved, int* train,
                         int* unchanged, TextLookupFn lookup)
{
    g_captions.push_back(lookup(TARSIL_TEXT_CAPTION));
    return RastStartDialog(parent, kind, mode, text, length, size, orientation, confidence, r1, g1, b1, rb, gb, bb, r2,
                           g2, b2, layer1, layer2, reserved, train, unchanged, lookup);
}

} // namespace

bool SessionRun::Printed(const std::string& part) const
{
    for (const std::string& line : printed) {
        if (line.find(part) != std::string::npos) {
            return true;
        }
    }
    return false;
}

SessionRun RunSession(const StationOptions& options)
{
    SessionRun run;
    g_captions.clear();
    VerificationSession session(options, &RecordCaption,
                                [&run](const std::string& line) { run.printed.push_back(line); });
    session.Prepare();
    run.summary = session.Run();
    run.journal = session.Record();
    run.captions.swap(g_captions);
    return run;
}
