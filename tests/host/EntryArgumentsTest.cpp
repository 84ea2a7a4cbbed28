// Calls the entry refuses or serves without a dialog, and calls that must not overlap.

#include <gtest/gtest.h>

#include <functional>

#include "dialog/ControlIds.h"
#include "support/DialogDriver.h"
#include "support/HostCall.h"

namespace {

// Runs a call that must return at once, without showing a dialog.
void RunWithoutDialog(HostCall& call)
{
    DialogDriver driver(2000);
    call.Run();
    EXPECT_EQ(driver.DialogsOpened(), 0);
}

} // namespace

TEST(EntryArguments, NoLayerCallbackReturnsZeroAtOnceAndWritesNothing)
{
    HostCall call;
    call.drawLayer1 = nullptr;
    call.drawLayer2 = nullptr;
    // Without a dialog the out-pointers are not needed.
    call.reservedOut = nullptr;
    call.trainOut = nullptr;
    call.unchangedOut = nullptr;

    RunWithoutDialog(call);
    EXPECT_EQ(call.result, 0);
    EXPECT_EQ(call.lastError, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(call.NothingWritten());
}

TEST(EntryArguments, BadArgumentsAreRefusedWithInvalidParameter)
{
    static HWND destroyedWindow = [] {
        HWND window = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                        nullptr);
        ::DestroyWindow(window);
        return window;
    }();
    const std::pair<const char*, std::function<void(HostCall&)>> cases[] = {
        {"negative length", [](HostCall& c) { c.length = -1; }},
        {"length beyond the record", [](HostCall& c) { c.length = 84; }},
        {"null text with a length", [](HostCall& c) { c.text = nullptr; c.length = 1; }},
        {"null size", [](HostCall& c) { c.size = nullptr; }},
        {"null orientation", [](HostCall& c) { c.orientation = nullptr; }},
        {"null size without callbacks", [](HostCall& c) { c.size = nullptr; c.drawLayer1 = nullptr; }},
        {"null reservedOut", [](HostCall& c) { c.reservedOut = nullptr; }},
        {"null trainOut", [](HostCall& c) { c.trainOut = nullptr; }},
        {"null unchangedOut with only layer 2", [](HostCall& c) {
             c.unchangedOut = nullptr;
             c.drawLayer2 = c.drawLayer1;
             c.drawLayer1 = nullptr;
         }},
        {"parent that is not a window", [](HostCall& c) { c.parent = destroyedWindow; }},
    };
    for (const auto& [name, makeBad] : cases) {
        SCOPED_TRACE(name);
        HostCall call;
        makeBad(call);
        RunWithoutDialog(call);
        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.lastError, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_TRUE(call.NothingWritten());
    }
}

TEST(EntryArguments, NullLookupShowsTheBuiltInTexts)
{
    HostCall call;
    call.lookup = nullptr;
    std::wstring caption;
    std::wstring okText;

    DialogDriver driver;
    driver
        .Do([&](DialogDriver& d) {
            caption = DialogDriver::WindowText(d.Dialog());
            okText = d.ControlText(IDOK);
        })
        .Click(IDOK);
    EXPECT_EQ(call.Run(), 1);
    EXPECT_EQ(caption, L"Word Verification");
    EXPECT_EQ(okText, L"   &OK   ");
}

TEST(EntryArguments, ParentsTopLevelWindowOwnsTheDialogAndIsDisabledMeanwhile)
{
    HWND topLevel = ::CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                      nullptr, nullptr, nullptr, nullptr);
    HWND child = ::CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, topLevel, nullptr,
                                   nullptr, nullptr);
    HostCall call;
    call.parent = child;
    HWND owner = nullptr;
    BOOL ownerEnabled = TRUE;

    DialogDriver driver;
    driver
        .Do([&](DialogDriver& d) {
            owner = ::GetWindow(d.Dialog(), GW_OWNER);
            ownerEnabled = ::IsWindowEnabled(topLevel);
        })
        .Click(IDCANCEL);
    EXPECT_EQ(call.Run(), 0);
    EXPECT_FALSE(driver.TimedOut());
    EXPECT_EQ(owner, topLevel);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(::IsWindowEnabled(topLevel));
    ::DestroyWindow(topLevel);
}

TEST(EntryArguments, NullParentGivesADialogWithoutOwner)
{
    HostCall call;
    HWND owner = reinterpret_cast<HWND>(1);
    DialogDriver driver;
    driver.Do([&](DialogDriver& d) { owner = ::GetWindow(d.Dialog(), GW_OWNER); }).Click(IDOK);
    EXPECT_EQ(call.Run(), 1);
    EXPECT_EQ(owner, nullptr);
}

TEST(EntryArguments, DummyFunctionReturnsOne)
{
    EXPECT_EQ(TarsilLibrary::Get().dummyFunction(), 1);
    HostCall call;
    DialogDriver driver;
    driver.Click(IDCANCEL);
    call.Run();
    EXPECT_EQ(TarsilLibrary::Get().dummyFunction(), 1);
}

// ---- One call at a time ----

namespace {

HostCall* g_nested = nullptr;
int g_nestedCalls = 0;

// A host callback that tries to start another verification while the dialog is open.
void CallAgain()
{
    if (g_nested != nullptr && g_nestedCalls++ == 0) {
        g_nested->Run();
    }
}

void WINAPI LayerThatCallsAgain(int, int, RunFn)
{
    CallAgain();
}

const wchar_t* WINAPI LookupThatCallsAgain(int id)
{
    CallAgain();
    return id == IDC_TEXT_LABEL ? L"first lookup" : nullptr;
}

const wchar_t* WINAPI SecondLookup(int)
{
    return L"second lookup";
}

void ExpectNestedCallRefused(const HostCall& nested)
{
    EXPECT_EQ(nested.result, 0);
    EXPECT_EQ(nested.lastError, static_cast<DWORD>(ERROR_BUSY));
    EXPECT_TRUE(nested.NothingWritten());
}

} // namespace

TEST(EntryOneCallAtATime, CallFromALayerCallbackIsRefused)
{
    HostCall nested;
    nested.lookup = &SecondLookup;
    g_nested = &nested;
    g_nestedCalls = 0;

    HostCall outer;
    outer.drawLayer1 = &LayerThatCallsAgain;
    DialogDriver driver;
    driver.Repaint(true).Type(IDC_TEXT, L"outer").Click(IDOK);
    EXPECT_EQ(outer.Run(), 1);
    g_nested = nullptr;

    EXPECT_GE(g_nestedCalls, 2); // the first paint and the repaint
    EXPECT_EQ(driver.DialogsOpened(), 1);
    ExpectNestedCallRefused(nested);
    EXPECT_EQ(outer.Text(), L"outer");
}

TEST(EntryOneCallAtATime, CallFromTheTextLookupIsRefusedAndKeepsTheOpenDialogsLookup)
{
    HostCall nested;
    nested.lookup = &SecondLookup;
    g_nested = &nested;
    g_nestedCalls = 0;

    HostCall outer;
    outer.lookup = &LookupThatCallsAgain;
    std::wstring messageText;
    DialogDriver driver;
    // A refused OK asks the lookup again: it must still be the open dialog's.
    driver.Type(IDC_TEXT, L"")
        .Click(IDOK)
        .AwaitMessageBox()
        .CloseMessageBox()
        .Type(IDC_TEXT, L"fine")
        .Click(IDOK);
    EXPECT_EQ(outer.Run(), 1);
    g_nested = nullptr;

    EXPECT_EQ(g_nestedCalls, 12); // eleven texts at initialisation, one for the refused OK
    ExpectNestedCallRefused(nested);
    ASSERT_EQ(driver.MessageBoxes().size(), 1u);
    EXPECT_EQ(driver.MessageBoxes()[0].text, L" No text was entered.");
}

TEST(EntryOneCallAtATime, CallFromAnotherThreadIsRefusedWhileTheDialogIsOpen)
{
    HostCall other;
    HostCall outer;
    DialogDriver driver;
    driver
        .Do([&](DialogDriver&) {
            HANDLE second = ::CreateThread(
                nullptr, 0,
                [](LPVOID call) -> DWORD {
                    static_cast<HostCall*>(call)->Run();
                    return 0;
                },
                &other, 0, nullptr);
            ::WaitForSingleObject(second, INFINITE);
            ::CloseHandle(second);
        })
        .Type(IDC_TEXT, L"first")
        .Click(IDOK);
    EXPECT_EQ(outer.Run(), 1);
    EXPECT_EQ(outer.Text(), L"first");
    ExpectNestedCallRefused(other);

    // Once the first call is over, the library serves the next one.
    HostCall next;
    DialogDriver nextDriver;
    nextDriver.Click(IDOK);
    EXPECT_EQ(next.Run(), 1);
}

// ---- The dialog cannot be created ----

namespace {

const wchar_t* g_refusedClass = nullptr;

// Refuses the creation of every window of the given class, as a platform out of
// resources would.
LRESULT CALLBACK RefuseCreation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        wchar_t className[32] = {};
        ::GetClassNameW(reinterpret_cast<HWND>(wParam), className, 32);
        if (lstrcmpiW(className, g_refusedClass) == 0) {
            return 1;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

TEST(EntryDialogFailure, WindowCreationFailingGivesZeroAndWritesNothing)
{
    // The dialog itself, then one of its controls.
    for (const wchar_t* refused : {L"#32770", L"Edit", L"Button"}) {
        SCOPED_TRACE(std::string(refused, refused + wcslen(refused)));
        g_refusedClass = refused;
        HHOOK hook = ::SetWindowsHookExW(WH_CBT, &RefuseCreation, nullptr, ::GetCurrentThreadId());
        HostCall call;
        call.Run();
        ::UnhookWindowsHookEx(hook);

        EXPECT_EQ(call.result, 0);
        EXPECT_EQ(call.lastError, static_cast<DWORD>(ERROR_GEN_FAILURE));
        EXPECT_TRUE(call.NothingWritten());
    }

    // The library is usable again afterwards.
    HostCall next;
    DialogDriver driver;
    driver.Click(IDOK);
    EXPECT_EQ(next.Run(), 1);
}
