#include "HostTexts.h"

#include <windows.h>

#include "entry/TextLookupSlot.h"
#include "framework/CString.h"
#include "framework/CWnd.h"
#include "res/resource.h"
#include "ControlIds.h"
#include "TextIds.h"

// Hosts know the texts by the public ids: they must stay the ids of the controls.
static_assert(IDD_WORD_VERIFICATION == TARSIL_TEXT_CAPTION && IDOK == TARSIL_TEXT_OK &&
                  IDCANCEL == TARSIL_TEXT_CANCEL && IDC_YES == TARSIL_TEXT_YES && IDC_NO == TARSIL_TEXT_NO &&
                  IDC_IGNORE == TARSIL_TEXT_IGNORE && IDC_TEXT_LABEL == TARSIL_TEXT_TEXT_LABEL &&
                  IDC_SIZE_LABEL == TARSIL_TEXT_SIZE_LABEL && IDC_ORIENTATION_LABEL == TARSIL_TEXT_ORIENTATION_LABEL &&
                  IDC_CONFIDENCE_LABEL == TARSIL_TEXT_CONFIDENCE_LABEL && IDC_TRAIN_LABEL == TARSIL_TEXT_TRAIN_LABEL,
              "the public text ids are the controls' ids");

namespace {

constexpr int kCaption = 0; // target: the dialog's own caption

struct TextPlacement {
    int textId;
    int targetId; // a control id, or kCaption
};

constexpr TextPlacement kCommonTexts[] = {
    {IDD_WORD_VERIFICATION, kCaption},
    {IDC_YES, IDC_YES},
    {IDC_NO, IDC_NO},
    {IDC_TEXT_LABEL, IDC_TEXT_LABEL},
    {IDC_SIZE_LABEL, IDC_SIZE_LABEL},
    {IDC_ORIENTATION_LABEL, IDC_ORIENTATION_LABEL},
    {IDC_CONFIDENCE_LABEL, IDC_CONFIDENCE_LABEL},
    {IDC_TRAIN_LABEL, IDC_TRAIN_LABEL},
    {IDCANCEL, IDCANCEL},
};

constexpr TextPlacement kMode0Texts[] = {
    {IDC_IGNORE, IDC_IGNORE},
    {IDOK, IDOK},
};

// Mode 1 turns OK and Ignore into other actions.
constexpr TextPlacement kMode1Texts[] = {
    {IDT_OK_ALTERNATE, IDOK},
    {IDT_IGNORE_ALTERNATE, IDC_IGNORE},
};

// Mode 2 also retitles the dialog and the train choice.
constexpr TextPlacement kMode2Texts[] = {
    {IDC_IGNORE, IDC_IGNORE},
    {IDOK, IDOK},
    {IDT_CAPTION_ALTERNATE, kCaption},
    {IDT_TRAIN_LABEL_ALTERNATE, IDC_TRAIN_LABEL},
};

template <size_t N>
void Apply(HWND dialog, const TextPlacement (&placements)[N])
{
    for (const TextPlacement& placement : placements) {
        const wchar_t* text = LookupText(placement.textId);
        if (text == nullptr) {
            continue;
        }
        HWND target = placement.targetId == kCaption ? dialog : ::GetDlgItem(dialog, placement.targetId);
        ::SetWindowTextW(target, text);
    }
}

} // namespace

const wchar_t* LookupText(int textId)
{
    const TextLookupFn lookup = TextLookupSlot;
    return lookup != nullptr ? lookup(textId) : nullptr;
}

void ApplyHostTexts(CWnd& dialog, int mode)
{
    Apply(dialog.m_hWnd, kCommonTexts);
    switch (mode) {
    case 0:
        Apply(dialog.m_hWnd, kMode0Texts);
        break;
    case 1:
        Apply(dialog.m_hWnd, kMode1Texts);
        break;
    case 2:
        Apply(dialog.m_hWnd, kMode2Texts);
        break;
    default:
        break;
    }
}

void ShowErrorMessage(CWnd& dialog, int messageId, const wchar_t* builtInMessage)
{
    if (const wchar_t* hostMessage = LookupText(messageId)) {
        // A host may answer every id from one buffer: keep the message before asking
        // for the caption.
        const CString message(hostMessage);
        if (const wchar_t* hostCaption = LookupText(IDT_ERROR_CAPTION)) {
            ::MessageBoxW(dialog.m_hWnd, message, hostCaption, MB_OK);
            return;
        }
    }
    ::MessageBoxW(dialog.m_hWnd, builtInMessage, L"Error Message", MB_OK);
}
