// Malformed input, made at random from the committed scan and Tesseract's output for it and
// fed to the real tarsil_verify.exe, one process a case so that a crash is caught. Every
// case ends within its time limit with status 0 (the session ran: its journal is written)
// or 2 (bad input, in a message that names a file of the case), never a crash or a hang;
// on 2 nothing is written: the case's folder, its output folder included, is as before.
//
// TARSIL_RANDOM_CASES sets the number of cases (default 250) and TARSIL_RANDOM_SEED the
// seed, which is printed; TARSIL_RANDOM_CASE with the seed runs that one case alone.

#include <gtest/gtest.h>

#include <windows.h>

#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "FolderEntries.h"
#include "ImageFile.h"
#include "Malformer.h"
#include "PageImage.h"
#include "ScratchFolder.h"
#include "StationData.h"
#include "support/ChildProcess.h"

namespace {

// Where a case's malformed file goes.
enum class Place {
    kArgument,     // FILE in the arguments
    kOutputFolder, // the output folder, as an earlier session left it
};

// The files the cases start from, one line each: the file (in the committed scan's folder,
// or made by the test from it), what it holds, where it goes, and the station's arguments,
// in which FILE is the malformed file and other names are committed files. A new reader's
// seed file is one more line.
struct SeedFile {
    const wchar_t* name;
    FileContent content;
    Place place;
    const wchar_t* arguments;
};
const SeedFile kSeedFiles[] = {
    {L"page.png", FileContent::kImage, Place::kArgument, L"--image FILE --tsv page.tsv"},
    {L"page.tif", FileContent::kImage, Place::kArgument, L"--image FILE --hocr page.hocr"},
    {L"page.bmp", FileContent::kImage, Place::kArgument, L"--image FILE --tsv page.tsv"},
    {L"page.gif", FileContent::kImage, Place::kArgument, L"--image FILE --tsv page.tsv"},
    {L"page.jpg", FileContent::kImage, Place::kArgument, L"--image FILE --hocr page.hocr"},
    {L"page.tsv", FileContent::kTabular, Place::kArgument, L"--image page.png --tsv FILE"},
    {L"page.tsv", FileContent::kTabular, Place::kArgument, L"--image page.png --tsv FILE --hocr page.hocr"},
    {L"page.hocr", FileContent::kMarkup, Place::kArgument, L"--image page.png --hocr FILE"},
    {L"page.hocr", FileContent::kMarkup, Place::kArgument, L"--image page.png --tsv page.tsv --hocr FILE"},
    {L"page.choices.hocr", FileContent::kMarkup, Place::kArgument, L"--image page.png --ocr FILE"},
    {L"page.alto4.xml", FileContent::kMarkup, Place::kArgument, L"--image page.png --ocr FILE"},
    {L"scans/8087_054.3B.alto.xml", FileContent::kMarkup, Place::kArgument, L"--image scans/8087_054.3B.tif --ocr FILE"},
    {L"page.2013.xml", FileContent::kMarkup, Place::kArgument, L"--image page.png --ocr FILE"},
    {L"page.2019.xml", FileContent::kMarkup, Place::kArgument, L"--image page.png --ocr FILE"},
    {L"answers.tsv", FileContent::kTabular, Place::kArgument, L"--image page.png --tsv page.tsv --answers FILE"},
    {L"session.json", FileContent::kJson, Place::kOutputFolder, L"--image page.png --tsv page.tsv --hocr page.hocr"},
};

// What a malformed file replaces FILE with in a seed's arguments.
const wchar_t kFile[] = L"FILE";
// Shows no dialog: no word's confidence lies below 0 (each reader holds them to 0 to 100).
// A session's journal keeps its own threshold: a word it asks again is answered.
const wchar_t kNoDialog[] = L" --below 0 --audit 0 --press ok";

// The seed's arguments with the malformed file and the committed files' paths in them.
std::wstring Arguments(const SeedFile& seed, const std::wstring& file)
{
    std::wistringstream words(seed.arguments);
    std::wstring arguments;
    std::wstring word;
    while (words >> word) {
        arguments += word == kFile ? Quoted(file) : word.rfind(L"--", 0) == 0 ? word : Quoted(StationData(word));
        arguments += L" ";
    }
    return arguments;
}

// A file name in ASCII, for messages.
std::string Narrow(const std::wstring& name)
{
    return std::string(name.begin(), name.end());
}

std::wstring WithoutFolders(const std::wstring& name)
{
    return name.substr(name.find_last_of(L"/\\") + 1);
}

// The names of a case's files, one of which a message about bad input must name.
std::vector<std::string> FileNames(const SeedFile& seed)
{
    std::wistringstream words(seed.arguments);
    std::vector<std::string> names{Narrow(WithoutFolders(seed.name))};
    std::wstring word;
    while (words >> word) {
        if (word != kFile && word.rfind(L"--", 0) != 0) {
            names.push_back(Narrow(WithoutFolders(word)));
        }
    }
    return names;
}

// Every file and folder below `folder`, by its path within it, with each file's bytes.
void CollectContents(const std::wstring& folder, const std::wstring& within, std::map<std::wstring, std::string>& contents)
{
    for (const FolderEntry& entry : FolderEntries(folder)) {
        if (entry.folder) {
            contents[within + entry.name + L"\\"] = "";
            CollectContents(folder + L"\\" + entry.name, within + entry.name + L"\\", contents);
        } else {
            contents[within + entry.name] = FileBytes(folder + L"\\" + entry.name);
        }
    }
}

std::map<std::wstring, std::string> Contents(const std::wstring& folder)
{
    std::map<std::wstring, std::string> contents;
    CollectContents(folder, L"", contents);
    return contents;
}

// The seeds the test makes from the committed scan: the page in the other formats the
// station reads (its grey levels, as the station reads them), and the journal of a session
// on it with two words answered.
std::map<std::wstring, std::string> MadeSeeds(const ScratchFolder& folder)
{
    std::map<std::wstring, std::string> made;
    const PageImage page = PageImage::Read(StationData(L"page.png"));
    const std::pair<const wchar_t*, GUID> formats[] = {{L"page.tif", GUID_ContainerFormatTiff},
                                                       {L"page.bmp", GUID_ContainerFormatBmp},
                                                       {L"page.gif", GUID_ContainerFormatGif},
                                                       {L"page.jpg", GUID_ContainerFormatJpeg}};
    for (const auto& format : formats) {
        WriteImageFile(format.second, {{page.Grey(), page.Dpi()}}, true, folder / format.first);
        made[format.first] = FileBytes(folder / format.first);
    }
    const SeedFile* session = std::find_if(std::begin(kSeedFiles), std::end(kSeedFiles),
                                           [](const SeedFile& seed) { return seed.place == Place::kOutputFolder; });
    const std::wstring out = folder / L"session";
    const ChildProcess run = ChildProcess::Run(
        L"tarsil_verify.exe", Arguments(*session, L"") + L"--below 60 --press ok --out " + Quoted(out));
    made[session->name] = run.exitCode == 0 ? FileBytes(out + L"\\" + session->name) : std::string();
    return made;
}

struct Tally {
    int cases = 0;
    int ended[3] = {}; // by exit status 0, 1, 2
    int dialogCases = 0;
    ULONGLONG totalMs = 0;
    ULONGLONG slowestMs = 0;
    int slowestCase = 0;
    std::map<std::wstring, int> bySeed;
};

unsigned Setting(const char* name, unsigned fallback)
{
    const char* value = std::getenv(name);
    return value != nullptr ? static_cast<unsigned>(std::strtoul(value, nullptr, 10)) : fallback;
}

// One case: a seed file malformed, the station run on it, the outcome checked.
void RunCase(unsigned seed, unsigned number, bool replay, const std::map<std::wstring, std::string>& made,
             Tally& tally)
{
    std::seed_seq caseSeed{seed, number};
    std::mt19937 random(caseSeed);
    const SeedFile& seedFile = kSeedFiles[std::uniform_int_distribution<size_t>(0, std::size(kSeedFiles) - 1)(random)];
    const auto madeSeed = made.find(seedFile.name);
    std::string bytes = madeSeed != made.end() ? madeSeed->second : FileBytes(StationData(seedFile.name));
    ASSERT_FALSE(bytes.empty()) << "no seed " << Narrow(seedFile.name);
    Malformer malformer(random);
    const std::string malformation = malformer.Apply(bytes, seedFile.content);
    // A few cases show their dialogs and answer each with OK; the others show none.
    const bool dialogs = std::uniform_int_distribution<int>(1, 100)(random) <= 3;

    ScratchFolder folder;
    const std::wstring out = folder / L"out";
    if (seedFile.place == Place::kOutputFolder) {
        ::CreateDirectoryW(out.c_str(), nullptr);
    }
    const std::wstring file =
        (seedFile.place == Place::kOutputFolder ? out : folder.Path()) + L"\\" + WithoutFolders(seedFile.name);
    ASSERT_TRUE(WriteBytes(file, bytes));
    if (replay) {
        // Kept beside the test program, for a closer look.
        const std::wstring kept =
            ChildProcess::ProgramFolder() + L"randomised-input-" + std::to_wstring(number) + L"-" +
            WithoutFolders(seedFile.name);
        WriteBytes(kept, bytes);
        std::printf("case %u: %ls, %s; the file: %ls\n", number, seedFile.name, malformation.c_str(), kept.c_str());
    }
    const std::wstring arguments = Arguments(seedFile, file) + L"--out " + Quoted(out) +
                                   (dialogs ? L" --below 50 --press ok" : kNoDialog);
    const auto before = Contents(folder.Path());

    const ULONGLONG start = ::GetTickCount64();
    const ChildProcess run = ChildProcess::Run(L"tarsil_verify.exe", arguments);
    const ULONGLONG elapsed = ::GetTickCount64() - start;

    ++tally.cases;
    ++tally.bySeed[seedFile.name];
    tally.dialogCases += dialogs ? 1 : 0;
    tally.totalMs += elapsed;
    if (elapsed > tally.slowestMs) {
        tally.slowestMs = elapsed;
        tally.slowestCase = static_cast<int>(number);
    }
    if (run.exitCode <= 2) {
        ++tally.ended[run.exitCode];
    }

    std::string fault;
    if (run.timedOut) {
        fault = "still running after its time limit";
    } else if (run.exitCode != 0 && run.exitCode != 2) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(run.exitCode));
        fault = std::string("ended with status ") + code;
    } else if (run.exitCode == 0 &&
               ::GetFileAttributesW((out + L"\\session.json").c_str()) == INVALID_FILE_ATTRIBUTES) {
        fault = "status 0 without a journal";
    } else if (run.exitCode == 2 && Contents(folder.Path()) != before) {
        fault = "status 2, but files were written";
    } else if (run.exitCode == 2) {
        const std::vector<std::string> names = FileNames(seedFile);
        const bool named = std::any_of(names.begin(), names.end(),
                                       [&](const std::string& name) { return run.output.find(name) != std::string::npos; });
        if (run.output.rfind("tarsil_verify: ", 0) != 0 || !named) {
            fault = "status 2 without a message naming a file of the case";
        }
    }
    if (!fault.empty()) {
        ADD_FAILURE() << "case " << number << " of seed " << seed << ": "
                      << Narrow(seedFile.name) << ", " << malformation
                      << (dialogs ? ", dialogs answered" : "") << ": " << fault << " (" << elapsed << " ms)\n"
                      << run.output.substr(0, 2000);
    }
}

} // namespace

TEST(RandomisedInput, MalformedFilesEndWithStatusZeroOrTwoInTimeAndTwoWritesNothing)
{
    const unsigned seed = Setting("TARSIL_RANDOM_SEED", 20261209u);
    const unsigned cases = Setting("TARSIL_RANDOM_CASES", 250);
    const char* only = std::getenv("TARSIL_RANDOM_CASE");
    std::printf("randomised input: seed %u (TARSIL_RANDOM_SEED replays it)\n", seed);
    std::fflush(stdout);

    ScratchFolder seeds;
    const std::map<std::wstring, std::string> made = MadeSeeds(seeds);
    for (const auto& seedFile : made) {
        ASSERT_FALSE(seedFile.second.empty()) << "the seed " << std::string(seedFile.first.begin(), seedFile.first.end())
                                              << " could not be made";
    }

    // Each seed as it is: read without fault, so that its malformations test the reader (once,
    // by the share of the cases that starts at the first).
    const unsigned firstOfShare = Setting("TARSIL_RANDOM_FIRST", 0);
    if (firstOfShare == 0) {
        for (const SeedFile& seedFile : kSeedFiles) {
            ScratchFolder folder;
            const std::wstring out = folder / L"out";
            const auto madeSeed = made.find(seedFile.name);
            const std::wstring file =
                madeSeed == made.end() ? StationData(seedFile.name) : (folder / WithoutFolders(seedFile.name));
            if (seedFile.place == Place::kOutputFolder) {
                ::CreateDirectoryW(out.c_str(), nullptr);
            }
            ASSERT_TRUE(madeSeed == made.end() ||
                        WriteBytes(seedFile.place == Place::kOutputFolder ? out + L"\\" + WithoutFolders(seedFile.name) : file,
                                   madeSeed->second));
            const ChildProcess run =
                ChildProcess::Run(L"tarsil_verify.exe", Arguments(seedFile, file) + L"--out " + Quoted(out) + kNoDialog);
            ASSERT_EQ(run.exitCode, 0u) << Narrow(seedFile.name) << ": "
                                        << run.output;
        }
    }

    Tally tally;
    const unsigned first = only != nullptr ? Setting("TARSIL_RANDOM_CASE", 0) : firstOfShare;
    const unsigned last = only != nullptr ? first + 1 : cases;
    for (unsigned number = first; number < last; ++number) {
        RunCase(seed, number, only != nullptr, made, tally);
    }

    std::printf("cases: %d (status 0: %d, status 2: %d, with dialogs: %d), %.0f ms a case, slowest %llu ms (case %d), "
                "seed %u\n",
                tally.cases, tally.ended[0], tally.ended[2], tally.dialogCases,
                tally.cases > 0 ? static_cast<double>(tally.totalMs) / tally.cases : 0.0, tally.slowestMs,
                tally.slowestCase, seed);
    for (const auto& bySeed : tally.bySeed) {
        std::printf("  %ls: %d\n", bySeed.first.c_str(), bySeed.second);
    }
    EXPECT_EQ(tally.cases, static_cast<int>(last - first));
    if (only == nullptr) {
        // Both outcomes happen, and every seed file was tried: the cases reach the readers.
        EXPECT_GT(tally.ended[0], 0);
        EXPECT_GT(tally.ended[2], 0);
        std::set<std::wstring> names;
        for (const SeedFile& seedFile : kSeedFiles) {
            names.insert(seedFile.name);
        }
        EXPECT_EQ(tally.bySeed.size(), names.size());
    }
}
