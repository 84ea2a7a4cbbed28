// The stack protector's guard value and its failure handler, for the code compiled with
// -fstack-protector-strong.
//
// The compiler's own support library seeds the guard through the Crypto API, which loads
// advapi32 and a cryptographic provider on every load of the library. The guard is seeded
// here instead from values that differ per process, per load and per run (time, counters,
// process and thread ids, and addresses that address space randomisation moves), the way
// the platform's own compilers seed their stack cookies.

#include <windows.h>

#include <cstdint>

extern "C" {

// Read by every protected function; non-zero until seeded so a zero never matches.
// The names are the compiler's: it emits references to them.
std::uintptr_t __stack_chk_guard = 0x2B992DDFA232ull; // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)

// A protected function found its stack frame overwritten: end the process at once, as
// the platform does for a broken stack cookie, before the damage can be used.
[[noreturn]] void __stack_chk_fail(void) // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
{
    ::TerminateProcess(::GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    for (;;) {
    }
}

} // extern "C"

namespace {

// Runs before any other static constructor of the library, itself unprotected: no
// protected function is on the stack while the guard changes.
__attribute__((constructor(101), no_stack_protector)) void SeedStackGuard()
{
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    std::uint64_t seed = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    seed ^= static_cast<std::uint64_t>(counter.QuadPart) << 17;
    seed ^= static_cast<std::uint64_t>(::GetCurrentProcessId()) << 40;
    seed ^= static_cast<std::uint64_t>(::GetCurrentThreadId()) << 8;
    seed ^= ::GetTickCount64();
    seed ^= reinterpret_cast<std::uintptr_t>(&now);              // the stack's random base
    seed ^= reinterpret_cast<std::uintptr_t>(&__stack_chk_guard); // the image's random base
    // Mix the bits (splitmix64), so that every input bit reaches every guard bit.
    seed += 0x9E3779B97F4A7C15ull;
    seed = (seed ^ (seed >> 30)) * 0xBF58476D1CE4E5B9ull;
    seed = (seed ^ (seed >> 27)) * 0x94D049BB133111EBull;
    seed ^= seed >> 31;
    // A zero byte first stops string copies from reproducing the guard.
    __stack_chk_guard = static_cast<std::uintptr_t>(seed & ~std::uint64_t{0xFF});
}

} // namespace
