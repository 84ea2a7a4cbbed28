#pragma once

// Ids of the host texts that have no control of their own. The caption's id is the
// template id; every other text's id is its control's id.
#define IDT_OK_ALTERNATE         1067 // OK button, mode 1
#define IDT_IGNORE_ALTERNATE     1068 // Ignore button, mode 1
#define IDT_ERROR_CAPTION        1069 // caption of the error messages
#define IDT_NEGATIVE_SIZE        1070 // error: negative size
#define IDT_NO_TEXT              1071 // error: empty text
#define IDT_TRAIN_LABEL_ALTERNATE 1072 // train label, mode 2
#define IDT_CAPTION_ALTERNATE    1073 // dialog caption, mode 2
