#pragma once

#include <windows.h>

// Ids of the Word Verification dialog's controls. A control's id is also the id of its
// host text.

// winuser.h names two system cursors IDC_SIZE and IDC_NO; the library loads no system
// cursor, and in its code these names mean its controls.
#undef IDC_SIZE
#undef IDC_NO

#define IDC_TEXT              1000
#define IDC_SIZE              1001
#define IDC_ORIENTATION       1002
#define IDC_TRAIN_GROUP       1006
#define IDC_YES               1007
#define IDC_NO                1008
#define IDC_IGNORE            1009
#define IDC_CONFIDENCE        1011
#define IDC_TEXT_LABEL        1013
#define IDC_SIZE_LABEL        1014
#define IDC_ORIENTATION_LABEL 1015
#define IDC_CONFIDENCE_LABEL  1016
#define IDC_TRAIN_LABEL       1022

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
