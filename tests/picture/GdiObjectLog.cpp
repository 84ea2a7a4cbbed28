#include "GdiObjectLog.h"

GdiObjectLog* GdiObjectLog::s_active = nullptr;

namespace {

template <typename Function>
Function Real(const ImportPatch& patch)
{
    return reinterpret_cast<Function>(patch.Original());
}

template <typename Function>
void* Address(Function function)
{
    return reinterpret_cast<void*>(function);
}

} // namespace

GdiObjectLog::GdiObjectLog(HDC watchedSurface)
    : m_surface(watchedSurface)
    , m_createPen("gdi32.dll", "CreatePen", Address(&GdiObjectLog::CreatePenHook))
    , m_createSolidBrush("gdi32.dll", "CreateSolidBrush", Address(&GdiObjectLog::CreateSolidBrushHook))
    , m_deleteObject("gdi32.dll", "DeleteObject", Address(&GdiObjectLog::DeleteObjectHook))
{
    s_active = this;
}

GdiObjectLog::~GdiObjectLog()
{
    s_active = nullptr;
}

bool GdiObjectLog::AllDeleted() const
{
    for (const auto* made : {&pens, &brushes}) {
        for (HGDIOBJ object : *made) {
            if (::GetObjectType(object) != 0) {
                return false;
            }
        }
    }
    return true;
}

HPEN WINAPI GdiObjectLog::CreatePenHook(int style, int width, COLORREF colour)
{
    HPEN pen = Real<decltype(&::CreatePen)>(s_active->m_createPen)(style, width, colour);
    s_active->pens.push_back(pen);
    return pen;
}

HBRUSH WINAPI GdiObjectLog::CreateSolidBrushHook(COLORREF colour)
{
    HBRUSH brush = Real<decltype(&::CreateSolidBrush)>(s_active->m_createSolidBrush)(colour);
    s_active->brushes.push_back(brush);
    return brush;
}

BOOL WINAPI GdiObjectLog::DeleteObjectHook(HGDIOBJ object)
{
    GdiObjectLog& log = *s_active;
    if (object == ::GetCurrentObject(log.m_surface, OBJ_PEN) ||
        object == ::GetCurrentObject(log.m_surface, OBJ_BRUSH)) {
        log.deletedWhileSelected.push_back(object);
    }
    return Real<decltype(&::DeleteObject)>(log.m_deleteObject)(object);
}
