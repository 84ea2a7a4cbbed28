#pragma once

#include <memory>

#include "dialog/ControlIds.h"
#include "entry/PictureColours.h"
#include "entry/PictureLayers.h"
#include "entry/WordRecord.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CEdit.h"
#include "framework/CFont.h"
#include "framework/CStatic.h"

// The Word Verification dialog: shows one word (its picture, its text in a large font,
// size, orientation, confidence and the "Train ICR?" choice), checks the user's input on
// OK and writes it into the word record.
class COndrelDlg : public CDialog {
public:
    // What DoModal returns after Ignore: the command id of the Ignore button.
    static constexpr int kIgnoreEndCode = IDC_IGNORE;

    explicit COndrelDlg(CWnd* parent);
    ~COndrelDlg() override;

    // The record to show and, after an accepted OK, to write; owned by the caller.
    void SetWordRecord(WordRecord* record);
    // The picture's colours and layer painters; owned by the caller.
    void SetPicture(PictureColours* colours, PictureLayers* layers);

    // Runs the dialog; -1 at once, without a window, when the record or the picture is
    // missing, so that no handler needs to test them.
    INT_PTR DoModal() override;

protected:
    // Binds the fifteen control wrappers.
    void DoDataExchange(CDataExchange* exchange) override;
    // Centres the dialog, sets the large font, hides the train choice for kinds 2 and 3,
    // applies the host's texts and fills the fields from the record.
    BOOL OnInitDialog() override;
    // Checks the input; when it is acceptable, writes it into the record and ends with IDOK.
    void OnOK() override;
    // Puts the dialog's font back on the text field and ends with IDCANCEL.
    void OnCancel() override;

    // Paints the word's picture, or the icon when the dialog is minimised.
    void OnPaint();
    // The icon to show while the minimised dialog is dragged.
    HCURSOR OnQueryDragIcon();
    // Ends the dialog with the Ignore button's id, touching nothing.
    void OnIgnore();
    void OnDestroy();
    // The train choice is the buttons' own automatic radio behaviour.
    void OnYes();
    void OnNo();

    DECLARE_MESSAGE_MAP()

private:
    void KeepFrameOutsidePicture();
    void FillFields();
    void RestoreTextFont();
    void PaintMinimised();

    CButton m_trainGroup;
    CButton m_yesButton;
    CButton m_noButton;
    CStatic m_textLabel;
    CButton m_cancelButton;
    CStatic m_confidenceLabel;
    CStatic m_orientationLabel;
    CStatic m_sizeLabel;
    CStatic m_trainLabel;
    CButton m_okButton;
    CEdit m_confidenceField;
    CButton m_ignoreButton;
    CEdit m_orientationField;
    CEdit m_sizeField;
    CEdit m_textField;
    HICON m_icon;                     // shared icon of the library's resources, not destroyed
    std::unique_ptr<CFont> m_largeFont; // null when the platform gave no font
    WordRecord* m_record;
    PictureColours* m_colours;
    PictureLayers* m_layers;
};
