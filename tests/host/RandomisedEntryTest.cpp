// Thousands of argument vectors, valid and invalid, against the invariants a host relies on:
// no crash, a known result, nothing written unless the result is 1, writes to the text only
// within its first `length` + 1 characters, ERROR_INVALID_PARAMETER exactly for bad arguments
// and ERROR_SUCCESS otherwise, and every valid call with a layer painter served: exactly one
// dialog, whose ending gives the result.
//
// TARSIL_RANDOM_VECTORS sets the number of vectors (default 3000) and TARSIL_RANDOM_SEED the
// seed, so that a failing vector can be replayed.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "dialog/ControlIds.h"
#include "support/DialogDriver.h"
#include "support/HostCall.h"

namespace {

std::mt19937 g_random;

int Uniform(int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(g_random);
}

bool Chance(int percent)
{
    return Uniform(1, 100) <= percent;
}

// Memory placed so that the byte after `size` bytes is the first byte of a no-access page:
// a write past the end faults at once instead of going unnoticed.
class GuardedBlock {
public:
    explicit GuardedBlock(size_t size)
    {
        const size_t page = 4096;
        const size_t pages = (size + page - 1) / page + 1;
        m_base = static_cast<char*>(::VirtualAlloc(nullptr, pages * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        ::VirtualProtect(m_base + (pages - 1) * page, page, PAGE_NOACCESS, &old);
        m_data = m_base + (pages - 1) * page - size;
    }
    ~GuardedBlock() { ::VirtualFree(m_base, 0, MEM_RELEASE); }
    GuardedBlock(const GuardedBlock&) = delete;
    GuardedBlock& operator=(const GuardedBlock&) = delete;

    template <typename T>
    T* As() const { return reinterpret_cast<T*>(m_data); }

private:
    char* m_base = nullptr;
    char* m_data = nullptr;
};

// Layer painters and lookups the vectors choose from. Some call `run` with any
// coordinates at all, some answer texts of any length.
void WINAPI RandomRuns(int width, int height, RunFn run)
{
    if (width != TARSIL_PICTURE_WIDTH || height != TARSIL_PICTURE_HEIGHT) {
        ADD_FAILURE() << "picture size " << width << " x " << height;
    }
    const int runs = Uniform(0, 40);
    for (int i = 0; i < runs; ++i) {
        run(static_cast<short>(Uniform(-32768, 32767)), static_cast<short>(Uniform(-32768, 32767)),
            static_cast<short>(Uniform(-32768, 32767)));
    }
    for (int i = 0; i < runs; ++i) {
        run(static_cast<short>(Uniform(-10, 540)), static_cast<short>(Uniform(-10, 540)),
            static_cast<short>(Uniform(-10, 210)));
    }
}

void WINAPI NoRuns(int, int, RunFn)
{
}

// Host texts of any length, mixing scripts. Wine 8's own text shaping crashes on long runs
// of some Indic scripts (167 x U+0DDA in a plain button, without this library), so the
// texts keep to scripts that it shapes safely.
const wchar_t* WINAPI RandomTexts(int)
{
    static const std::pair<wchar_t, wchar_t> kScripts[] = {
        {0x20, 0x7E},     {0xA0, 0x24F},    {0x370, 0x3FF},   {0x400, 0x4FF},
        {0x5D0, 0x5EA},   {0x621, 0x64A},   {0x2500, 0x257F}, {0x4E00, 0x9FFF},
    };
    static std::wstring text;
    if (Chance(30)) {
        return nullptr;
    }
    text.resize(static_cast<size_t>(Uniform(0, 300)));
    for (wchar_t& c : text) {
        const auto& script = kScripts[Uniform(0, 7)];
        c = static_cast<wchar_t>(Uniform(script.first, script.second));
    }
    return text.c_str();
}

enum class Ending { Ok, Ignore, Cancel, Escape, CloseBox, EditAndOk };

struct Vector {
    HWND parent;
    bool parentValid;
    int kind;
    int mode;
    int length;
    bool textGiven;
    size_t textCapacity; // characters the caller's buffer holds
    bool sizeGiven, orientationGiven, reservedGiven, trainGiven, unchangedGiven;
    double size, orientation;
    int colours[9];
    LayerDrawFn layer1, layer2;
    TextLookupFn lookup;
    Ending ending;
    std::wstring typed;
};

double RandomDouble()
{
    switch (Uniform(0, 5)) {
    case 0: return 0.0;
    case 1: return -static_cast<double>(Uniform(1, 1000)) / 7;
    case 2: return static_cast<double>(Uniform(0, 100000)) / 3;
    case 3: return std::ldexp(1.0, Uniform(-1074, 1023));
    case 4: return -std::ldexp(1.0, Uniform(-1074, 1023));
    default: return static_cast<double>(Uniform(0, 360));
    }
}

Vector MakeVector(HWND liveWindow, HWND deadWindow)
{
    Vector v{};
    const int parentChoice = Uniform(0, 9);
    v.parent = parentChoice < 6 ? nullptr : parentChoice < 9 ? liveWindow : deadWindow;
    v.parentValid = v.parent != deadWindow;
    v.kind = Chance(50) ? Uniform(0, 4) : Uniform(-100000, 100000);
    v.mode = Chance(70) ? Uniform(0, 3) : Uniform(-100000, 100000);
    v.length = Chance(85) ? Uniform(0, 83) : Uniform(-5, 200);
    v.textGiven = !Chance(8);
    v.textCapacity = static_cast<size_t>(std::max(v.length, 0)) + 1;
    v.sizeGiven = !Chance(5);
    v.orientationGiven = !Chance(5);
    v.reservedGiven = !Chance(5);
    v.trainGiven = !Chance(5);
    v.unchangedGiven = !Chance(5);
    v.size = RandomDouble();
    v.orientation = RandomDouble();
    for (int& colour : v.colours) {
        colour = Chance(80) ? Uniform(0, 255) : Uniform(-1000000, 1000000);
    }
    // Most vectors show no dialog, so that thousands of them run in seconds.
    if (Chance(12)) {
        v.layer1 = Chance(70) ? &RandomRuns : Chance(50) ? &NoRuns : nullptr;
        v.layer2 = v.layer1 == nullptr || Chance(50) ? &RandomRuns : nullptr;
    }
    v.lookup = Chance(60) ? &RandomTexts : nullptr;
    v.ending = static_cast<Ending>(Uniform(0, 5));
    const int typedLength = Uniform(1, 100);
    for (int i = 0; i < typedLength; ++i) {
        v.typed.push_back(static_cast<wchar_t>(Uniform(0x21, 0x7E)));
    }
    return v;
}

bool IsValid(const Vector& v)
{
    const bool dialog = v.layer1 != nullptr || v.layer2 != nullptr;
    return v.length >= 0 && v.length <= 83 && (v.textGiven || v.length == 0) && v.sizeGiven && v.orientationGiven &&
           (!dialog || (v.reservedGiven && v.trainGiven && v.unchangedGiven && v.parentValid));
}

// Queues the vector's ending. `okRefused` becomes true when the dialog refused OK with a
// message box (an empty text or a negative size), which the ending then cancels.
void QueueEnding(DialogDriver& driver, const Vector& v, bool& okRefused)
{
    switch (v.ending) {
    case Ending::Ok: driver.Click(IDOK); break;
    case Ending::Ignore: driver.Click(IDC_IGNORE); break;
    case Ending::Cancel: driver.Click(IDCANCEL); break;
    case Ending::Escape: driver.PressEscape(); break;
    case Ending::CloseBox: driver.CloseBox(); break;
    case Ending::EditAndOk: driver.Type(IDC_TEXT, v.typed).Click(IDOK); break;
    }
    // OK may be refused (a negative size): close the box and cancel.
    driver.WaitUntil([](DialogDriver& d) { return d.Dialog() == nullptr || d.OpenMessageBox() != nullptr; })
        .Do([&okRefused](DialogDriver& d) {
            if (d.OpenMessageBox() != nullptr) {
                okRefused = true;
                ::EndDialog(d.OpenMessageBox(), IDOK);
                ::PostMessageW(d.Control(IDCANCEL), BM_CLICK, 0, 0);
            }
        });
}

// What a valid call that shows the dialog returns for its ending.
int ExpectedResult(Ending ending, bool okRefused)
{
    switch (ending) {
    case Ending::Ok:
    case Ending::EditAndOk: return okRefused ? 0 : 1;
    case Ending::Ignore: return -1;
    default: return 0;
    }
}

struct Counts {
    int vectors = 0, invalid = 0, dialogs = 0, ok = 0, ignored = 0, cancelled = 0;
};

void RunVector(const Vector& v, Counts& counts)
{
    const size_t textBytes = v.textCapacity * sizeof(wchar_t);
    GuardedBlock textBlock(textBytes);
    GuardedBlock numbers(2 * sizeof(double));
    GuardedBlock outs(3 * sizeof(int));
    wchar_t* text = textBlock.As<wchar_t>();
    for (size_t i = 0; i < v.textCapacity; ++i) {
        text[i] = static_cast<wchar_t>(Uniform(0, 3) == 0 ? 0 : Uniform(0x20, 0x7E));
    }
    double* values = numbers.As<double>();
    values[0] = v.size;
    values[1] = v.orientation;
    int* outValues = outs.As<int>();
    outValues[0] = outValues[1] = outValues[2] = 0x5EED;
    const std::vector<wchar_t> textBefore(text, text + v.textCapacity);

    if (std::getenv("TARSIL_RANDOM_TRACE") != nullptr) {
        std::fprintf(stderr, "parent %p kind %d mode %d length %d text %d size %d/%g orientation %d/%g outs %d%d%d "
                             "layers %p %p lookup %p ending %d\n",
                     static_cast<void*>(v.parent), v.kind, v.mode, v.length, v.textGiven, v.sizeGiven, v.size,
                     v.orientationGiven, v.orientation, v.reservedGiven, v.trainGiven, v.unchangedGiven,
                     reinterpret_cast<void*>(v.layer1), reinterpret_cast<void*>(v.layer2),
                     reinterpret_cast<void*>(v.lookup), static_cast<int>(v.ending));
    }
    DialogDriver driver(5000);
    bool okRefused = false;
    QueueEnding(driver, v, okRefused);
    ::SetLastError(0xDEAD);
    const int result = TarsilLibrary::Get().rastStartDialog(
        v.parent, v.kind, v.mode, v.textGiven ? text : nullptr, v.length, v.sizeGiven ? &values[0] : nullptr,
        v.orientationGiven ? &values[1] : nullptr, Uniform(-5, 105), v.colours[0], v.colours[1], v.colours[2],
        v.colours[3], v.colours[4], v.colours[5], v.colours[6], v.colours[7], v.colours[8], v.layer1, v.layer2,
        v.reservedGiven ? &outValues[0] : nullptr, v.trainGiven ? &outValues[1] : nullptr,
        v.unchangedGiven ? &outValues[2] : nullptr, v.lookup);
    const DWORD error = ::GetLastError();

    ++counts.vectors;
    const bool valid = IsValid(v);
    const bool painted = v.layer1 != nullptr || v.layer2 != nullptr;
    counts.invalid += valid ? 0 : 1;
    counts.dialogs += driver.DialogsOpened();
    ASSERT_TRUE(result == 1 || result == -1 || result == 0) << result;
    ASSERT_FALSE(driver.TimedOut());
    ASSERT_EQ(error, valid ? static_cast<DWORD>(ERROR_SUCCESS) : static_cast<DWORD>(ERROR_INVALID_PARAMETER))
        << "length " << v.length;
    // Every valid call with a layer painter is served: one dialog, ended as the vector says.
    ASSERT_EQ(driver.DialogsOpened(), valid && painted ? 1 : 0);
    ASSERT_EQ(result, valid && painted ? ExpectedResult(v.ending, okRefused) : 0);

    if (result != 1) {
        counts.ignored += result == -1 ? 1 : 0;
        counts.cancelled += result == 0 ? 1 : 0;
        ASSERT_TRUE(std::equal(textBefore.begin(), textBefore.end(), text));
        ASSERT_EQ(values[0], v.size);
        ASSERT_EQ(values[1], v.orientation);
        ASSERT_EQ(outValues[0], 0x5EED);
        ASSERT_EQ(outValues[1], 0x5EED);
        ASSERT_EQ(outValues[2], 0x5EED);
        return;
    }
    ++counts.ok;
    ASSERT_TRUE(valid);
    ASSERT_EQ(outValues[0], 1);
    ASSERT_TRUE(outValues[1] == 0 || outValues[1] == 1);
    ASSERT_TRUE(outValues[2] == 0 || outValues[2] == 1);
    if (outValues[2] == 1) {
        ASSERT_TRUE(std::equal(textBefore.begin(), textBefore.end(), text));
    } else {
        ASSERT_EQ(text[v.length], L'\0');
    }
}

} // namespace

TEST(RandomisedEntry, InvariantsHoldForEveryArgumentVector)
{
    const char* vectorsSetting = std::getenv("TARSIL_RANDOM_VECTORS");
    const char* seedSetting = std::getenv("TARSIL_RANDOM_SEED");
    const int vectors = vectorsSetting != nullptr ? std::atoi(vectorsSetting) : 3000;
    const unsigned seed = seedSetting != nullptr ? static_cast<unsigned>(std::strtoul(seedSetting, nullptr, 10))
                                                 : 20261209u;
    g_random.seed(seed);

    HWND liveWindow = ::CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                        nullptr, nullptr, nullptr, nullptr);
    HWND deadWindow = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ::DestroyWindow(deadWindow);
    if (std::getenv("TARSIL_RANDOM_TRACE") != nullptr) {
        std::fprintf(stderr, "live %p dead %p\n", static_cast<void*>(liveWindow), static_cast<void*>(deadWindow));
    }

    Counts counts;
    for (int i = 0; i < vectors && !HasFatalFailure(); ++i) {
        SCOPED_TRACE(testing::Message() << "vector " << i << " of seed " << seed);
        if (std::getenv("TARSIL_RANDOM_TRACE") != nullptr) {
            std::fprintf(stderr, "vector %d\n", i);
        }
        RunVector(MakeVector(liveWindow, deadWindow), counts);
    }
    ::DestroyWindow(liveWindow);

    std::printf("vectors tried: %d (invalid %d, dialogs %d: OK %d, Ignore %d, other %d), seed %u\n", counts.vectors,
                counts.invalid, counts.dialogs, counts.ok, counts.ignored, counts.cancelled - (counts.vectors - counts.dialogs),
                seed);
    EXPECT_EQ(counts.vectors, vectors);
    EXPECT_GT(counts.dialogs, 0);
    EXPECT_GT(counts.ok, 0);
}
