#include "CCmdTarget.h"

bool CCmdTarget::ProcessMessageMap(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

bool CCmdTarget::OnCmdMsg(UINT commandId, UINT notifyCode)
{
    LRESULT result = 0;
    return ProcessMessageMap(WM_COMMAND, MAKEWPARAM(commandId, notifyCode), 0, result);
}
