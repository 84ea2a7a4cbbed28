#pragma once

#include <windows.h>

#include <set>
#include <string>

#include "StationOptions.h"

// The recogniser the station runs for pages that have no output beside them: Tesseract,
// one run per page writing both outputs the station reads (TSV and hOCR with character
// boxes).
class TesseractEngine {
public:
    // Finds the engine: --tesseract, else tesseract.exe in a folder of the PATH (never the
    // current folder nor the station's), else the Windows installer's folder. Throws
    // InputError, saying how to install it, when there is none, and naming the model when
    // --lang or --second-lang names one the engine does not have.
    explicit TesseractEngine(const StationOptions& options);

    // Which model reads the page: --lang's, or --second-lang's.
    enum class Reading { kFirst, kSecond };

    const std::wstring& Program() const { return m_program; }
    // True when a second model reads each page the engine reads (--second-lang).
    bool ReadsTwice() const { return !m_secondLang.empty(); }
    const std::wstring& SecondLang() const { return m_secondLang; }

    // Recognises one frame of the image into BASE.tsv and BASE.hocr with the reading's model,
    // written under other names first and, when the engine has succeeded, written in place as
    // the session's own files are (flushed to the disk, then renamed). Returns why it failed,
    // or an empty text. `cancel` ends the run early.
    std::string Recognise(const std::wstring& image, unsigned frame, unsigned frames, const std::wstring& base,
                          HANDLE cancel, Reading reading = Reading::kFirst) const;

private:
    // The models the engine has, as `tesseract --list-langs` names them; throws InputError
    // when it cannot tell.
    std::set<std::string> InstalledModels() const;
    // Throws InputError naming a model of --lang or --second-lang the engine does not have.
    void RefuseMissingModels() const;

    std::wstring m_program;
    std::wstring m_lang;
    std::wstring m_secondLang;
    std::wstring m_psm;
    DWORD m_timeLimitMs;
};
