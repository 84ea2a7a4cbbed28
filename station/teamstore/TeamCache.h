#pragma once

#include <string>

#include "RunFolder.h"
#include "SessionRecord.h"
#include "TeamRecords.h"

// A folder of this station's own for a team's session, removed with everything in it when
// the session ends (or by a later run, when this one is killed): the recogniser output the
// database holds, written as files so that the station's readers read it as they read any
// page's, and the engine's output for the pages it recognises.
class TeamCache {
public:
    // Makes a new folder under the user's local application data (the temporary folder
    // when there is none), named after `instance`. Throws InputError naming it when it
    // cannot be made.
    explicit TeamCache(const std::string& instance);

    const std::wstring& Folder() const { return m_folder.Path(); }
    // Writes `content` as the folder's file `name`; its full path. Throws InputError naming
    // the file when it cannot.
    std::wstring Write(const std::wstring& name, const std::string& content) const;
    // Writes a page's recogniser output as the database holds it where the readers find it,
    // named after the page ("NAME.tsv"): the file as the session records it.
    StoredFile WriteDocument(const std::string& pageName, const TeamDocument& document) const;

    // The folder of the station's own files under the user's local application data:
    // "%LOCALAPPDATA%\TarsilVerify", made when missing.
    static std::wstring StationFolder() { return RunFolder::StationFolder(); }

private:
    RunFolder m_folder;
};
