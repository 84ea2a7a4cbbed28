#include "AfxHeap.h"

#ifdef TARSIL_GUARDED_HEAP

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

// The blocks come from one range of address space reserved at load. Each block takes the
// next pages of the range: as many as its bytes and its header need, committed, then one
// page left uncommitted as the guard. The block ends at the end of its last committed page
// (its size rounded up to malloc's alignment), so the first byte past the rounded size is
// the guard's. A free decommits the block's pages and nothing reuses them.

namespace {

constexpr std::size_t kPage = 4096;
constexpr std::size_t kAlignment = 16; // as malloc's blocks
// Address space only; the whole black-box suite in one process takes about 40 MB of it.
constexpr std::size_t kArenaBytes = std::size_t{1} << 30;
constexpr unsigned char kFill = 0xA5; // the unused bytes around a block
constexpr std::uint64_t kLive = 0x4B434F4C42455649; // marks a block's header while it lives
constexpr DWORD kHeapCorruption = 0xC0000374;  // STATUS_HEAP_CORRUPTION

// In front of every block, within its first committed page.
struct Header {
    std::size_t size;
    std::uint64_t mark;
};
static_assert(sizeof(Header) == kAlignment, "the header keeps the block aligned");

char* g_arena = nullptr;
volatile LONG64 g_nextPage = 0;
void* g_handler = nullptr;

[[noreturn]] void Fail(const char* what, const void* address)
{
    // Nothing more can be done if the report cannot be written: the process ends anyway.
    (void)std::fprintf(stderr, "guarded heap: %s (address %p)\n", what, address);
    (void)std::fflush(stderr);
    ::TerminateProcess(::GetCurrentProcess(), kHeapCorruption);
    for (;;) {
    }
}

bool InArena(const void* address)
{
    return g_arena != nullptr && static_cast<std::size_t>(static_cast<const char*>(address) - g_arena) < kArenaBytes;
}

std::size_t Rounded(std::size_t size)
{
    return (size + kAlignment - 1) / kAlignment * kAlignment;
}

std::size_t PagesFor(std::size_t rounded)
{
    return (rounded + sizeof(Header) + kPage - 1) / kPage;
}

bool AllFill(const char* from, const char* to)
{
    for (const char* p = from; p < to; ++p) {
        if (static_cast<unsigned char>(*p) != kFill) {
            return false;
        }
    }
    return true;
}

// A touch of a guard page or of a freed block ends the process before any handler of the
// library or its host can swallow it.
LONG CALLBACK OnAccessViolation(EXCEPTION_POINTERS* exception)
{
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2 &&
        InArena(reinterpret_cast<const void*>(record.ExceptionInformation[1]))) {
        HMODULE module = nullptr;
        wchar_t name[MAX_PATH] = L"?";
        if (::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                 static_cast<LPCWSTR>(record.ExceptionAddress), &module)) {
            ::GetModuleFileNameW(module, name, MAX_PATH);
        }
        (void)std::fprintf(stderr, "guarded heap: instruction at %ls+0x%llx\n", name,
                     static_cast<unsigned long long>(static_cast<const char*>(record.ExceptionAddress) -
                                                     reinterpret_cast<const char*>(module)));
        Fail(record.ExceptionInformation[0] != 0 ? "write past the end of a block or after its free"
                                                 : "read past the end of a block or after its free",
             reinterpret_cast<const void*>(record.ExceptionInformation[1]));
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// Runs after every static object of the module has been destroyed, so no block of theirs
// is freed after the range has gone; frees that come later still are ignored.
void ReleaseArena()
{
    ::RemoveVectoredExceptionHandler(g_handler);
    ::VirtualFree(g_arena, 0, MEM_RELEASE);
    g_arena = nullptr;
}

// Before any other static constructor of the module but the stack guard's seeding, so that
// the range is there for the first block and its release is registered first, to run last.
__attribute__((constructor(102))) void ReserveArena()
{
    g_arena = static_cast<char*>(::VirtualAlloc(nullptr, kArenaBytes, MEM_RESERVE, PAGE_NOACCESS));
    if (g_arena == nullptr) {
        Fail("no address space for the blocks", nullptr);
    }
    g_handler = ::AddVectoredExceptionHandler(1, &OnAccessViolation);
    if (g_handler == nullptr || std::atexit(&ReleaseArena) != 0) {
        Fail("the heap's handler or its release could not be registered", nullptr);
    }
}

Header& HeaderOf(void* block)
{
    if (!InArena(block)) {
        Fail("a block that the heap did not give", block);
    }
    Header& header = *(static_cast<Header*>(block) - 1);
    if (header.mark != kLive) {
        Fail("the header in front of a block is damaged", block);
    }
    return header;
}

} // namespace

void* AfxAllocate(std::size_t size)
{
    if (size > kArenaBytes) {
        return nullptr;
    }
    const std::size_t rounded = Rounded(size);
    const std::size_t pages = PagesFor(rounded);
    const auto first = static_cast<std::size_t>(::InterlockedExchangeAdd64(&g_nextPage, static_cast<LONG64>(pages + 1)));
    if ((first + pages + 1) * kPage > kArenaBytes) {
        Fail("the blocks' address space is used up", nullptr);
    }
    char* const start = g_arena + first * kPage;
    if (::VirtualAlloc(start, pages * kPage, MEM_COMMIT, PAGE_READWRITE) == nullptr) {
        return nullptr;
    }
    char* const block = start + pages * kPage - rounded;
    Header* const header = reinterpret_cast<Header*>(block) - 1;
    std::memset(start, kFill, reinterpret_cast<char*>(header) - start);
    std::memset(block + size, kFill, rounded - size);
    header->size = size;
    header->mark = kLive;
    return block;
}

void* AfxReallocate(void* block, std::size_t size)
{
    void* const moved = AfxAllocate(size);
    if (moved != nullptr && block != nullptr) {
        const std::size_t kept = HeaderOf(block).size;
        std::memcpy(moved, block, kept < size ? kept : size);
        AfxFree(block);
    }
    return moved;
}

void AfxFree(void* block)
{
    if (block == nullptr || g_arena == nullptr) {
        return;
    }
    Header& header = HeaderOf(block);
    char* const bytes = static_cast<char*>(block);
    const std::size_t rounded = Rounded(header.size);
    char* const start = bytes + rounded - PagesFor(rounded) * kPage;
    if (!AllFill(bytes + header.size, bytes + rounded)) {
        Fail("a write past the end of a block, within its alignment", bytes + header.size);
    }
    if (!AllFill(start, reinterpret_cast<char*>(&header))) {
        Fail("a write before the start of a block", block);
    }
    header.mark = 0;
    ::VirtualFree(start, PagesFor(rounded) * kPage, MEM_DECOMMIT);
}

#endif
