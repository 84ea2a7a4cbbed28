#include "WordInLine.h"

#include <algorithm>
#include <cmath>

#include "WordImage.h"

namespace {

// The x-height the word is drawn at, in picture pixels. Measured on the test data's scans
// (bench --readability): of the 126 characters of the 22 doubtful words of the 300-dpi
// magazine page (x-height 18 px), the picture keeps every mark of the page (each letter,
// accent, dot, and each counter of "e", "a", "o") for 98 to 100 % at x-heights of 14 px
// and more, 91 % at 10 px, 76 % at 8 px, 56 % at 4 px: below about 14 px accents merge with
// their letters and counters fill in, just where "é" and "ć" or "e" and "c" are told
// apart. 20 px keeps them all there, with room to spare for a share below the one assumed
// next, and leaves the picture's 528 pixels about 26 x-heights of the line: the word and
// one or two words on each side.
constexpr double kXHeightInPicture = 20;
// A line's x-height as a share of the median height of its words' boxes, which every
// format gives (an ascender or a descender makes most boxes taller than the x-height).
// Measured from the words without ascenders or descenders: 0.61 on the magazine page (42
// lines), 0.75 on the 200-dpi text (6 lines), 0.82 on the 72-dpi page (2 lines). The least
// is taken: where the share is larger the x-height comes out larger, never smaller.
constexpr double kXHeightShareOfWordHeight = 0.61;

// The span [from, to) of `size` that a window of `window` units shows around `centre`: all
// of it when it fits, else centred and pushed back inside.
void Window(double centre, double window, int from, int to, int& shownFrom, int& shownTo)
{
    if (to - from <= window) {
        shownFrom = from;
        shownTo = to;
        return;
    }
    const double start = std::clamp(centre - window / 2, static_cast<double>(from), to - window);
    shownFrom = static_cast<int>(std::floor(start));
    shownTo = std::min(to, static_cast<int>(std::ceil(start + window)));
}

} // namespace

WordPicture WordInLine::Draw(const GreyImage& page, const PageWords& words, const PageWords::Word& word,
                             double uncertainBelow)
{
    std::vector<Box> line;
    for (const PageWords::Word& other : words.Words()) {
        if (other.line == word.line) {
            line.push_back(other.box);
        }
    }
    const WordInLine view(Box{0, 0, page.width, page.height}, word.box, line);
    return WordImage(page, word.box).Picture(view.Placement(), word.characters, uncertainBelow);
}

double WordInLine::ReadableScale(double medianWordHeight)
{
    return kXHeightInPicture / (std::max(1.0, medianWordHeight) * kXHeightShareOfWordHeight);
}

WordInLine::WordInLine(const Box& page, const Box& word, const std::vector<Box>& line)
{
    const Box crop = WordImage::WithMargin(word).ClippedTo(page);
    if (word.ClippedTo(page).Empty()) {
        return;
    }
    // The line's extent, each word with its margin, on the page; its median word height.
    std::vector<int> heights;
    Box extent = crop;
    for (const Box& box : line) {
        if (box.Empty()) {
            continue;
        }
        heights.push_back(box.height);
        const Box widened = WordImage::WithMargin(box).ClippedTo(page);
        if (widened.Empty()) {
            continue;
        }
        const int left = std::min(extent.left, widened.left);
        const int top = std::min(extent.top, widened.top);
        extent = {left, top, std::max(extent.Right(), widened.Right()) - left,
                  std::max(extent.Bottom(), widened.Bottom()) - top};
    }
    if (heights.empty()) {
        heights.push_back(word.height);
    }
    std::nth_element(heights.begin(), heights.begin() + static_cast<std::ptrdiff_t>(heights.size() / 2), heights.end());
    const double median = heights[heights.size() / 2];

    // Readable, and never so large that the word itself would not fit.
    const double scale = std::min({ReadableScale(median), static_cast<double>(WordPicture::kWidth) / crop.width,
                                   static_cast<double>(WordPicture::kHeight) / crop.height});
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    Window(crop.left + crop.width / 2.0, WordPicture::kWidth / scale, extent.left, extent.Right(), left, right);
    Window(crop.top + crop.height / 2.0, WordPicture::kHeight / scale, extent.top, extent.Bottom(), top, bottom);
    m_shown = {left, top, right - left, bottom - top};

    m_placement.scale = scale;
    m_placement.width = std::min(WordPicture::kWidth, static_cast<int>(std::lround(m_shown.width * scale)));
    m_placement.height = std::min(WordPicture::kHeight, static_cast<int>(std::lround(m_shown.height * scale)));
    m_placement.left = (WordPicture::kWidth - m_placement.width) / 2;
    m_placement.top = (WordPicture::kHeight - m_placement.height) / 2;
    m_placement.sourceLeft = m_shown.left;
    m_placement.sourceTop = m_shown.top;
}
