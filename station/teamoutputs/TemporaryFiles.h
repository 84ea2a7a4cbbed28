#pragma once

#include <string>

#include "RunFolder.h"

// Files that last as long as this object, in a folder of the run's own under the station's
// folder (which a later run removes when this one is killed): bytes a reader of files needs
// as a file, such as a recogniser output the database holds.
class TemporaryFiles {
public:
    // Makes the folder. Throws SessionFailure when it cannot be made.
    TemporaryFiles();
    TemporaryFiles(const TemporaryFiles&) = delete;
    TemporaryFiles& operator=(const TemporaryFiles&) = delete;

    // A new file of its own, holding `content`; its full path. Throws SessionFailure when
    // it cannot be written.
    std::wstring Add(const std::string& content);

private:
    RunFolder m_folder;
    unsigned m_files = 0;
};
