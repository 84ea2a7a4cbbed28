#pragma once

#include <vector>

#include "Box.h"
#include "GreyImage.h"
#include "PageWords.h"
#include "WordPicture.h"

// What the dialog's picture shows of the page for one word: the word where it stands in
// its line, at a scale that keeps its characters readable, with as much of the line to its
// left and right as the picture's width leaves. An operator decides a "545" beside a blot,
// a lone "." or a doubtful last letter from the words around it, as in the text itself.
class WordInLine {
public:
    // `line` holds the boxes of the words of its line, its own included, in any order.
    WordInLine(const Box& page, const Box& word, const std::vector<Box>& line);

    // Where the shown part of the page lands in the picture.
    const WordPicture::Placement& Placement() const { return m_placement; }
    // The part of the page on show.
    const Box& Shown() const { return m_shown; }

    // The dialog's picture of one of a page's words, shown in its line (WordImage draws it).
    static WordPicture Draw(const GreyImage& page, const PageWords& words, const PageWords::Word& word,
                            double uncertainBelow);

    // The scale that gives a line of words of this median height the x-height in picture
    // pixels that the doubtful characters need.
    static double ReadableScale(double medianWordHeight);

private:
    WordPicture::Placement m_placement;
    Box m_shown;
};
