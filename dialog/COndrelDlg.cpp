#include "COndrelDlg.h"

#include <algorithm>
#include <cstring>

#include "dialog/ControlIds.h"
#include "dialog/HostTexts.h"
#include "dialog/NumberText.h"
#include "dialog/TextIds.h"
#include "framework/AfxModule.h"
#include "framework/CString.h"
#include "framework/CPaintDC.h"
#include "picture/PictureRenderer.h"
#include "res/resource.h"

namespace {

// The text field's large font: 48 pixels high, bold Courier New.
constexpr int kLargeFontHeight = 48;
constexpr wchar_t kLargeFontFace[] = L"courier new";

// The text field can give back as many characters as the word record holds.
constexpr int kTextReadCount = WordRecord::kTextCapacity;

// The black frame around the picture has the id IDC_STATIC, which a classic template
// stores as the 16-bit value 65535.
constexpr int kPictureFrameId = 0xFFFF;

} // namespace

BEGIN_MESSAGE_MAP(COndrelDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_IGNORE, &COndrelDlg::OnIgnore)
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_YES, &COndrelDlg::OnYes)
    ON_BN_CLICKED(IDC_NO, &COndrelDlg::OnNo)
END_MESSAGE_MAP()

COndrelDlg::COndrelDlg(CWnd* parent)
    : CDialog(IDD_WORD_VERIFICATION, parent)
    , m_icon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_WORD_VERIFICATION)))
    , m_record(nullptr)
    , m_colours(nullptr)
    , m_layers(nullptr)
{
    m_largeFont.reset(new CFont());
    if (!m_largeFont->CreateFont(kLargeFontHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0,
                                 0, kLargeFontFace)) {
        // Without it the text field keeps the dialog's font.
        m_largeFont.reset();
    }
}

COndrelDlg::~COndrelDlg() = default;

void COndrelDlg::SetWordRecord(WordRecord* record)
{
    m_record = record;
}

void COndrelDlg::SetPicture(PictureColours* colours, PictureLayers* layers)
{
    m_colours = colours;
    m_layers = layers;
}

INT_PTR COndrelDlg::DoModal()
{
    if (m_record == nullptr || m_colours == nullptr || m_layers == nullptr) {
        return -1;
    }
    return CDialog::DoModal();
}

void COndrelDlg::DoDataExchange(CDataExchange* exchange)
{
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDC_TRAIN_GROUP, m_trainGroup);
    DDX_Control(exchange, IDC_YES, m_yesButton);
    DDX_Control(exchange, IDC_NO, m_noButton);
    DDX_Control(exchange, IDC_TEXT_LABEL, m_textLabel);
    DDX_Control(exchange, IDCANCEL, m_cancelButton);
    DDX_Control(exchange, IDC_CONFIDENCE_LABEL, m_confidenceLabel);
    DDX_Control(exchange, IDC_ORIENTATION_LABEL, m_orientationLabel);
    DDX_Control(exchange, IDC_SIZE_LABEL, m_sizeLabel);
    DDX_Control(exchange, IDC_TRAIN_LABEL, m_trainLabel);
    DDX_Control(exchange, IDOK, m_okButton);
    DDX_Control(exchange, IDC_CONFIDENCE, m_confidenceField);
    DDX_Control(exchange, IDC_IGNORE, m_ignoreButton);
    DDX_Control(exchange, IDC_ORIENTATION, m_orientationField);
    DDX_Control(exchange, IDC_SIZE, m_sizeField);
    DDX_Control(exchange, IDC_TEXT, m_textField);
}

BOOL COndrelDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CenterWindow();
    KeepFrameOutsidePicture();

    if (m_largeFont) {
        m_textField.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_largeFont->GetSafeHandle()), TRUE);
    }

    if (m_record->kind == 2 || m_record->kind == 3) {
        m_trainLabel.ShowWindow(SW_HIDE);
        m_trainGroup.ShowWindow(SW_HIDE);
        m_yesButton.ShowWindow(SW_HIDE);
        m_noButton.ShowWindow(SW_HIDE);
    }

    ApplyHostTexts(*this, m_record->mode);

    // The fields are filled once: a repaint must never throw away what the user typed.
    FillFields();

    // TRUE: the platform puts the focus on the first tab stop, the text field, with its
    // whole text selected.
    return TRUE;
}

void COndrelDlg::KeepFrameOutsidePicture()
{
    // The picture is fixed in pixels while the frame grows and shrinks with the dialog
    // font: where the font's metrics would put the frame's one-pixel border inside the
    // picture, that side moves out to just around it. At 96 dpi nothing moves.
    HWND frame = nullptr;
    GetDlgItem(kPictureFrameId, &frame);
    if (frame == nullptr) {
        return;
    }
    RECT bounds{};
    ::GetWindowRect(frame, &bounds);
    ScreenToClient(&bounds);
    const RECT around{std::min(bounds.left, PictureRect.left - 1), std::min(bounds.top, PictureRect.top - 1),
                      std::max(bounds.right, PictureRect.right + 1),
                      std::max(bounds.bottom, PictureRect.bottom + 1)};
    if (!::EqualRect(&around, &bounds)) {
        ::MoveWindow(frame, around.left, around.top, around.right - around.left, around.bottom - around.top, TRUE);
    }
}

void COndrelDlg::FillFields()
{
    wchar_t number[kFixed6Capacity];
    m_textField.SetWindowText(m_record->text);
    FormatFixed6(m_record->orientation, number);
    m_orientationField.SetWindowText(number);
    FormatFixed6(m_record->size, number);
    m_sizeField.SetWindowText(number);
    FormatInteger(m_record->confidence, number);
    m_confidenceField.SetWindowText(number);
    m_yesButton.SetCheck(BST_CHECKED);
}

void COndrelDlg::OnPaint()
{
    if (IsIconic()) {
        PaintMinimised();
        return;
    }
    // Painting begins first, erasing the update region when it is marked for erasing, so
    // that the picture drawn after it survives; ending it validates the update region.
    CPaintDC paint(this);
    DrawWordPicture(paint, m_colours, m_layers);
}

void COndrelDlg::PaintMinimised()
{
    CPaintDC paint(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.GetSafeHdc()), 0);

    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client{};
    GetClientRect(&client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    paint.DrawIcon(x, y, m_icon);
}

HCURSOR COndrelDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_icon);
}

void COndrelDlg::RestoreTextFont()
{
    const auto dialogFont = static_cast<WPARAM>(SendMessage(WM_GETFONT));
    if (dialogFont != 0) {
        m_textField.SendMessage(WM_SETFONT, dialogFont, TRUE);
    }
}

void COndrelDlg::OnOK()
{
    // The dialog's font comes back before the checks, so it stays after a refused OK.
    RestoreTextFont();

    wchar_t text[kTextReadCount] = {};
    m_textField.GetWindowText(text, kTextReadCount);
    if (text[0] == L'\0') {
        ShowErrorMessage(*this, IDT_NO_TEXT, L" No text was entered.");
        return;
    }

    CString field;
    m_orientationField.GetWindowText(field);
    const double orientation = ParseNumber(field);
    m_sizeField.GetWindowText(field);
    const double size = ParseNumber(field);
    // An ordered comparison: NaN and -0.0 pass.
    if (size < 0) {
        ShowErrorMessage(*this, IDT_NEGATIVE_SIZE, L" Size cannot be negative.");
        return;
    }

    const bool train = m_yesButton.GetCheck() != BST_UNCHECKED;

    std::memcpy(m_record->text, text, sizeof text);
    m_record->size = size;
    m_record->orientation = orientation;
    m_record->train = train ? 1 : 0;

    CDialog::OnOK();
}

void COndrelDlg::OnCancel()
{
    RestoreTextFont();
    CDialog::OnCancel();
}

void COndrelDlg::OnIgnore()
{
    EndDialog(kIgnoreEndCode);
}

void COndrelDlg::OnDestroy()
{
    CDialog::OnDestroy();
}

void COndrelDlg::OnYes()
{
}

void COndrelDlg::OnNo()
{
}
