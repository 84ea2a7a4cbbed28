#include "CWinApp.h"

namespace {
CWinApp* g_app = nullptr;
} // namespace

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

CWinApp::CWinApp(const wchar_t* appName) noexcept
    : m_pszAppName(appName)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this) {
        g_app = nullptr;
    }
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return CWinThread::ExitInstance();
}

CWinApp* AfxGetApp()
{
    return g_app;
}

const wchar_t* AfxGetAppName()
{
    return g_app != nullptr ? g_app->m_pszAppName : nullptr;
}
