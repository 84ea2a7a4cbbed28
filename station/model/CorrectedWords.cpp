#include "CorrectedWords.h"

#include <cmath>

#include "Utf8.h"

CorrectedWords::CorrectedWords(const std::string& corrected)
{
    const size_t characters = Utf8CodePoints(corrected);
    size_t position = 0; // in characters
    Piece piece;
    size_t pieceStart = 0;
    for (size_t i = 0; i <= corrected.size(); ++i) {
        const bool end = i == corrected.size();
        const bool blank = !end && corrected[i] == ' ';
        if (end || blank) {
            if (!piece.text.empty()) {
                piece.from = static_cast<double>(pieceStart) / static_cast<double>(characters);
                piece.to = static_cast<double>(position) / static_cast<double>(characters);
                m_pieces.push_back(piece);
                piece = Piece();
            }
            if (end) {
                break;
            }
        } else {
            if (piece.text.empty()) {
                pieceStart = position;
            }
            piece.text += corrected[i];
        }
        position += Utf8ContinuationByte(corrected[i]) ? 0 : 1;
    }
    if (m_pieces.empty()) {
        m_pieces.push_back(Piece());
    }
}

long long CorrectedWords::Edge(long long left, long long width, double fraction)
{
    return left + std::llround(static_cast<double>(width) * fraction);
}

Box CorrectedWords::Share(const Box& box, double from, double to)
{
    Box share = box;
    share.left = static_cast<int>(Edge(box.left, box.width, from));
    share.width = static_cast<int>(Edge(box.left, box.width, to)) - share.left;
    return share;
}
