#pragma once

#include "CWnd.h"

// A static control (a label or a frame) of a dialog.
class CStatic : public CWnd {
};
