#pragma once

#include "CWnd.h"

// An edit control of a dialog.
class CEdit : public CWnd {
};
