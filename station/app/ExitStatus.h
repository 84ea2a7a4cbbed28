#pragma once

// What the station's exit status tells a script, as --help and the README list them.
enum class ExitStatus : int {
    kRan = 0,          // the session ran, finished or cancelled (and --help)
    kCouldNotGoOn = 1, // a dialog could not be shown, a file could not be written, the DLL or the server failed
    kBadInput = 2,     // refused before any dialog, with nothing written: the command line or an input
    kPagesNotDone = 3, // the session ran, but the engine failed on pages or their files could not be written
};

// The status as the process returns it.
constexpr int ExitCode(ExitStatus status)
{
    return static_cast<int>(status);
}
