#pragma once

#include <functional>
#include <string>

#include "TarsilDlg29Driver.h"

// Answers the next dialog by itself through the kit's driver: once the dialog has painted,
// saves a picture of it when asked to, runs the caller's own steps (typing a correction),
// then presses OK, Ignore or Cancel when asked to. The library refuses OK for an empty word
// with a message box: that word is answered with Ignore instead.
class UnattendedAnswer {
public:
    // `press` is "ok", "ignore", "cancel" or empty (the operator answers); `screenshot` a PNG
    // path, or empty; `beforePress` queues the caller's steps, or is empty.
    UnattendedAnswer(const std::wstring& press, const std::wstring& screenshot,
                     const std::function<void(tarsil::DialogDriver&)>& beforePress = {});

    // True for the answers `press` takes.
    static bool IsAnswer(const std::wstring& press);

    // How many dialogs opened while this object lived.
    int DialogsOpened() const { return m_driver.DialogsOpened(); }
    // True when the picture was asked for and could not be written.
    bool ScreenshotFailed() const { return m_screenshotFailed; }

private:
    tarsil::DialogDriver m_driver;
    bool m_screenshotFailed = false;
};
