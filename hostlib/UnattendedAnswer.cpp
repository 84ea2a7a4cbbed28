#include "UnattendedAnswer.h"

#include "WindowShot.h"

namespace {

// Long enough for any paint; a dialog still open then is closed, so a run never hangs.
constexpr DWORD kPressWithinMs = 60000;

} // namespace

UnattendedAnswer::UnattendedAnswer(const std::wstring& press, const std::wstring& screenshot,
                                   const std::function<void(tarsil::DialogDriver&)>& beforePress)
    : m_driver(press.empty() ? INFINITE : kPressWithinMs)
{
    if (!screenshot.empty()) {
        // The step runs inside the dialog's modal loop, from a timer callback: nothing may
        // leave it.
        m_driver.Do([this, screenshot](tarsil::DialogDriver& driver) {
            try {
                std::string error;
                m_screenshotFailed = !SaveScreenshot(driver.Dialog(), screenshot, error);
            } catch (...) {
                m_screenshotFailed = true;
            }
        });
    }
    if (beforePress) {
        beforePress(m_driver);
    }
    if (press == L"ok") {
        // Once OK has ended the dialog the remaining steps never run.
        m_driver.Click(IDOK).AwaitMessageBox().CloseMessageBox().Click(TARSIL_TEXT_IGNORE);
    } else if (press == L"ignore") {
        m_driver.Click(TARSIL_TEXT_IGNORE);
    } else if (press == L"cancel") {
        m_driver.Click(IDCANCEL);
    }
}

bool UnattendedAnswer::IsAnswer(const std::wstring& press)
{
    return press == L"ok" || press == L"ignore" || press == L"cancel";
}
