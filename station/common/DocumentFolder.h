#pragma once

#include <string>

#include "RunFolder.h"

// Documents the station's readers need as files though they come as bytes (the recogniser
// output the team's database holds, for a team's session and for the export), in a folder of
// the run's own under the station's folder's "team-cache", removed with them when this object
// goes, or by a later run when this one is killed (RunFolder).
class DocumentFolder {
public:
    // Makes the folder `name`. Throws InputError naming it when it cannot be made.
    explicit DocumentFolder(const std::wstring& name);

    const std::wstring& Folder() const { return m_folder.Path(); }

    // Writes `content` as the folder's file `name`: its full path. Throws InputError naming the
    // file when it cannot.
    std::wstring Write(const std::wstring& name, const std::string& content) const;
    // The same, for a caller with a failure of its own to report: false, with `error` saying
    // why, when the file cannot be written; `path` is the file's full path either way.
    bool TryWrite(const std::wstring& name, const std::string& content, std::wstring& path, std::string& error) const;

private:
    RunFolder m_folder;
};
