#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Acts as a user on a dialog that runs modally on the calling thread.
//
// Queue the steps, then make the call that shows the dialog. A thread timer runs the
// steps one per tick from inside whatever modal loop is running (the dialog's, or a
// message box's), after the queued input of the previous step has been processed:
// timer messages come only when no other message is waiting. A wait step is retried on
// every tick. If the dialog is still open when the time limit passes, the driver records
// a failure and closes it, so a test never hangs.
class DialogDriver {
public:
    struct MessageBoxSeen {
        std::wstring caption;
        std::wstring text;
    };

    explicit DialogDriver(DWORD timeLimitMs = 10000);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // A step that runs once.
    DialogDriver& Do(std::function<void(DialogDriver&)> action);
    // A step that is retried on every tick until `condition` holds.
    DialogDriver& WaitUntil(std::function<bool(DialogDriver&)> condition);

    // Focuses the field as the Tab key does (selecting its text) and types over it.
    DialogDriver& Type(int controlId, const std::wstring& text);
    // Clicks a button.
    DialogDriver& Click(int controlId);
    DialogDriver& PressEnter();
    DialogDriver& PressEscape();
    // The caption bar's close button.
    DialogDriver& CloseBox();
    // Invalidates the whole dialog (marked for erasing or not) and lets it repaint.
    DialogDriver& Repaint(bool erase);
    // Waits for a message box owned by the dialog and records its caption and text.
    DialogDriver& AwaitMessageBox();
    // Presses OK on the open message box and waits until it has gone.
    DialogDriver& CloseMessageBox();

    HWND Dialog() const { return m_dialog; }
    // The message box the dialog has open, or null.
    HWND OpenMessageBox() const { return m_messageBox; }
    HWND Control(int controlId) const { return ::GetDlgItem(m_dialog, controlId); }
    std::wstring ControlText(int controlId) const;
    static std::wstring WindowText(HWND window);

    // How many dialogs opened while the driver was active.
    int DialogsOpened() const { return m_dialogsOpened; }
    // True when every queued step ran.
    bool Finished() const { return m_next == m_steps.size(); }
    // True when the time limit passed with the dialog still open.
    bool TimedOut() const { return m_timedOut; }
    const std::vector<MessageBoxSeen>& MessageBoxes() const { return m_messageBoxes; }

private:
    struct Step {
        std::function<bool(DialogDriver&)> run; // true: done
        bool waits;
    };

    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void OnTick();
    void ForceClose();
    void PostKey(UINT virtualKey);

    static DialogDriver* s_active;

    std::vector<Step> m_steps;
    size_t m_next = 0;
    HHOOK m_hook = nullptr;
    UINT_PTR m_timer = 0;
    DWORD m_started;
    DWORD m_timeLimit;
    HWND m_dialog = nullptr;
    HWND m_messageBox = nullptr;
    int m_dialogsOpened = 0;
    bool m_timedOut = false;
    std::vector<MessageBoxSeen> m_messageBoxes;
};
