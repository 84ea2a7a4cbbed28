#pragma once

#include <string>

// Marker files by which a test and the script that runs it (server-loss-test,
// team-outbox-test) tell each other how far they are, in the folder the script names.
namespace ScriptSignals {

// Makes the marker `name` in `folder`; the test fails when it cannot.
void Raise(const std::wstring& folder, const std::wstring& name);
// Waits up to a minute for the script's marker `name` in `folder`; the test fails when it
// does not come.
void WaitFor(const std::wstring& folder, const std::wstring& name);

} // namespace ScriptSignals
