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
    // The same page read by the engine's second model (--second-lang): empty without one, or
    // when its run failed, which `secondFailure` then says (the page goes on without it).
    PageWords secondWords;
    bool readTwice = false; // `secondWords` is the second model's reading (which may hold no word)
    std::string secondFailure;
    std::shared_ptr<const PageOcr> ocr;
};
