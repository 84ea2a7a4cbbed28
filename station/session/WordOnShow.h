#pragma once

#include <cstddef>

#include "PageWords.h"
#include "PreparedPage.h"

// The word whose dialog is on show, for a dialog function that answers without a person: the
// library's signature carries the word's text and picture only. Set by WordDialog for the time
// of its call; the library serves one call at a time.
class WordOnShow {
public:
    WordOnShow(size_t position, const PreparedPage& page, const PageWords::Word& word);
    ~WordOnShow();
    WordOnShow(const WordOnShow&) = delete;
    WordOnShow& operator=(const WordOnShow&) = delete;

    // The word on show, or null outside a dialog's call.
    static const WordOnShow* Current();

    size_t Position() const { return m_position; } // the page's, in the batch
    const PreparedPage& Page() const { return m_page; }
    const PageWords::Word& Word() const { return m_word; }

private:
    size_t m_position;
    const PreparedPage& m_page;
    const PageWords::Word& m_word;
};
