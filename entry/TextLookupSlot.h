#pragma once

#include "TarsilDlg29.h"

// The text lookup of the latest call of RastStartDialog (null at load, never cleared).
// Written only by the entry, read only by the dialog's text lookup.
extern TextLookupFn TextLookupSlot;
