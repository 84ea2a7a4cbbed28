#include "WordOnShow.h"

namespace {

const WordOnShow* g_onShow = nullptr;

} // namespace

WordOnShow::WordOnShow(size_t position, const PreparedPage& page, const PageWords::Word& word)
    : m_position(position)
    , m_page(page)
    , m_word(word)
{
    g_onShow = this;
}

WordOnShow::~WordOnShow()
{
    g_onShow = nullptr;
}

const WordOnShow* WordOnShow::Current()
{
    return g_onShow;
}
