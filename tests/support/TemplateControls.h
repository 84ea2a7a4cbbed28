#pragma once

#include <windows.h>

// The controls of the Word Verification dialog's template, in template order (their order
// of creation, z-order and tab order), as the tests expect the DLL to carry them.
struct TemplateControl {
    WORD id;
    WORD classAtom; // 0x80 Button, 0x81 Edit, 0x82 Static
    const wchar_t* text;
    short x, y, cx, cy; // dialog units
    DWORD style;

    bool IsEdit() const { return classAtom == 0x81; }
};

// The black frame around the picture has no id of its own: IDC_STATIC, stored as 65535.
constexpr WORD kPictureFrameId = 65535;

inline constexpr TemplateControl kTemplateControls[] = {
    {1000, 0x81, L"", 62, 132, 294, 31, 0x50810080},
    {1001, 0x81, L"", 55, 170, 40, 12, 0x50810000},
    {1002, 0x81, L"", 55, 185, 40, 12, 0x50810000},
    {1007, 0x80, L"  &Yes", 291, 185, 46, 10, 0x50010009},
    {1008, 0x80, L"  &No", 291, 196, 47, 10, 0x50000009},
    {1, 0x80, L"   &OK   ", 56, 212, 38, 17, 0x50010001},
    {1009, 0x80, L"  &Ignore  ", 169, 213, 40, 17, 0x50010000},
    {2, 0x80, L"  &Cancel ", 271, 212, 58, 17, 0x50010000},
    {1006, 0x80, L"", 282, 177, 52, 31, 0x50000007},
    {1011, 0x81, L"", 157, 169, 22, 13, 0x50800800},
    {1013, 0x82, L"    Enter Text:", 1, 143, 54, 11, 0x50020001},
    {1016, 0x82, L"    Confidence:", 99, 172, 52, 11, 0x50020000},
    {1014, 0x82, L"   Size:", 7, 174, 42, 11, 0x50020002},
    {1015, 0x82, L"   Orientation:", 3, 189, 46, 11, 0x50020002},
    {kPictureFrameId, 0x82, L"", 4, 2, 355, 127, 0x50000007},
    {1022, 0x82, L"   Train ICR?", 290, 171, 46, 7, 0x50020000},
};
