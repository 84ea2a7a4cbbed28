// A program with the library's stack protection that, asked to, overruns a buffer on its
// stack; or prints its stack guard.
//   stack_smash guard | smash

#include <cstdint>
#include <cstdio>
#include <cstring>

extern "C" std::uintptr_t __stack_chk_guard;

namespace {

__attribute__((noinline)) void Overrun(const char* text, std::size_t length)
{
    char buffer[16];
    std::memcpy(buffer, text, length); // deliberately past the end
    std::printf("copied %s\n", buffer);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "guard") == 0) {
        std::printf("%llx\n", static_cast<unsigned long long>(__stack_chk_guard));
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "smash") == 0) {
        static const char text[64] = "an operator typed a very long word into a short field";
        volatile std::size_t length = sizeof text;
        Overrun(text, length);
        std::printf("returned\n");
    }
    return 0;
}
