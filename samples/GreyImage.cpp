#include "GreyImage.h"

#include <cstdio>

namespace {

std::uint32_t Little(const std::vector<std::uint8_t>& bytes, size_t offset, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | bytes[offset + static_cast<size_t>(i)];
    }
    return value;
}

} // namespace

std::uint8_t GreyLevel(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return static_cast<std::uint8_t>((red * 299 + green * 587 + blue * 114) / 1000);
}

bool ReadBmp(const std::wstring& path, GreyImage& image, std::string& error)
{
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        error = "cannot open the file";
        return false;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    size_t read = 0;
    while ((read = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + read);
    }
    std::fclose(file);
    return DecodeBmp(bytes, image, error);
}

bool DecodeBmp(const std::vector<std::uint8_t>& file, GreyImage& image, std::string& error)
{
    constexpr size_t kFileHeader = 14;
    if (file.size() < kFileHeader + 40 || file[0] != 'B' || file[1] != 'M') {
        error = "not a BMP file (or shorter than its headers)";
        return false;
    }
    const std::uint32_t pixelOffset = Little(file, 10, 4);
    const std::uint32_t headerSize = Little(file, 14, 4);
    const auto width = static_cast<std::int32_t>(Little(file, 18, 4));
    const auto signedHeight = static_cast<std::int32_t>(Little(file, 22, 4));
    const std::uint32_t bitsPerPixel = Little(file, 28, 2);
    const std::uint32_t compression = Little(file, 30, 4);
    std::uint32_t paletteSize = Little(file, 46, 4);

    if (headerSize < 40 || kFileHeader + headerSize > file.size()) {
        error = "unsupported BMP header";
        return false;
    }
    // BI_RGB, or BI_BITFIELDS with the usual 32-bit layout.
    if (compression != 0 && !(compression == 3 && bitsPerPixel == 32)) {
        error = "compressed BMP files are not supported";
        return false;
    }
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) {
        error = "unsupported bits per pixel: " + std::to_string(bitsPerPixel);
        return false;
    }
    if (width <= 0 || signedHeight == 0 || width > 20000 || signedHeight > 20000 || signedHeight < -20000) {
        error = "unsupported image size";
        return false;
    }
    const bool topDown = signedHeight < 0;
    const int height = topDown ? -signedHeight : signedHeight;

    std::vector<std::uint8_t> palette;
    if (bitsPerPixel <= 8) {
        if (paletteSize == 0 || paletteSize > (1u << bitsPerPixel)) {
            paletteSize = 1u << bitsPerPixel;
        }
        const size_t paletteOffset = kFileHeader + headerSize;
        if (paletteOffset + paletteSize * 4 > file.size()) {
            error = "the file ends inside its colour table";
            return false;
        }
        for (std::uint32_t i = 0; i < paletteSize; ++i) {
            const size_t entry = paletteOffset + i * 4;
            palette.push_back(GreyLevel(file[entry + 2], file[entry + 1], file[entry]));
        }
    }

    const size_t stride = ((static_cast<size_t>(width) * bitsPerPixel + 31) / 32) * 4;
    if (pixelOffset > file.size() || stride * static_cast<size_t>(height) > file.size() - pixelOffset) {
        error = "the file ends before its last row of pixels";
        return false;
    }

    image.width = width;
    image.height = height;
    image.grey.assign(static_cast<size_t>(width) * height, 255);
    for (int row = 0; row < height; ++row) {
        const size_t rowStart = pixelOffset + stride * static_cast<size_t>(topDown ? row : height - 1 - row);
        for (int x = 0; x < width; ++x) {
            std::uint8_t grey = 255;
            if (bitsPerPixel <= 8) {
                const size_t bit = static_cast<size_t>(x) * bitsPerPixel;
                const std::uint8_t byte = file[rowStart + bit / 8];
                const unsigned index = (byte >> (8 - bitsPerPixel - bit % 8)) & ((1u << bitsPerPixel) - 1);
                grey = index < palette.size() ? palette[index] : 255;
            } else {
                const size_t pixel = rowStart + static_cast<size_t>(x) * (bitsPerPixel / 8);
                grey = GreyLevel(file[pixel + 2], file[pixel + 1], file[pixel]);
            }
            image.grey[static_cast<size_t>(row) * width + x] = grey;
        }
    }
    return true;
}
