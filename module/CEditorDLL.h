#pragma once

#include "framework/CWinApp.h"
#include "res/resource.h"

// The library's application object: the one CWinApp of the module, named "ondrel.dll".
// It holds no state; through it the framework takes the library's own module as its
// instance and resource handle, so the dialog always finds the library's own resources.
class CEditorDLL : public CWinApp {
public:
    CEditorDLL() noexcept;
    ~CEditorDLL() override;

    // Returns TRUE and does nothing else: the library always uses its own resources,
    // whatever the user's language.
    BOOL InitInstance() override;
    // Runs the framework's default clean-up and returns its result.
    int ExitInstance() override;

protected:
    // The editor command and the help command end here, doing nothing.
    void OnEditorCommand();
    void OnHelp();

    DECLARE_MESSAGE_MAP()
};
