#pragma once

#include <windows.h>

#include "CCmdTarget.h"

// Message maps. Each entry is a typed test-and-call: the handler's signature is checked
// by the compiler, and the first entry that matches ends the search. Entries that are
// not matched fall through to the base class's map.

#define DECLARE_MESSAGE_MAP()                                                               \
protected:                                                                                  \
    bool ProcessMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                              \
    bool theClass::ProcessMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) \
    {                                                                                       \
        typedef theClass ThisClass;                                                         \
        typedef baseClass TheBaseClass;                                                     \
        (void)sizeof(ThisClass);

#define END_MESSAGE_MAP()                                                                   \
        return TheBaseClass::ProcessMessageMap(message, wParam, lParam, result);            \
    }

// void OnPaint()
#define ON_WM_PAINT()                                                                       \
    if (message == WM_PAINT) {                                                              \
        this->OnPaint();                                                                    \
        result = 0;                                                                         \
        return true;                                                                        \
    }

// void OnDestroy()
#define ON_WM_DESTROY()                                                                     \
    if (message == WM_DESTROY) {                                                            \
        this->OnDestroy();                                                                  \
        result = 0;                                                                         \
        return true;                                                                        \
    }

// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON()                                                               \
    if (message == WM_QUERYDRAGICON) {                                                      \
        result = reinterpret_cast<LRESULT>(this->OnQueryDragIcon());                        \
        return true;                                                                        \
    }

// void memberFxn(), for a command from a menu, an accelerator or a button click.
#define ON_COMMAND(id, memberFxn)                                                           \
    if (message == WM_COMMAND && LOWORD(wParam) == (id)                                     \
        && AfxIsCommandNotification(wParam, lParam)) {                                      \
        (this->*static_cast<void (ThisClass::*)()>(memberFxn))();                          \
        result = 0;                                                                         \
        return true;                                                                        \
    }

// void memberFxn(), for a click on the button with the given id.
#define ON_BN_CLICKED(id, memberFxn)                                                        \
    if (message == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == BN_CLICKED) { \
        (this->*static_cast<void (ThisClass::*)()>(memberFxn))();                          \
        result = 0;                                                                         \
        return true;                                                                        \
    }
