#pragma once

#include <memory>
#include <string>

#include "PageImage.h"
#include "PageOcr.h"
#include "PageWords.h"

// A page ready for its dialogs: decoded, its words read; or why it could not be.
struct PreparedPage {
    size_t position = 0;
    std::string failure; // not empty: the page failed (the engine, or its output)
    PageImage image;
    PageWords words;
    std::shared_ptr<const PageOcr> ocr;
};
