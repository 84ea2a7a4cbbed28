#pragma once

#include <string>

#include "TeamExport.h"

// Writes in a folder, from what the database holds, exactly what a one-station session on
// the same inputs with the same answers writes for the pages done so far: each page's
// verified documents and text in pages, the training pairs in train, the engine's output in
// ocr, and text.txt. The folder is held as a session holds its own (one station or export
// at a time); everything is read and checked before the folder is made or written.
class TeamExportFiles {
public:
    // The number of pages written. Throws InputError when the folder is in use or cannot be
    // made, or for inputs the export cannot use (TeamExportPlan); SessionFailure when a file
    // cannot be written.
    static size_t Write(const TeamExportData& data, const std::wstring& folder);
};
