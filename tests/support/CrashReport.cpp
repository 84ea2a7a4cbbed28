// Prints where a test program crashed: the exception, then one line per stack frame with
// its module and offset (resolve with addr2line on the unstripped build). Installed before
// main, so every test program of the suite reports its crashes.

#include <windows.h>

#include <cstdio>

namespace {

void PrintAddress(DWORD64 address)
{
    HMODULE module = nullptr;
    wchar_t name[MAX_PATH] = L"?";
    if (::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<LPCWSTR>(address), &module)) {
        ::GetModuleFileNameW(module, name, MAX_PATH);
    }
    const wchar_t* base = name;
    for (const wchar_t* p = name; *p != L'\0'; ++p) {
        if (*p == L'\\' || *p == L'/') {
            base = p + 1;
        }
    }
    std::fprintf(stderr, "  %016llx %ls+0x%llx\n", static_cast<unsigned long long>(address), base,
                 static_cast<unsigned long long>(address - reinterpret_cast<DWORD64>(module)));
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception)
{
    std::fprintf(stderr, "crash: exception 0x%08lx at %p\n", exception->ExceptionRecord->ExceptionCode,
                 exception->ExceptionRecord->ExceptionAddress);
    CONTEXT context = *exception->ContextRecord;
    for (int frame = 0; frame < 40 && context.Rip != 0; ++frame) {
        PrintAddress(context.Rip);
        DWORD64 imageBase = 0;
        PRUNTIME_FUNCTION function = ::RtlLookupFunctionEntry(context.Rip, &imageBase, nullptr);
        if (function == nullptr) {
            // A leaf function, or a jump into nowhere: the return address is on the stack.
            context.Rip = *reinterpret_cast<DWORD64*>(context.Rsp);
            context.Rsp += 8;
            continue;
        }
        void* handlerData = nullptr;
        DWORD64 establisher = 0;
        ::RtlVirtualUnwind(UNW_FLAG_NHANDLER, imageBase, context.Rip, function, &context, &handlerData,
                           &establisher, nullptr);
    }
    std::fflush(stderr);
    return EXCEPTION_CONTINUE_SEARCH;
}

const bool g_installed = [] {
    ::SetUnhandledExceptionFilter(&ReportCrash);
    return true;
}();

} // namespace
