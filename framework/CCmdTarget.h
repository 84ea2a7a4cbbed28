#pragma once

#include <windows.h>

#include "CObject.h"

// An object that handles messages through a message map. A class declares its map with
// DECLARE_MESSAGE_MAP() and writes it with BEGIN_MESSAGE_MAP ... END_MESSAGE_MAP; the
// map expands into a chain of typed handler calls that ends in the base class's map.
class CCmdTarget : public CObject {
public:
    // Runs the handler that the message map has for the message, if any. Returns false
    // when no entry matches, so that the caller falls back to default processing.
    virtual bool ProcessMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Routes a command (a menu, accelerator or button click) through the message map.
    bool OnCmdMsg(UINT commandId, UINT notifyCode = 0);
};

// True when a WM_COMMAND comes from a menu, an accelerator or a button click: the
// notifications that ON_COMMAND handles.
inline bool AfxIsCommandNotification(WPARAM wParam, LPARAM lParam)
{
    const UINT code = HIWORD(wParam);
    return code == 0 || (code == 1 && lParam == 0);
}
