#pragma once

#include <memory>
#include <string>
#include <vector>

#include "PreparedSession.h"
#include "StationOptions.h"

// The session's outputs checked before the first dialog: none may overwrite an input, and
// each must be writable.
class SessionOutputCheck {
public:
    // The session as its set-up has made it so far, and the record it is making.
    SessionOutputCheck(const StationOptions& options, const PreparedSession& session, const SessionRecord& record);

    // Throws InputError naming the input the session would overwrite.
    void RefuseOutputOverInput() const;
    // Tries the very files the session writes; when one cannot be written, frees the output
    // folder (`lock`), removes the folders this start made (`madeFolders`) and throws
    // InputError.
    void CheckOutputsCanBeWritten(const std::vector<std::wstring>& madeFolders,
                                  std::unique_ptr<OutputFolderLock>& lock) const;
    // Removes the folders a failed start made, the innermost first; only empty ones go.
    static void RemoveFolders(const std::vector<std::wstring>& made);

private:
    // The files the session will write that can be named before the first dialog (a page
    // the engine has yet to read has no words yet), by their names in the output folder.
    std::vector<std::wstring> OutputNames() const;
    // The indices of the words of a page, when they are known, that it may show.
    std::vector<int> WordsToVerify(size_t position) const;

    const StationOptions& m_options;
    const PreparedSession& m_session;
    const SessionRecord& m_record;
};
