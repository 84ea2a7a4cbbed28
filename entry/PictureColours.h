#pragma once

#include <cstdint>

// The picture's three colours as the host passed them, one integer per component.
struct PictureColours {
    std::int32_t layer1Red;
    std::int32_t layer1Green;
    std::int32_t layer1Blue;
    std::int32_t backRed;
    std::int32_t backGreen;
    std::int32_t backBlue;
    std::int32_t layer2Red;
    std::int32_t layer2Green;
    std::int32_t layer2Blue;
};
