// The sample host run as a user runs it: its picture from an image file through WIC, its
// answer given unattended, its outcome as one line of JSON.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PngWriter.h"
#include "support/ChildProcess.h"

namespace {

std::wstring WritePng(const std::wstring& name, bool truncated)
{
    // Vertical strokes on white, 64 x 32.
    std::vector<std::uint8_t> grey(64 * 32, 255);
    for (size_t i = 0; i < grey.size(); i += 5) {
        grey[i] = 0;
    }
    std::vector<std::uint8_t> png;
    std::string error;
    EXPECT_TRUE(EncodePng(64, 32, 1, grey, png, error)) << error;
    if (truncated) {
        png.resize(png.size() / 2);
    }
    wchar_t folder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name + std::to_wstring(::GetCurrentProcessId()) + L".png";
    FILE* file = _wfopen(path.c_str(), L"wb");
    std::fwrite(png.data(), 1, png.size(), file);
    std::fclose(file);
    return path;
}

ChildProcess RunSampleHost(const std::wstring& arguments)
{
    return ChildProcess::Run(L"sample_host.exe", arguments);
}

} // namespace

TEST(SampleHost, ImageFileIsShownAndTheWordComesBackAsOneLineOfJson)
{
    const std::wstring path = WritePng(L"sample-word", false);
    const ChildProcess run = RunSampleHost(L"--image \"" + path +
                                           L"\" --text Gr\u00f6\u00dfe --size 7.5 --kind 2 --mode 1 --press ok");
    ::DeleteFileW(path.c_str());
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, "{\"result\": 1, \"text\": \"Gr\\u00f6\\u00dfe\", \"changed\": false, \"size\": 7.5, "
                          "\"orientation\": 0, \"train\": 1}\r\n");
}

TEST(SampleHost, ADamagedImageIsReportedWithoutShowingTheDialog)
{
    const std::wstring path = WritePng(L"sample-cut", true);
    const ChildProcess run = RunSampleHost(L"--image \"" + path + L"\" --press ok");
    ::DeleteFileW(path.c_str());
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.output.find("cannot read "), 0u) << run.output;
    EXPECT_EQ(run.output.find("\"result\""), std::string::npos) << run.output;
}

// The library refuses OK for an empty word with a message box; unattended, the word is
// answered with Ignore instead of waiting for a person.
TEST(SampleHost, AnEmptyWordPressedOkIsAnsweredWithIgnore)
{
    const ChildProcess run = RunSampleHost(L"--text \"\" --press ok");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output,
              "{\"result\": -1, \"text\": \"\", \"changed\": false, \"size\": 24, \"orientation\": 0, \"train\": null}\r\n");
}

TEST(SampleHost, BadOptionsPrintTheUsage)
{
    for (const wchar_t* options : {L"--press maybe", L"--size 1,5", L"--length 84", L"--uncertain 2,x"}) {
        SCOPED_TRACE(testing::Message() << options);
        const ChildProcess run = RunSampleHost(options);
        EXPECT_EQ(run.exitCode, 2u);
        EXPECT_EQ(run.output.find("usage: sample_host"), 0u);
    }
}
