// The session's files as a user meets them: an input named again as an output, a file that
// another program (an indexer, a sync client, antivirus) holds for a moment, and an output
// that cannot be written, found before the first dialog.

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "InputError.h"
#include "ScratchFolder.h"
#include "SessionJournal.h"
#include "StationData.h"
#include "TarsilDlg29.h"
#include "VerificationSession.h"
#include "support/ChildProcess.h"

namespace {

// Every file below `folder` with its bytes, by its path below the folder.
std::map<std::wstring, std::string> Listing(const std::wstring& folder, const std::wstring& below = L"")
{
    std::map<std::wstring, std::string> files;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"\\" + below + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return files;
    }
    do {
        const std::wstring name = below + found.cFileName;
        if (name.back() == L'.') {
            continue;
        }
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            files[name + L"\\"] = "";
            const auto inside = Listing(folder, name + L"\\");
            files.insert(inside.begin(), inside.end());
        } else {
            files[name] = FileBytes(folder + L"\\" + name);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return files;
}

// A file held open without any sharing, as another program holds it, until `milliseconds`
// have passed (a thread lets it go), or until the holder goes. Sharing is checked per open
// handle, whichever process holds it.
class HeldFile {
public:
    HeldFile(const std::wstring& path, DWORD milliseconds)
        : m_file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr))
        , m_milliseconds(milliseconds)
    {
        EXPECT_NE(m_file, INVALID_HANDLE_VALUE) << ::GetLastError();
        // Held indeed: nobody else can open it now.
        const HANDLE other = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(other, INVALID_HANDLE_VALUE);
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        if (milliseconds != INFINITE) {
            m_thread = ::CreateThread(nullptr, 0, &HeldFile::LetGoLater, this, 0, nullptr);
        }
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    ~HeldFile()
    {
        if (m_thread != nullptr) {
            ::WaitForSingleObject(m_thread, INFINITE);
            ::CloseHandle(m_thread);
        } else {
            ::CloseHandle(m_file);
        }
    }

private:
    static DWORD WINAPI LetGoLater(void* self) noexcept
    {
        auto* held = static_cast<HeldFile*>(self);
        ::Sleep(held->m_milliseconds);
        ::CloseHandle(held->m_file);
        return 0;
    }

    HANDLE m_file;
    DWORD m_milliseconds;
    HANDLE m_thread = nullptr;
};

// The dialog as a stand-in: each word answered with Ignore at once, and session.json held by
// another program while the second answer is written.
struct HoldJournal {
    std::wstring journal;
    int calls = 0;
    std::unique_ptr<HeldFile> held;
};
HoldJournal g_hold;

int WINAPI IgnoreWhileTheJournalIsHeld(HWND, int, int, wchar_t*, int, double*, double*, int, int, int, int, int, int,
                                       int, int, int, int, LayerDrawFn, LayerDrawFn, int*, int*, int*, TextLookupFn)
{
    if (++g_hold.calls == 2) {
        g_hold.held = std::make_unique<HeldFile>(g_hold.journal, 400);
    }
    return TARSIL_RESULT_IGNORE;
}

} // namespace

TEST(StationFiles, AnInputTheSessionWouldOverwriteIsRefusedBeforeAnyDialogWithNothingWritten)
{
    ScratchFolder folder;
    const std::wstring out = folder / L"out";
    ASSERT_TRUE(::CreateDirectoryW(out.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((out + L"\\train").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((folder / L"shots").c_str(), nullptr));
    Copy(StationData(L"page.tsv"), out + L"\\verified.tsv");
    Copy(StationData(L"page.png"), out + L"\\train\\page.png");
    Copy(StationData(L"page.png"), folder / L"shots\\0014.png");
    Copy(StationData(L"page.png"), folder / L"shots\\page.png");
    const auto before = Listing(folder.Path());

    struct Case {
        const char* name;
        std::wstring image;
        std::wstring tsv;
        std::wstring screenshots;
        std::wstring named; // the input the message names
    };
    const Case cases[] = {
        {"an input named as an output, in other letters and by another way",
         StationData(L"page.png"), folder / L"OUT\\..\\out\\VERIFIED.TSV", L"", L"VERIFIED.TSV"},
        {"an input among the training pairs", out + L"\\train\\page.png", StationData(L"page.tsv"), L"",
         L"train\\page.png"},
        {"an input a screenshot would overwrite", folder / L"shots\\0014.png", StationData(L"page.tsv"),
         folder / L"shots", L"shots\\0014.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StationOptions options;
        options.image = c.image;
        options.tsv = c.tsv;
        options.out = out;
        options.screenshots = c.screenshots;
        options.press = L"ok";
        VerificationSession session(options, &RastStartDialog, [](const std::string&) {});
        try {
            session.Prepare();
            ADD_FAILURE() << "not refused";
        } catch (const InputError& refused) {
            const std::string message = refused.what();
            EXPECT_NE(message.find(std::string(c.named.begin(), c.named.end())), std::string::npos) << message;
            EXPECT_NE(message.find("the session would overwrite it"), std::string::npos) << message;
        }
        EXPECT_EQ(Listing(folder.Path()), before);
    }

    // A batch of the training crops, verified into the folder they came from.
    StationOptions batch;
    batch.inputs = {out + L"\\train"};
    batch.out = out;
    VerificationSession crops(batch, &RastStartDialog, [](const std::string&) {});
    try {
        crops.Prepare();
        ADD_FAILURE() << "a batch over its own training pairs is not refused";
    } catch (const InputError& refused) {
        EXPECT_NE(std::string(refused.what()).find("page.png: is an input, and the session would overwrite it as "),
                  std::string::npos)
            << refused.what();
    }
    EXPECT_EQ(Listing(folder.Path()), before);

    // As a user types it: exit status 2, the message, nothing written.
    const ChildProcess run = ChildProcess::Run(
        L"tarsil_verify.exe", L"--image \"" + StationData(L"page.png") + L"\" --tsv \"" + out + L"\\verified.tsv\" --out \"" +
                                  out + L"\" --press ok");
    EXPECT_EQ(run.exitCode, 2u) << run.output;
    EXPECT_NE(run.output.find("verified.tsv: is an input, and the session would overwrite it"), std::string::npos)
        << run.output;
    EXPECT_EQ(Listing(folder.Path()), before);

    // Screenshots beside the inputs are fine: they do not overwrite one.
    StationOptions beside = CommittedScan(out + L"2");
    beside.image = folder / L"shots\\page.png";
    beside.screenshots = folder / L"shots";
    beside.below = 0; // nothing to show
    VerificationSession session(beside, &RastStartDialog, [](const std::string&) {});
    EXPECT_NO_THROW(session.Prepare());
}

TEST(StationFiles, AFileAnotherProgramHoldsForAMomentIsWaitedForAndTheAnswerKept)
{
    ScratchFolder folder;
    Copy(StationData(L"page.tsv"), folder / L"page.tsv");
    StationOptions options = CommittedScan(folder / L"out");
    options.tsv = folder / L"page.tsv";
    options.below = 60; // two words: 14 "“based" (23) and 36 "“either" (56)
    g_hold = HoldJournal();
    g_hold.journal = options.out + L"\\session.json";
    VerificationSession session(options, &IgnoreWhileTheJournalIsHeld, [](const std::string&) {});
    {
        // The TSV, held while the station reads it.
        const HeldFile heldInput(options.tsv, 400);
        EXPECT_NO_THROW(session.Prepare());
    }
    EXPECT_NO_THROW(session.Run());
    g_hold.held.reset();
    EXPECT_EQ(g_hold.calls, 2);
    SessionRecord journal;
    std::string error;
    ASSERT_TRUE(SessionJournal::FromJson(FileBytes(g_hold.journal), journal, error)) << error;
    ASSERT_EQ(journal.pages.size(), 1u);
    ASSERT_EQ(journal.pages.front().words.size(), 2u);
    EXPECT_EQ(journal.pages.front().words[1].index, 36);
    EXPECT_EQ(journal.pages.front().words[1].outcome, WordOutcome::kIgnore);
    EXPECT_TRUE(journal.finished);
}

TEST(StationFiles, AnOutputThatCannotBeWrittenIsFoundBeforeTheFirstDialogWithNothingWritten)
{
    ScratchFolder folder;
    const std::wstring out = folder / L"out";
    const StationOptions options = CommittedScan(out);
    {
        // A finished earlier session: its files are what the next session replaces.
        StationOptions earlier = options;
        earlier.below = 0;
        VerificationSession session(earlier, &RastStartDialog, [](const std::string&) {});
        session.Prepare();
        session.Run();
    }
    struct Case {
        const char* name;
        std::wstring file;
        bool readOnly; // else held by another program for longer than the station waits
        const char* reason;
    };
    const Case cases[] = {
        {"a read-only text", out + L"\\text.txt", true, "the output folder cannot be written: text.txt: the file is read-only"},
        {"a held verified TSV", out + L"\\verified.tsv", false, "the output folder cannot be written: verified.tsv: "},
        {"a held journal", out + L"\\session.json", false, "session.json: cannot be read: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = Listing(folder.Path());
        std::unique_ptr<HeldFile> held;
        if (c.readOnly) {
            ::SetFileAttributesW(c.file.c_str(), FILE_ATTRIBUTE_READONLY);
        } else {
            held = std::make_unique<HeldFile>(c.file, INFINITE);
        }
        int dialogs = 0;
        {
            DialogDriver driver(20000);
            VerificationSession session(options, &RastStartDialog, [](const std::string&) {});
            try {
                session.Prepare();
                session.Run();
                ADD_FAILURE() << "not refused";
            } catch (const InputError& refused) {
                EXPECT_NE(std::string(refused.what()).find(c.reason), std::string::npos) << refused.what();
            }
            dialogs = driver.DialogsOpened();
        }
        held.reset();
        ::SetFileAttributesW(c.file.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(dialogs, 0);
        EXPECT_EQ(Listing(folder.Path()), before);
    }
}
