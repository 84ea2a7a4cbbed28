// Files made to hurt the station, each once found by the randomised run: an image whose
// header claims a size that cannot be decoded, numbers of a million digits, and a journal
// whose answers are not for the page's words as they are shown. Each is refused in time as
// bad input (status 2) or read, never a crash, a hang or status 1.

#include <gtest/gtest.h>

#include <windows.h>

#include <wincodec.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "ImageFile.h"
#include "InputError.h"
#include "PageImage.h"
#include "ScratchFolder.h"
#include "StationData.h"
#include "support/ChildProcess.h"

namespace {

std::string LittleEndian(std::uint32_t value, size_t bytes)
{
    std::string text;
    for (size_t i = 0; i < bytes; ++i) {
        text += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return text;
}

// The message PageImage::Read gives for the file, or "" when it reads it.
std::string ReadError(const std::wstring& path)
{
    try {
        PageImage::Read(path);
    } catch (const InputError& error) {
        return error.what();
    }
    return "";
}

} // namespace

TEST(HostileInput, ImagesClaimingAnUndecodableSizeAreRefusedBeforeTheyAreDecoded)
{
    ScratchFolder folder;
    // A BMP header for 100,000,000 x 2 pixels: within the pixel count, but a strip of its
    // rows took gigabytes (std::bad_alloc, status 1).
    const std::string bmp = "BM" + LittleEndian(54 + 64, 4) + LittleEndian(0, 4) + LittleEndian(54, 4) +
                            LittleEndian(40, 4) + LittleEndian(100000000, 4) + LittleEndian(2, 4) +
                            LittleEndian(1, 2) + LittleEndian(24, 2) + std::string(24, '\0') + std::string(64, '\x7F');
    ASSERT_TRUE(WriteBytes(folder / L"wide.bmp", bmp));
    EXPECT_NE(ReadError(folder / L"wide.bmp").find("unsupported image size 100000000 x 2"), std::string::npos)
        << ReadError(folder / L"wide.bmp");

    // The page as a JPEG whose frame claims 57,600 x 57,600 pixels: Wine's decoder decoded
    // it as it opened the file and overran its buffer (an access violation after seconds).
    const PageImage page = PageImage::Read(StationData(L"page.png"));
    WriteImageFile(GUID_ContainerFormatJpeg, {{page.Grey(), page.Dpi()}}, true, folder / L"page.jpg");
    std::string jpeg = FileBytes(folder / L"page.jpg");
    const size_t frame = jpeg.find(std::string("\xFF\xC0", 2));
    ASSERT_NE(frame, std::string::npos);
    jpeg.replace(frame + 5, 4, std::string("\xE1\x00\xE1\x00", 4));
    ASSERT_TRUE(WriteBytes(folder / L"huge.jpg", jpeg));
    EXPECT_NE(ReadError(folder / L"huge.jpg").find("unsupported image size 57600 x 57600"), std::string::npos)
        << ReadError(folder / L"huge.jpg");
    // Unchanged, it is read.
    jpeg.replace(frame + 5, 4, std::string("\x00\xBF\x01\x80", 4));
    ASSERT_TRUE(WriteBytes(folder / L"page.jpg", jpeg));
    EXPECT_EQ(ReadError(folder / L"page.jpg"), "");
}

TEST(HostileInput, NumbersOfAMillionDigitsAreReadInTime)
{
    // The C runtime's strtod took a minute for such a number under Wine.
    ScratchFolder folder;
    const std::wstring image = L"--image " + Quoted(StationData(L"page.png"));
    ASSERT_TRUE(WriteBytes(folder / L"long.tsv",
                           "level\tpage_num\tblock_num\tpar_num\tline_num\tword_num\tleft\ttop\twidth\theight\tconf\ttext\n"
                           "5\t1\t1\t1\t1\t1\t74\t12\t68\t18\t50." +
                               std::string(1000000, '1') + "\tword\n"));
    const ChildProcess tsv = ChildProcess::Run(
        L"tarsil_verify.exe",
        image + L" --tsv " + Quoted(folder / L"long.tsv") + L" --below 0 --audit 0 --out " + Quoted(folder / L"tsv"), 10000);
    EXPECT_EQ(tsv.exitCode, 0u) << tsv.output.substr(0, 500);

    // A journal with such a number is not one the station wrote.
    const std::wstring session = image + L" --tsv " + Quoted(StationData(L"page.tsv")) + L" --below 0 --audit 0 --out " +
                                 Quoted(folder / L"session");
    ASSERT_EQ(ChildProcess::Run(L"tarsil_verify.exe", session).exitCode, 0u);
    std::string journal = FileBytes(folder / L"session\\session.json");
    const size_t below = journal.find("\"below\": ");
    ASSERT_NE(below, std::string::npos);
    journal.insert(below + 9, "0." + std::string(1000000, '1') + ", \"before\": ");
    ASSERT_TRUE(WriteBytes(folder / L"session\\session.json", journal));
    const ChildProcess resumed = ChildProcess::Run(L"tarsil_verify.exe", session, 10000);
    EXPECT_EQ(resumed.exitCode, 2u) << resumed.output.substr(0, 500);
    EXPECT_NE(resumed.output.find("is not a session of this program (a number of 1000002 characters)"),
              std::string::npos)
        << resumed.output.substr(0, 500);
    EXPECT_EQ(FileBytes(folder / L"session\\session.json"), journal);
}

TEST(HostileInput, AnEarlierAnswerCountsOnlyForThePagesWordAsItIsShown)
{
    // A word answered OK for training, and one skipped for its empty box.
    ScratchFolder folder;
    ASSERT_TRUE(WriteBytes(folder / L"page.tsv",
                           "level\tpage_num\tblock_num\tpar_num\tline_num\tword_num\tleft\ttop\twidth\theight\tconf\ttext\n"
                           "5\t1\t2\t1\t1\t1\t74\t12\t68\t18\t22.721909\tbased\n"
                           "5\t1\t2\t1\t1\t2\t150\t12\t0\t18\t30\tflat\n"));
    const std::wstring out = folder / L"out";
    const std::wstring arguments = L"--image " + Quoted(StationData(L"page.png")) + L" --tsv " +
                                   Quoted(folder / L"page.tsv") + L" --out " + Quoted(out);
    ASSERT_EQ(ChildProcess::Run(L"tarsil_verify.exe", arguments + L" --below 60 --press ok").exitCode, 0u);
    const std::string journal = FileBytes(out + L"\\session.json");
    const size_t skipped = journal.find("\"outcome\": \"skipped\"");
    ASSERT_NE(skipped, std::string::npos);
    const size_t skippedEnd = journal.find("\"train\": false", skipped) + 14;

    struct Case {
        const char* name;
        size_t at;
        size_t length;
        std::string to;
        const char* gone; // of the journal, once the session has run
        const char* message;
    };
    // The training pair of an earlier answer was cut by the journal's box: outside the page
    // or empty, there was nothing to encode (status 1).
    const Case cases[] = {
        {"another box", journal.find("\"left\": 74"), 10, "\"left\": 9000", "\"left\": 9000",
         "word 2 of the journal is not the page's as shown: asked again"},
        {"a skipped word answered", skipped, skippedEnd - skipped,
         "\"outcome\": \"ok\", \"corrected\": \"flat\", \"changed\": false, \"train\": true", "\"corrected\": \"flat\"",
         "word 3 of the journal is not the page's as shown: asked again"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string tampered = journal;
        ASSERT_NE(c.at, std::string::npos);
        tampered.replace(c.at, c.length, c.to);
        // As a station ended during the page leaves it: the next run finishes the page.
        const size_t state = tampered.find("\"state\": \"done\"");
        ASSERT_NE(state, std::string::npos);
        tampered.replace(state, 15, "\"state\": \"in progress\"");
        ASSERT_TRUE(WriteBytes(out + L"\\session.json", tampered));
        // The session goes on with its own threshold: the word asked again is shown.
        const ChildProcess run = ChildProcess::Run(L"tarsil_verify.exe", arguments + L" --press ok");
        EXPECT_EQ(run.exitCode, 0u) << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
        EXPECT_EQ(FileBytes(out + L"\\session.json").find(c.gone), std::string::npos);
    }
}
