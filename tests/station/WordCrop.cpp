#include "WordCrop.h"

#include "PageImage.h"

int DifferingPixels(const std::wstring& trainingImage, const GreyImage& page, const Box& box)
{
    const GreyImage crop = PageImage::Read(trainingImage).Grey();
    const int left = box.left - (crop.width - box.width) / 2;
    const int top = box.top - (crop.height - box.height) / 2;
    int differing = 0;
    for (int y = 0; y < crop.height; ++y) {
        for (int x = 0; x < crop.width; ++x) {
            differing += crop.At(x, y) != page.At(left + x, top + y) ? 1 : 0;
        }
    }
    return differing;
}
