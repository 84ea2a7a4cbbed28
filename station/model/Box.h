#pragma once

#include <algorithm>

// A rectangle of page pixels: columns left to left + width - 1, rows top to top + height - 1.
struct Box {
    // The largest coordinate or size a reader accepts: sums and differences of two stay
    // far within int, and a page of that size would be 85 m wide at 300 dpi.
    static constexpr int kMaxCoordinate = 1000000;

    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
    bool Empty() const { return width <= 0 || height <= 0; }
    bool Contains(int x, int y) const { return x >= left && x < Right() && y >= top && y < Bottom(); }
    bool operator==(const Box& other) const
    {
        return left == other.left && top == other.top && width == other.width && height == other.height;
    }

    // The part of this box inside `other` (empty when they do not meet).
    Box ClippedTo(const Box& other) const
    {
        const int newLeft = std::max(left, other.left);
        const int newTop = std::max(top, other.top);
        const int newRight = std::min(Right(), other.Right());
        const int newBottom = std::min(Bottom(), other.Bottom());
        return {newLeft, newTop, std::max(0, newRight - newLeft), std::max(0, newBottom - newTop)};
    }
};
