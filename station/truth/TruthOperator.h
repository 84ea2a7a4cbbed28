#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "BatchPlan.h"
#include "TarsilDlg29.h"
#include "TruthAlignment.h"
#include "TruthPage.h"

// A headless operator (--truth FOLDER): in place of the dialog, every word shown is answered
// with OK and its text in the page's ground truth, so that a whole batch runs with no person
// and the yield of the choice of words can be counted. A shown word without a truth word read
// one to one is answered as the engine read it, and counted.
//
// The truth of a page is the file in FOLDER named after its image with ".xml" ("scan7.tif":
// "scan7.xml"; frame 2 of a multi-page file: "scan7-frame2.xml"), PAGE XML or ALTO. Every page
// must have one: a page without, or with a truth of another size than its image, is refused
// before the first dialog.
class TruthOperator {
public:
    // Reads every page's truth. Throws InputError naming the file or the page at fault.
    TruthOperator(const std::wstring& folder, const BatchPlan& plan);
    ~TruthOperator();
    TruthOperator(const TruthOperator&) = delete;
    TruthOperator& operator=(const TruthOperator&) = delete;

    // The library's signature, answering for the operator made last (one at a time).
    static int WINAPI Answer(HWND parentWindow, int kind, int mode, wchar_t* text, int length, double* size,
                             double* orientation, int confidence, int layer1Red, int layer1Green, int layer1Blue,
                             int backRed, int backGreen, int backBlue, int layer2Red, int layer2Green,
                             int layer2Blue, LayerDrawFn drawLayer1, LayerDrawFn drawLayer2, int* reservedOut,
                             int* trainOut, int* unchangedOut, TextLookupFn lookup) noexcept;

    const TruthPage& Truth(size_t position) const { return m_truths[position]; }
    // Shown words without a truth word read one to one, answered as the engine read them.
    int ShownUnmatched() const { return m_shownUnmatched; }

    // The truth's file for a page.
    static std::wstring TruthFile(const std::wstring& folder, const PlannedPage& page);

private:
    // The truth's text for the word on show; false when it has none one to one.
    bool TruthOfWordOnShow(std::string& text);

    std::vector<TruthPage> m_truths; // by page
    std::map<size_t, TruthAlignment> m_alignments; // by page, made as its first word is shown
    int m_shownUnmatched = 0;
};
