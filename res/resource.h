#pragma once

// Resource ids of the library's own resources.
#define IDD_WORD_VERIFICATION 102
#define IDI_WORD_VERIFICATION 128
