#pragma once

class CWnd;

// Texts of the dialog that the host can supply through its lookup callback.

// The host's text for `textId`, or null when it has none (or gave no lookup at all).
// Nothing is cached: every use asks the host again.
const wchar_t* LookupText(int textId);

// Sets the host's texts on the dialog's caption and controls for `mode`. Where the host
// gives none, the text that is there stays.
void ApplyHostTexts(CWnd& dialog, int mode);

// Shows an error message box owned by the dialog and returns once it is closed: the host's
// message under the host's caption when it gives both, otherwise the built-in message
// under the built-in caption. Host and built-in texts are never mixed in one box.
void ShowErrorMessage(CWnd& dialog, int messageId, const wchar_t* builtInMessage);
