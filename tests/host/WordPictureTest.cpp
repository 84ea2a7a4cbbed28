// The word's picture as the host sees it on the screen, through the built DLL.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/ControlIds.h"
#include "support/DialogDriver.h"
#include "support/HostCall.h"
#include "support/HostPicture.h"
#include "support/Pixels.h"

namespace {

constexpr COLORREF kBackground = RGB(0x23, 0x45, 0x67);
constexpr COLORREF kLayer1 = RGB(0xC8, 0x1E, 0x5A);
constexpr COLORREF kLayer2 = RGB(0x1B, 0xB4, 0x3C);

void UsePicture(HostCall& call)
{
    const int colours[9] = {GetRValue(kLayer1),     GetGValue(kLayer1),     GetBValue(kLayer1),
                            GetRValue(kBackground), GetGValue(kBackground), GetBValue(kBackground),
                            GetRValue(kLayer2),     GetGValue(kLayer2),     GetBValue(kLayer2)};
    std::copy(std::begin(colours), std::end(colours), call.colours);
    call.drawLayer1 = &HostPicture::PaintLayer1;
    call.drawLayer2 = &HostPicture::PaintLayer2;
}

// What the dialog showed at one moment.
struct Seen {
    std::string when;
    Pixels client;
    Pixels expected; // what the host's picture should make of it
    int paints;      // how often the first layer had been painted by then
};

void Capture(DialogDriver& driver, const HostPicture& host, std::vector<Seen>& seen, const char* when)
{
    driver.Do([&host, &seen, when](DialogDriver& d) {
        const Pixels client = Pixels::ReadClient(d.Dialog());
        seen.push_back({when, client,
                        host.Expected(client, kBackground, kLayer1, kLayer2), host.layer1Calls});
    });
}

// The picture area shows exactly the host's picture, and none of its colours shows
// anywhere else in the dialog.
void ExpectPictureShown(const Seen& seen)
{
    SCOPED_TRACE(seen.when);
    EXPECT_TRUE(SamePixels(seen.client, seen.expected, HostPicture::kArea));
    for (COLORREF colour : {kBackground, kLayer1, kLayer2}) {
        EXPECT_EQ(seen.client.CountOutside(HostPicture::kArea, colour), 0) << std::hex << colour;
    }
}

} // namespace

TEST(WordPicture, ShownOnTheFirstPaintAndAfterRepaintsWithAndWithoutErase)
{
    HostCall call;
    UsePicture(call);
    HostPicture host;
    // A letter-like shape in the first layer, crossed by the second layer.
    for (short y = 40; y < 160; ++y) {
        host.layer1.push_back({100, 110, y});
        host.layer1.push_back({200, 210, y});
    }
    host.layer1.push_back({100, 210, 100});
    host.layer1.push_back({0, 527, 0});
    host.layer1.push_back({0, 527, 200});
    host.layer2 = {{150, 260, 100}, {0, 0, 0}, {527, 527, 200}};

    std::vector<Seen> seen;
    DialogDriver driver;
    Capture(driver, host, seen, "first paint");
    driver.Repaint(true);
    Capture(driver, host, seen, "repaint, erased");
    driver.Repaint(false);
    Capture(driver, host, seen, "repaint, not erased");
    driver.Do([](DialogDriver& d) {
        const RECT corner{0, 0, 120, 90}; // across the picture's top-left corner
        ::InvalidateRect(d.Dialog(), &corner, TRUE);
        ::UpdateWindow(d.Dialog());
    });
    Capture(driver, host, seen, "part repainted, erased");
    driver.Click(IDOK);

    EXPECT_EQ(call.Run(), 1);
    EXPECT_FALSE(driver.TimedOut());
    ASSERT_EQ(seen.size(), 4u);
    for (size_t i = 0; i < seen.size(); ++i) {
        ExpectPictureShown(seen[i]);
        if (i > 0) {
            EXPECT_GT(seen[i].paints, seen[i - 1].paints) << seen[i].when << ": the host was not asked to paint";
        }
    }
    EXPECT_EQ(host.width, TARSIL_PICTURE_WIDTH);
    EXPECT_EQ(host.height, TARSIL_PICTURE_HEIGHT);
}

TEST(WordPicture, RunsOutsideThePictureLeaveTheRestOfTheDialogAlone)
{
    HostCall call;
    UsePicture(call);
    HostPicture host;
    // Wherever the controls lie: every row above and below the picture across the whole
    // client width, and both sides of every row of the picture.
    host.layer1 = {{0, 600, 250}, {-8, -8, -5}};
    for (short y = -5; y < 0; ++y) {
        host.layer1.push_back({-8, 600, y});
    }
    for (short y = TARSIL_PICTURE_HEIGHT; y < 400; ++y) {
        host.layer1.push_back({-8, 600, y});
    }
    for (short y = 0; y < TARSIL_PICTURE_HEIGHT; ++y) {
        host.layer2.push_back({-8, -1, y});
        host.layer2.push_back({TARSIL_PICTURE_WIDTH, 600, y});
    }
    RECT client{};
    std::vector<Seen> seen;
    DialogDriver driver;
    driver.Do([&client](DialogDriver& d) { ::GetClientRect(d.Dialog(), &client); });
    Capture(driver, host, seen, "first paint");
    driver.Repaint(true);
    Capture(driver, host, seen, "repaint, erased");
    driver.Click(IDOK);

    EXPECT_EQ(call.Run(), 1);
    // Unclipped, run(0, 600, 250) would land inside the dialog, across its fields.
    EXPECT_GT(client.bottom, 255);
    ASSERT_EQ(seen.size(), 2u);
    for (const Seen& each : seen) {
        ExpectPictureShown(each);
    }
}
