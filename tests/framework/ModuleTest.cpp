// The module's start-up and shut-down as the framework runs them for the loader.

#include <gtest/gtest.h>

#include "framework/AfxModule.h"
#include "framework/CWinApp.h"
#include "module/CEditorDLL.h"

namespace {

// An application that counts the framework's calls, and can refuse to start.
class CountingApp : public CWinApp {
public:
    explicit CountingApp(BOOL succeed = TRUE)
        : CWinApp(L"counting.dll")
        , m_succeed(succeed)
    {
    }
    BOOL InitInstance() override
    {
        ++inits;
        return m_succeed;
    }
    int ExitInstance() override
    {
        ++exits;
        return CWinApp::ExitInstance();
    }

    int inits = 0;
    int exits = 0;

private:
    BOOL m_succeed;
};

HINSTANCE ThisModule()
{
    return ::GetModuleHandleW(nullptr);
}

} // namespace

TEST(ModuleStartUp, LoadRunsInitInstanceOnceAndUnloadExitInstanceOnce)
{
    CountingApp app;
    ASSERT_EQ(AfxGetApp(), &app);
    EXPECT_EQ(AfxGetAppName(), std::wstring(L"counting.dll"));

    EXPECT_TRUE(AfxDllProcessAttach(ThisModule()));
    EXPECT_EQ(app.inits, 1);
    EXPECT_EQ(app.exits, 0);
    EXPECT_EQ(AfxGetInstanceHandle(), ThisModule());
    EXPECT_EQ(AfxGetResourceHandle(), ThisModule());

    AfxDllProcessDetach();
    EXPECT_EQ(app.exits, 1);
    AfxDllProcessDetach(); // a second detach finds nothing to do
    EXPECT_EQ(app.exits, 1);
    EXPECT_EQ(app.inits, 1);
}

TEST(ModuleStartUp, FailedStartRunsTheUnloadStepsOnceAndFailsTheLoad)
{
    CountingApp app(FALSE);
    EXPECT_FALSE(AfxDllProcessAttach(ThisModule()));
    EXPECT_EQ(app.inits, 1);
    EXPECT_EQ(app.exits, 1);
    // The runtime then reports the detach of the failed load: nothing runs twice.
    AfxDllProcessDetach();
    EXPECT_EQ(app.exits, 1);

    CountingApp another;
    EXPECT_FALSE(AfxDllProcessAttach(nullptr)); // no module handle: the framework cannot start
    EXPECT_EQ(another.inits, 0);
    EXPECT_EQ(another.exits, 1);
    AfxWinInit(ThisModule());
}

TEST(ModuleStartUp, ApplicationObjectIsUnregisteredWhenDestroyed)
{
    {
        CountingApp app;
        EXPECT_EQ(AfxGetApp(), &app);
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
}

TEST(EditorApplication, StartsWithoutFailingAndEndsItsTwoCommands)
{
    CEditorDLL editor;
    EXPECT_EQ(AfxGetAppName(), std::wstring(L"ondrel.dll"));
    EXPECT_TRUE(editor.InitInstance());
    EXPECT_EQ(editor.ExitInstance(), 0);
    EXPECT_TRUE(editor.OnCmdMsg(32772));
    EXPECT_TRUE(editor.OnCmdMsg(57670));
    EXPECT_FALSE(editor.OnCmdMsg(32773));
    EXPECT_FALSE(editor.OnCmdMsg(IDOK));
}
