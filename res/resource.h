#pragma once

// Resource ids of the library's own resources.
#define IDD_WORD_VERIFICATION 102
#define IDI_WORD_VERIFICATION 128
#define IDR_ACCELERATORS 129
#define IDR_VERSION 1
#define IDR_MANIFEST 2

// Commands of the application's command table (and of the accelerator table).
#define ID_EDITOR_COMMAND 32772
#ifndef ID_HELP
#define ID_HELP 0xE146 // 57670, the framework's help command
#endif
