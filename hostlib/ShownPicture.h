#pragma once

#include "TarsilDlg29.h"
#include "WordPicture.h"

// The word picture on show during one RastStartDialog call, and the layer painters that
// hand it to the dialog. The painters are plain function pointers and the library serves
// one call at a time, so the picture lives here for the length of the call.
class ShownPicture {
public:
    explicit ShownPicture(const WordPicture& picture);
    ShownPicture(const ShownPicture&) = delete;
    ShownPicture& operator=(const ShownPicture&) = delete;
    ~ShownPicture();

    // LayerDrawFn: the picture's ink, and the ink of its uncertain characters.
    static void WINAPI DrawInk(int width, int height, RunFn run) noexcept;
    static void WINAPI DrawUncertainInk(int width, int height, RunFn run) noexcept;

private:
    static const WordPicture* s_onShow;
};
