#pragma once

#include <memory>
#include <string>
#include <vector>

#include "LayoutDocument.h"

// A recogniser's layout document read as ALTO or PAGE XML, whichever its content is.
class LayoutReader {
public:
    // `dpis`, the image's frames' (at least one), turn ALTO's physical units on each page into
    // pixels. Throws InputError naming the file, the line and the fault.
    static std::unique_ptr<LayoutDocument> Read(const std::wstring& path, const std::vector<double>& dpis);
};
