#include "HostPicture.h"

HostPicture* HostPicture::s_current = nullptr;

HostPicture::HostPicture()
{
    s_current = this;
}

HostPicture::~HostPicture()
{
    if (s_current == this) {
        s_current = nullptr;
    }
}

void WINAPI HostPicture::PaintLayer1(int width, int height, RunFn run)
{
    HostPicture& host = *s_current;
    ++host.layer1Calls;
    if (host.whilePaintingLayer1) {
        host.whilePaintingLayer1();
    }
    host.Paint(host.layer1, width, height, run);
}

void WINAPI HostPicture::PaintLayer2(int width, int height, RunFn run)
{
    HostPicture& host = *s_current;
    ++host.layer2Calls;
    host.Paint(host.layer2, width, height, run);
}

void HostPicture::Paint(const std::vector<Run>& runs, int givenWidth, int givenHeight, RunFn givenRun)
{
    width = givenWidth;
    height = givenHeight;
    run = givenRun;
    for (const Run& each : runs) {
        givenRun(each.xFrom, each.xTo, each.y);
    }
}

Pixels HostPicture::Expected(const Pixels& base, COLORREF background, COLORREF layer1Colour,
                             COLORREF layer2Colour) const
{
    Pixels expected = base;
    expected.Fill(kArea, background);
    const std::pair<const std::vector<Run>*, COLORREF> layers[] = {{&layer1, layer1Colour}, {&layer2, layer2Colour}};
    for (const auto& layer : layers) {
        for (const Run& each : *layer.first) {
            const RECT run{kArea.left + each.xFrom, kArea.top + each.y, kArea.left + each.xTo + 1,
                           kArea.top + each.y + 1};
            RECT shown{};
            if (::IntersectRect(&shown, &run, &kArea)) {
                expected.Fill(shown, layer.second);
            }
        }
    }
    return expected;
}
