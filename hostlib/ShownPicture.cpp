#include "ShownPicture.h"

const WordPicture* ShownPicture::s_onShow = nullptr;

ShownPicture::ShownPicture(const WordPicture& picture)
{
    s_onShow = &picture;
}

ShownPicture::~ShownPicture()
{
    s_onShow = nullptr;
}

void WINAPI ShownPicture::DrawInk(int, int, RunFn run) noexcept
{
    if (s_onShow != nullptr) {
        s_onShow->DrawInk(run);
    }
}

void WINAPI ShownPicture::DrawUncertainInk(int, int, RunFn run) noexcept
{
    if (s_onShow != nullptr) {
        s_onShow->DrawUncertainInk(run);
    }
}
