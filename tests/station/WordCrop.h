#pragma once

#include <string>

#include "Box.h"
#include "GreyImage.h"

// A word's training image against the page it was cut from: the pixels of the image at
// `trainingImage`, centred on the word's box, that differ from the page's own (0 when the
// crop is the page's, margin included).
int DifferingPixels(const std::wstring& trainingImage, const GreyImage& page, const Box& box);
