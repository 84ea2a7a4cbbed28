#pragma once

#include "TarsilDlg29.h"

// Ids of the host texts that have no control of their own. The caption's id is the
// template id; every other text's id is its control's id.
#define IDT_OK_ALTERNATE          TARSIL_TEXT_OK_MODE1          // OK button, mode 1
#define IDT_IGNORE_ALTERNATE      TARSIL_TEXT_IGNORE_MODE1      // Ignore button, mode 1
#define IDT_ERROR_CAPTION         TARSIL_TEXT_ERROR_CAPTION     // caption of the error messages
#define IDT_NEGATIVE_SIZE         TARSIL_TEXT_NEGATIVE_SIZE     // error: negative size
#define IDT_NO_TEXT               TARSIL_TEXT_NO_TEXT           // error: empty text
#define IDT_TRAIN_LABEL_ALTERNATE TARSIL_TEXT_TRAIN_LABEL_MODE2 // train label, mode 2
#define IDT_CAPTION_ALTERNATE     TARSIL_TEXT_CAPTION_MODE2     // dialog caption, mode 2
