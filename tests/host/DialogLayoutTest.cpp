// The dialog as the template lays it out, measured on the real windows.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

#include "dialog/ControlIds.h"
#include "support/DialogDriver.h"
#include "support/HostCall.h"
#include "support/HostPicture.h"
#include "support/TemplateControls.h"

namespace {

// The template's frame around the picture.
const TemplateControl& PictureFrame()
{
    for (const TemplateControl& control : kTemplateControls) {
        if (control.id == kPictureFrameId) {
            return control;
        }
    }
    throw std::logic_error("the template table has no picture frame");
}

RECT ClientRectOf(HWND dialog, HWND control)
{
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

} // namespace

// Positions in dialog units convert with the dialog's own base units, which differ between
// Windows' and Wine's fonts. The frame around the picture has a test of its own: it may move.
TEST(DialogLayout, ControlsSitWhereTheTemplatePutsThemWithTheirTexts)
{
    HostCall call;
    call.length = 0;
    std::vector<const TemplateControl*> controls;
    std::vector<RECT> actual;
    std::vector<RECT> expected;
    std::vector<std::wstring> texts;
    RECT client{};
    RECT clientExpected{0, 0, 362, 234};
    std::wstring caption;
    DialogDriver driver;
    driver
        .Do([&](DialogDriver& d) {
            for (const TemplateControl& control : kTemplateControls) {
                if (control.id == kPictureFrameId) {
                    continue;
                }
                controls.push_back(&control);
                // The dialog manager converts the position and the size separately.
                RECT position{control.x, control.y, control.cx, control.cy};
                ::MapDialogRect(d.Dialog(), &position);
                expected.push_back({position.left, position.top, position.left + position.right,
                                    position.top + position.bottom});
                actual.push_back(ClientRectOf(d.Dialog(), d.Control(control.id)));
                texts.push_back(d.ControlText(control.id));
            }
            ::GetClientRect(d.Dialog(), &client);
            ::MapDialogRect(d.Dialog(), &clientExpected);
            caption = DialogDriver::WindowText(d.Dialog());
        })
        .Click(IDCANCEL);
    call.Run();

    ASSERT_EQ(actual.size(), std::size(kTemplateControls) - 1);
    for (size_t i = 0; i < actual.size(); ++i) {
        const TemplateControl& control = *controls[i];
        SCOPED_TRACE(testing::Message() << "control " << control.id);
        EXPECT_EQ(actual[i].left, expected[i].left);
        EXPECT_EQ(actual[i].top, expected[i].top);
        EXPECT_EQ(actual[i].right, expected[i].right);
        EXPECT_EQ(actual[i].bottom, expected[i].bottom);
        // The number fields show the record's values; the text field is empty (length 0).
        if (!control.IsEdit() || control.id == IDC_TEXT) {
            EXPECT_EQ(texts[i], control.text);
        }
    }
    EXPECT_EQ(client.right, clientExpected.right);
    EXPECT_EQ(client.bottom, clientExpected.bottom);
    EXPECT_EQ(caption, L"Word Verification");
}

TEST(DialogLayout, TabOrderAndTheRadioGroup)
{
    HostCall call;
    std::vector<int> tabOrder;
    std::vector<int> radioGroup;
    HWND focus = nullptr;
    HWND textField = nullptr;
    DialogDriver driver;
    driver
        .Do([&](DialogDriver& d) {
            focus = ::GetFocus();
            textField = d.Control(IDC_TEXT);
            HWND item = textField;
            do {
                tabOrder.push_back(::GetDlgCtrlID(item));
                item = ::GetNextDlgTabItem(d.Dialog(), item, FALSE);
            } while (item != nullptr && item != textField && tabOrder.size() < 20);
            HWND radio = d.Control(IDC_YES);
            do {
                radioGroup.push_back(::GetDlgCtrlID(radio));
                radio = ::GetNextDlgGroupItem(d.Dialog(), radio, FALSE);
            } while (radio != nullptr && radio != d.Control(IDC_YES) && radioGroup.size() < 20);
        })
        .Click(IDCANCEL);
    call.Run();

    EXPECT_EQ(focus, textField);
    EXPECT_EQ(tabOrder, (std::vector<int>{IDC_TEXT, IDC_SIZE, IDC_ORIENTATION, IDC_YES, IDOK, IDC_IGNORE, IDCANCEL}));
    // Arrow keys move between the group's enabled controls, Yes and No among them.
    EXPECT_NE(std::find(radioGroup.begin(), radioGroup.end(), IDC_NO), radioGroup.end());
    EXPECT_EQ(std::find(radioGroup.begin(), radioGroup.end(), IDC_TEXT_LABEL), radioGroup.end());
}

TEST(DialogLayout, CheckingNoUnchecksYes)
{
    HostCall call;
    LRESULT yes = -1;
    DialogDriver driver;
    driver.Click(IDC_NO)
        .Do([&](DialogDriver& d) { yes = ::SendMessageW(d.Control(IDC_YES), BM_GETCHECK, 0, 0); })
        .Click(IDC_YES)
        .Click(IDOK);
    EXPECT_EQ(call.Run(), 1);
    EXPECT_EQ(yes, BST_UNCHECKED);
    EXPECT_EQ(call.trainValue, 1);
}

// The picture is fixed in pixels while the dialog's layout follows its font and the
// display's resolution. Nothing of the dialog may cover the picture: the frame's border
// lies outside it (where the font would put it inside, that side sits just around the
// picture; the others are where the template puts them), and no control overlaps it.
TEST(DialogLayout, NothingCoversThePictureAtThisResolution)
{
    HostCall call;
    int dpi = 0;
    SIZE baseUnits{};
    RECT frame{};
    RECT fromTemplate{};
    std::vector<std::pair<int, RECT>> controls;
    DialogDriver driver;
    driver
        .Do([&](DialogDriver& d) {
            HDC screen = ::GetDC(d.Dialog());
            dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
            ::ReleaseDC(d.Dialog(), screen);
            RECT units{4, 8, 0, 0};
            ::MapDialogRect(d.Dialog(), &units);
            baseUnits = {units.left, units.top};
            const TemplateControl& inTemplate = PictureFrame();
            RECT position{inTemplate.x, inTemplate.y, inTemplate.cx, inTemplate.cy};
            ::MapDialogRect(d.Dialog(), &position);
            fromTemplate = {position.left, position.top, position.left + position.right,
                            position.top + position.bottom};
            for (HWND child = ::GetWindow(d.Dialog(), GW_CHILD); child != nullptr;
                 child = ::GetWindow(child, GW_HWNDNEXT)) {
                const int id = ::GetDlgCtrlID(child);
                if (id == kPictureFrameId) {
                    frame = ClientRectOf(d.Dialog(), child);
                } else if (::IsWindowVisible(child)) {
                    controls.push_back({id, ClientRectOf(d.Dialog(), child)});
                }
            }
        })
        .Click(IDCANCEL);
    call.Run();
    ASSERT_FALSE(driver.TimedOut());

    const RECT picture = HostPicture::kArea;
    SCOPED_TRACE(testing::Message() << dpi << " dpi");
    EXPECT_TRUE(::IsProcessDPIAware());
    EXPECT_LT(frame.left, picture.left);
    EXPECT_LT(frame.top, picture.top);
    EXPECT_GT(frame.right, picture.right);
    EXPECT_GT(frame.bottom, picture.bottom);
    EXPECT_EQ(frame.left, std::min(fromTemplate.left, picture.left - 1));
    EXPECT_EQ(frame.top, std::min(fromTemplate.top, picture.top - 1));
    EXPECT_EQ(frame.right, fromTemplate.right);
    EXPECT_EQ(frame.bottom, fromTemplate.bottom);
    EXPECT_EQ(controls.size(), 15u);
    for (const auto& [id, bounds] : controls) {
        RECT overlap{};
        EXPECT_FALSE(::IntersectRect(&overlap, &bounds, &picture)) << "control " << id;
    }
    if (dpi == 96) {
        // Windows' metrics of the dialog font: the frame lies just around the picture
        // (the dialog manager converts y and height separately, hence 209, not 210).
        EXPECT_EQ(baseUnits.cx, 6);
        EXPECT_EQ(baseUnits.cy, 13);
        EXPECT_EQ(frame.left, 6);
        EXPECT_EQ(frame.top, 3);
        EXPECT_EQ(frame.right, 539);
        EXPECT_EQ(frame.bottom, 209);
    }
}
