#pragma once

#include <vector>

#include "BenchRow.h"

// The picture alone: DrawWordPicture with a word's runs against the platform drawing the
// same runs itself (MoveToEx and LineTo with a pen already selected) on the same memory
// surface; a typical word, and the worst case where every pixel is a run of its own.
class PictureBench {
public:
    static void Run(int iterations, std::vector<BenchRow>& rows);
};
