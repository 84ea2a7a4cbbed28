/*
 * TarsilDlg29.dll: word verification for hosts of character recognition.
 *
 * The host calls RastStartDialog once per recognised word. The library shows the modal
 * "Word Verification" dialog over the host's window, lets the user correct the word, and
 * writes the corrected values back when the user confirms them with OK.
 *
 * Usable from C and C++. All functions and callbacks use the platform's standard calling
 * convention (WINAPI) and run on the thread that called RastStartDialog.
 */
#ifndef TARSILDLG29_H
#define TARSILDLG29_H

#include <windows.h>

#include "TarsilDlg29Version.h"

#ifdef __cplusplus
extern "C" {
#endif

#ifdef TARSILDLG29_BUILDING
#define TARSILDLG29_API
#else
#define TARSILDLG29_API __declspec(dllimport)
#endif

/* The functions never throw: to C++ they are noexcept. */
#ifdef __cplusplus
#define TARSILDLG29_NOEXCEPT noexcept
#else
#define TARSILDLG29_NOEXCEPT
#endif

/* Results of RastStartDialog. */
#define TARSIL_RESULT_OK      1  /* accepted with OK: the out-values were written */
#define TARSIL_RESULT_IGNORE (-1) /* ended with Ignore: nothing written */
#define TARSIL_RESULT_CANCEL  0  /* Cancel, Escape, close box, no dialog, or a refused call */

/* Text ids a TextLookupFn is asked for. A control's text id is the control's own id. */
#define TARSIL_TEXT_CAPTION            102  /* the dialog's caption */
#define TARSIL_TEXT_OK                 1    /* the OK button (modes 0 and 2) */
#define TARSIL_TEXT_CANCEL             2    /* the Cancel button */
#define TARSIL_TEXT_YES                1007 /* the Yes choice */
#define TARSIL_TEXT_NO                 1008 /* the No choice */
#define TARSIL_TEXT_IGNORE             1009 /* the Ignore button (modes 0 and 2) */
#define TARSIL_TEXT_TEXT_LABEL         1013 /* the label of the text field */
#define TARSIL_TEXT_SIZE_LABEL         1014 /* the label of the size field */
#define TARSIL_TEXT_ORIENTATION_LABEL  1015 /* the label of the orientation field */
#define TARSIL_TEXT_CONFIDENCE_LABEL   1016 /* the label of the confidence field */
#define TARSIL_TEXT_TRAIN_LABEL        1022 /* the label of the Yes/No choice */
#define TARSIL_TEXT_OK_MODE1           1067 /* the OK button in mode 1 */
#define TARSIL_TEXT_IGNORE_MODE1       1068 /* the Ignore button in mode 1 */
#define TARSIL_TEXT_ERROR_CAPTION      1069 /* the caption of the error messages */
#define TARSIL_TEXT_NEGATIVE_SIZE      1070 /* error message: the size is negative */
#define TARSIL_TEXT_NO_TEXT            1071 /* error message: the text is empty */
#define TARSIL_TEXT_TRAIN_LABEL_MODE2  1072 /* the label of the Yes/No choice in mode 2 */
#define TARSIL_TEXT_CAPTION_MODE2      1073 /* the dialog's caption in mode 2 */

/* The longest word a call can carry: `length` is from 0 to this. */
#define TARSIL_MAX_LENGTH 83

/*
 * The word's picture: TARSIL_PICTURE_WIDTH x TARSIL_PICTURE_HEIGHT pixels, whatever the
 * display's resolution, whose top-left pixel is pixel (TARSIL_PICTURE_LEFT,
 * TARSIL_PICTURE_TOP) of the dialog's client area. A host that prepares its runs before
 * the call scales the word to this size.
 */
#define TARSIL_PICTURE_WIDTH  528
#define TARSIL_PICTURE_HEIGHT 201
#define TARSIL_PICTURE_LEFT   8
#define TARSIL_PICTURE_TOP    5

/*
 * Paints one horizontal run of the current layer: picture pixels xFrom to xTo, both
 * included, of row y, in picture coordinates (0,0 is the picture's top-left pixel).
 * Valid only during the LayerDrawFn call it was handed to.
 */
typedef void(WINAPI* RunFn)(short xFrom, short xTo, short y);

/*
 * Draws one layer of the word's picture by calling `run` once per horizontal run. The
 * picture is `width` x `height` pixels (TARSIL_PICTURE_WIDTH x TARSIL_PICTURE_HEIGHT).
 * Called on every paint of the dialog.
 */
typedef void(WINAPI* LayerDrawFn)(int width, int height, RunFn run);

/*
 * Returns the host's text for a text id of the dialog, or NULL to keep the built-in
 * text. An empty string is a text. The string must stay valid until the next call of
 * the lookup (for an error message: until the message box has closed).
 */
typedef const wchar_t*(WINAPI* TextLookupFn)(int textId);

/*
 * Shows the Word Verification dialog for one word and waits until the user ends it.
 *
 * parentWindow  the host window that owns the dialog (disabled while it runs); NULL for none
 * kind          2 and 3 hide the "Train ICR?" choice
 * mode          0, 1 and 2 choose which host texts label the buttons (see TextLookupFn)
 * text, length  the recognised word, at most `length` characters (0 to 83); written on
 *               OK only when it changed, then zero-filled up to and including text[length]
 * size, orientation  read on every call, written on OK
 * confidence    shown read-only
 * layer1*, back*, layer2*  colours of the first layer, the background, the second layer
 *               (only the low 8 bits of each component count)
 * drawLayer1, drawLayer2  the picture's two layers; with both NULL no dialog is shown
 * reservedOut, trainOut, unchangedOut  written on OK: 1; 1 to train with the word or 0;
 *               1 when the text came back unchanged, 0 when it was changed and copied back
 * lookup        the host's texts; NULL for the built-in English texts
 *
 * Returns TARSIL_RESULT_OK, TARSIL_RESULT_IGNORE or TARSIL_RESULT_CANCEL. Caller variables
 * are written only with TARSIL_RESULT_OK. A refused call returns 0 at once, writes nothing
 * and sets the thread's last error: ERROR_INVALID_PARAMETER for bad arguments (length
 * outside 0..83, NULL text with a length above 0, NULL size or orientation, a NULL out-pointer
 * while a layer callback is given, a parentWindow that is not a window), ERROR_BUSY while
 * another call of this library is in progress in the process.
 */
TARSILDLG29_API int WINAPI RastStartDialog(HWND parentWindow, int kind, int mode, wchar_t* text, int length,
                                           double* size, double* orientation, int confidence, int layer1Red,
                                           int layer1Green, int layer1Blue, int backRed, int backGreen,
                                           int backBlue, int layer2Red, int layer2Green, int layer2Blue,
                                           LayerDrawFn drawLayer1, LayerDrawFn drawLayer2, int* reservedOut,
                                           int* trainOut, int* unchangedOut,
                                           TextLookupFn lookup) TARSILDLG29_NOEXCEPT;

/* Returns 1. */
TARSILDLG29_API int WINAPI dummyfunction(void) TARSILDLG29_NOEXCEPT;

/*
 * The type of RastStartDialog, for a host that loads the library at run time:
 *
 *     HMODULE module = LoadLibraryExW(L"TarsilDlg29.dll", NULL, LOAD_LIBRARY_SEARCH_APPLICATION_DIR);
 *     RastStartDialogFn start = (RastStartDialogFn)(void*)GetProcAddress(module, "RastStartDialog");
 *
 * (The cast through void* keeps GCC's -Wcast-function-type quiet.) In C++ the library's own
 * function, which is noexcept, converts to it.
 */
typedef int(WINAPI* RastStartDialogFn)(HWND parentWindow, int kind, int mode, wchar_t* text, int length,
                                       double* size, double* orientation, int confidence, int layer1Red,
                                       int layer1Green, int layer1Blue, int backRed, int backGreen, int backBlue,
                                       int layer2Red, int layer2Green, int layer2Blue, LayerDrawFn drawLayer1,
                                       LayerDrawFn drawLayer2, int* reservedOut, int* trainOut, int* unchangedOut,
                                       TextLookupFn lookup);

#ifdef __cplusplus
}
#endif

#endif /* TARSILDLG29_H */
