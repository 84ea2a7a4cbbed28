#include "Sha256.h"

#include <windows.h>

#include <bcrypt.h>

#include <memory>
#include <vector>

#include "InputError.h"

namespace {

struct AlgorithmCloser {
    void operator()(BCRYPT_ALG_HANDLE algorithm) const { ::BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct HashCloser {
    void operator()(BCRYPT_HASH_HANDLE hash) const { ::BCryptDestroyHash(hash); }
};
struct FileCloser {
    void operator()(HANDLE file) const { ::CloseHandle(file); }
};

} // namespace

std::string Sha256::OfFile(const std::wstring& path)
{
    HANDLE opened = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        throw InputError(path, "cannot be opened (error " + std::to_string(::GetLastError()) + ")");
    }
    const std::unique_ptr<void, FileCloser> file(opened);
    BCRYPT_ALG_HANDLE algorithmHandle = nullptr;
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&algorithmHandle, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        throw InputError(path, "cannot be hashed: the platform has no SHA-256");
    }
    const std::unique_ptr<void, AlgorithmCloser> algorithm(algorithmHandle);
    BCRYPT_HASH_HANDLE hashHandle = nullptr;
    if (!BCRYPT_SUCCESS(::BCryptCreateHash(algorithm.get(), &hashHandle, nullptr, 0, nullptr, 0, 0))) {
        throw InputError(path, "cannot be hashed: no SHA-256 object");
    }
    const std::unique_ptr<void, HashCloser> hash(hashHandle);
    std::vector<UCHAR> chunk(1 << 20);
    DWORD read = 0;
    for (;;) {
        if (!::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr)) {
            throw InputError(path, "cannot be read (error " + std::to_string(::GetLastError()) + ")");
        }
        if (read == 0) {
            break;
        }
        if (!BCRYPT_SUCCESS(::BCryptHashData(hash.get(), chunk.data(), read, 0))) {
            throw InputError(path, "cannot be hashed");
        }
    }
    UCHAR digest[32] = {};
    if (!BCRYPT_SUCCESS(::BCryptFinishHash(hash.get(), digest, sizeof digest, 0))) {
        throw InputError(path, "cannot be hashed");
    }
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (UCHAR byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}
