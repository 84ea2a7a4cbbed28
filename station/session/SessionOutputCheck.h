#pragma once

#include <string>
#include <vector>

#include "SessionState.h"

// The session's outputs checked before the first dialog: none may overwrite an input, and
// each must be writable.
class SessionOutputCheck {
public:
    explicit SessionOutputCheck(SessionState& state);

    // Throws InputError naming the input the session would overwrite.
    void RefuseOutputOverInput() const;
    // Tries the very files the session writes; when one cannot be written, frees the output
    // folder, removes the folders this start made (`madeFolders`) and throws InputError.
    void CheckOutputsCanBeWritten(const std::vector<std::wstring>& madeFolders);
    // Removes the folders a failed start made, the innermost first; only empty ones go.
    static void RemoveFolders(const std::vector<std::wstring>& made);

private:
    // The files the session will write that can be named before the first dialog (a page
    // the engine has yet to read has no words yet), by their names in the output folder.
    std::vector<std::wstring> OutputNames() const;

    SessionState& m_state;
};
