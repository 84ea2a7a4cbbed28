// The library's exported functions: one call of RastStartDialog verifies one word.

#include <windows.h>

#include <cwchar>

#include "TarsilDlg29.h"
#include "dialog/COndrelDlg.h"
#include "entry/PictureColours.h"
#include "entry/PictureLayers.h"
#include "entry/TextLookupSlot.h"
#include "entry/WordRecord.h"
#include "framework/CException.h"
#include "framework/CMemoryException.h"

namespace {

// Non-zero while a call is in progress anywhere in the process. The text lookup and the
// picture are kept in module-wide cells, so calls must neither overlap nor nest.
volatile LONG g_callInProgress = 0;

// Holds the library for one call; a second call made meanwhile does not get it.
class ExclusiveCall {
public:
    ExclusiveCall()
        : m_acquired(::InterlockedCompareExchange(&g_callInProgress, 1, 0) == 0)
    {
    }
    ~ExclusiveCall()
    {
        if (m_acquired) {
            ::InterlockedExchange(&g_callInProgress, 0);
        }
    }
    ExclusiveCall(const ExclusiveCall&) = delete;
    ExclusiveCall& operator=(const ExclusiveCall&) = delete;

    bool Acquired() const { return m_acquired; }

private:
    bool m_acquired;
};

// Frees the window wrappers that the call's window lookup made, on every way out.
class TemporaryWindowsScope {
public:
    TemporaryWindowsScope() = default;
    ~TemporaryWindowsScope() { CWnd::DeleteTempMap(); }
    TemporaryWindowsScope(const TemporaryWindowsScope&) = delete;
    TemporaryWindowsScope& operator=(const TemporaryWindowsScope&) = delete;
};

struct CallerOutputs {
    wchar_t* text;
    int length;
    double* size;
    double* orientation;
    int* reservedOut;
    int* trainOut;
    int* unchangedOut;
};

bool ArgumentsAreValid(HWND parentWindow, const CallerOutputs& caller, bool dialogWouldShow)
{
    if (caller.length < 0 || caller.length > TARSIL_MAX_LENGTH) {
        return false;
    }
    if (caller.text == nullptr && caller.length > 0) {
        return false;
    }
    if (caller.size == nullptr || caller.orientation == nullptr) {
        return false;
    }
    if (dialogWouldShow) {
        if (caller.reservedOut == nullptr || caller.trainOut == nullptr || caller.unchangedOut == nullptr) {
            return false;
        }
        if (parentWindow != nullptr && !::IsWindow(parentWindow)) {
            return false;
        }
    }
    return true;
}

void CopyBack(WordRecord& record, const CallerOutputs& caller)
{
    *caller.size = record.size;
    *caller.orientation = record.orientation;
    *caller.trainOut = record.train;
    *caller.reservedOut = record.reserved;

    // The edited text goes back cut to `length` characters, and only when it changed
    // within them: an unchanged text leaves the caller's buffer untouched.
    record.text[caller.length] = L'\0';
    const auto count = static_cast<std::size_t>(caller.length);
    if (count > 0 && std::wcsncmp(record.text, caller.text, count) != 0) {
        *caller.unchangedOut = 0;
        std::wcsncpy(caller.text, record.text, count);
        caller.text[caller.length] = L'\0';
    } else {
        *caller.unchangedOut = 1;
    }
}

// What a call returns, and the last error it leaves for the caller.
struct CallOutcome {
    int result;
    DWORD error;
};

CallOutcome RunDialog(HWND parentWindow, WordRecord& record, PictureColours& colours, PictureLayers& layers,
                      const CallerOutputs& caller)
{
    TemporaryWindowsScope temporaryWindows;
    COndrelDlg dialog(CWnd::FromHandle(parentWindow));
    dialog.SetWordRecord(&record);
    dialog.SetPicture(&colours, &layers);

    const int endCode = static_cast<int>(dialog.DoModal());
    if (endCode == IDOK) {
        CopyBack(record, caller);
        return {TARSIL_RESULT_OK, ERROR_SUCCESS};
    }
    if (endCode == COndrelDlg::kIgnoreEndCode) {
        return {TARSIL_RESULT_IGNORE, ERROR_SUCCESS};
    }
    if (endCode == -1) {
        // The template is missing or the window could not be created.
        return {TARSIL_RESULT_CANCEL, ERROR_GEN_FAILURE};
    }
    if (endCode == IDABORT) {
        // Ended without the user's answer: the application quit, the window went, or
        // someone else ended the dialog.
        return {TARSIL_RESULT_CANCEL, ERROR_CANCELLED};
    }
    return {TARSIL_RESULT_CANCEL, ERROR_SUCCESS};
}

} // namespace

extern "C" int WINAPI RastStartDialog(HWND parentWindow, int kind, int mode, wchar_t* text, int length,
                                      double* size, double* orientation, int confidence, int layer1Red,
                                      int layer1Green, int layer1Blue, int backRed, int backGreen, int backBlue,
                                      int layer2Red, int layer2Green, int layer2Blue, LayerDrawFn drawLayer1,
                                      LayerDrawFn drawLayer2, int* reservedOut, int* trainOut, int* unchangedOut,
                                      TextLookupFn lookup) noexcept
{
    const CallerOutputs caller{text, length, size, orientation, reservedOut, trainOut, unchangedOut};
    const bool dialogWouldShow = drawLayer1 != nullptr || drawLayer2 != nullptr;
    if (!ArgumentsAreValid(parentWindow, caller, dialogWouldShow)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return TARSIL_RESULT_CANCEL;
    }

    ExclusiveCall exclusive;
    if (!exclusive.Acquired()) {
        ::SetLastError(ERROR_BUSY);
        return TARSIL_RESULT_CANCEL;
    }

    try {
        WordRecord record{};
        record.kind = kind;
        record.mode = mode;
        if (length > 0) { // with length 0 the text may be null
            std::wcsncpy(record.text, text, static_cast<std::size_t>(length));
        }
        record.text[length] = L'\0';
        record.size = *size;
        record.orientation = *orientation;
        record.confidence = confidence;
        record.reserved = 1;
        record.train = 1;

        TextLookupSlot = lookup;

        PictureColours colours{layer1Red, layer1Green, layer1Blue, backRed,   backGreen,
                               backBlue,  layer2Red,   layer2Green, layer2Blue};
        PictureLayers layers{drawLayer1, drawLayer2};

        const CallOutcome outcome = dialogWouldShow ? RunDialog(parentWindow, record, colours, layers, caller)
                                                    : CallOutcome{TARSIL_RESULT_CANCEL, ERROR_SUCCESS};
        ::SetLastError(outcome.error);
        return outcome.result;
    } catch (CMemoryException* failure) {
        failure->Delete();
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    } catch (CException* failure) {
        failure->Delete();
        ::SetLastError(ERROR_GEN_FAILURE);
    } catch (...) {
        ::SetLastError(ERROR_GEN_FAILURE);
    }
    return TARSIL_RESULT_CANCEL;
}

extern "C" int WINAPI dummyfunction(void) noexcept
{
    return 1;
}
