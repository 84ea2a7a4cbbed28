#include "CEditorDLL.h"

// The module's one application object, constructed when the library is loaded and
// destroyed when it is unloaded.
CEditorDLL theApp;

BEGIN_MESSAGE_MAP(CEditorDLL, CWinApp)
    ON_COMMAND(ID_EDITOR_COMMAND, &CEditorDLL::OnEditorCommand)
    ON_COMMAND(ID_HELP, &CEditorDLL::OnHelp)
END_MESSAGE_MAP()

CEditorDLL::CEditorDLL() noexcept
    : CWinApp(L"ondrel.dll")
{
}

CEditorDLL::~CEditorDLL() = default;

BOOL CEditorDLL::InitInstance()
{
    return TRUE;
}

int CEditorDLL::ExitInstance()
{
    return CWinApp::ExitInstance();
}

void CEditorDLL::OnEditorCommand()
{
}

void CEditorDLL::OnHelp()
{
}
