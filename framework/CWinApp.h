#pragma once

#include <windows.h>

#include "CWinThread.h"
#include "MessageMap.h"

// The application object of a module built on the framework. Exactly one exists per
// module, from load to unload; constructing it makes it the module's application.
class CWinApp : public CWinThread {
public:
    explicit CWinApp(const wchar_t* appName) noexcept;
    ~CWinApp() override;

    // The application's name: the caption of message boxes the framework shows itself.
    const wchar_t* m_pszAppName;

    // Sets the module up; the framework's default has nothing to do. (Resources always come
    // from the module itself: this framework never looks for satellite resource libraries.)
    BOOL InitInstance() override;
    // The framework's default clean-up at unload; returns 0.
    int ExitInstance() override;

    DECLARE_MESSAGE_MAP()
};

// The module's application object, or null when none is constructed.
CWinApp* AfxGetApp();
// The application's name, or null.
const wchar_t* AfxGetAppName();
