#include "PngWriter.h"

#include <cstdio>

namespace {

std::uint32_t Crc32(const std::uint8_t* data, size_t size, std::uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data)
{
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::vector<std::uint8_t> ZlibStored(const std::vector<std::uint8_t>& raw)
{
    std::vector<std::uint8_t> out{0x78, 0x01};
    size_t offset = 0;
    do {
        const size_t block = std::min<size_t>(65535, raw.size() - offset);
        const bool last = offset + block == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<std::uint8_t>(block));
        out.push_back(static_cast<std::uint8_t>(block >> 8));
        out.push_back(static_cast<std::uint8_t>(~block));
        out.push_back(static_cast<std::uint8_t>(~block >> 8));
        out.insert(out.end(), raw.begin() + static_cast<long>(offset), raw.begin() + static_cast<long>(offset + block));
        offset += block;
    } while (offset < raw.size());

    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, (b << 16) | a);
    return out;
}

} // namespace

std::vector<std::uint8_t> EncodePng(int width, int height, int channels, const std::vector<std::uint8_t>& pixels)
{
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<size_t>(height) * (rowBytes + 1));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0); // no filter
        const auto row = pixels.begin() + static_cast<long>(y * rowBytes);
        raw.insert(raw.end(), row, row + static_cast<long>(rowBytes));
    }

    std::vector<std::uint8_t> header;
    PutBigEndian(header, static_cast<std::uint32_t>(width));
    PutBigEndian(header, static_cast<std::uint32_t>(height));
    const std::uint8_t colourType = channels == 1 ? 0 : 2; // grey or RGB
    header.insert(header.end(), {8, colourType, 0, 0, 0}); // 8 bits, deflate, no filter, no interlace

    std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", ZlibStored(raw));
    PutChunk(png, "IEND", {});
    return png;
}

bool WritePng(const std::wstring& path, int width, int height, const std::vector<std::uint8_t>& rgb)
{
    const std::vector<std::uint8_t> png = EncodePng(width, height, 3, rgb);
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    return std::fclose(file) == 0 && written;
}
