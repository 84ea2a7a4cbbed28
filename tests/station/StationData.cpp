#include "StationData.h"

#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "AtomicFile.h"

std::wstring StationData(const std::wstring& name)
{
    return std::wstring(TARSIL_STATION_DATA) + L"/" + name;
}

StationOptions CommittedScan(const std::wstring& out)
{
    StationOptions options;
    options.image = StationData(L"page.png");
    options.tsv = StationData(L"page.tsv");
    options.hocr = StationData(L"page.hocr");
    options.out = out;
    return options;
}

std::string FileBytes(const std::wstring& path)
{
    std::string content;
    std::string unread;
    AtomicFile::Read(path, content, unread);
    return content;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

void WriteFile(const std::wstring& path, const std::string& content)
{
    std::string error;
    ASSERT_TRUE(AtomicFile::Write(path, content, error)) << error;
}

void Copy(const std::wstring& from, const std::wstring& to)
{
    ASSERT_TRUE(::CopyFileW(from.c_str(), to.c_str(), FALSE)) << ::GetLastError();
}

FILETIME LastWritten(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

std::wstring Quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}

void AnswerWord(DialogDriver& driver, int ordinal, int total, const std::function<void(DialogDriver&)>& answer)
{
    // The caption, or the caption of a word whose text is proposed.
    const std::wstring caption =
        L"Word Verification \u2013 " + std::to_wstring(ordinal) + L" of " + std::to_wstring(total);
    const std::wstring proposed = caption + L" \u2013 ";
    driver.WaitUntil([caption, proposed](DialogDriver& d) {
        const std::wstring shown = DialogDriver::WindowText(d.Dialog());
        return shown == caption || shown.rfind(proposed, 0) == 0;
    });
    answer(driver);
}
