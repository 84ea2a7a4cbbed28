#include "HostCall.h"

#include <cstdlib>
#include <stdexcept>

namespace {

// GetProcAddress returns a generic function pointer; going through void* converts it to
// the export's real type without a warning about incompatible function types.
template <typename Function>
Function Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// The library under test: TarsilDlg29.dll, or the build that TARSIL_LIBRARY names.
std::wstring LibraryName()
{
    const char* setting = std::getenv("TARSIL_LIBRARY");
    const std::string name = setting != nullptr ? setting : "TarsilDlg29.dll";
    return std::wstring(name.begin(), name.end());
}

} // namespace

TarsilLibrary& TarsilLibrary::Get()
{
    static TarsilLibrary library;
    return library;
}

TarsilLibrary::TarsilLibrary()
    : module(::LoadLibraryW(LibraryName().c_str()))
    , rastStartDialog(nullptr)
    , dummyFunction(nullptr)
{
    if (module == nullptr) {
        throw std::runtime_error("the library under test could not be loaded");
    }
    rastStartDialog = Export<RastStartDialogFn>(module, "RastStartDialog");
    dummyFunction = Export<DummyFunctionFn>(module, "dummyfunction");
}

HostCall::HostCall()
    : text(buffer.data())
    , drawLayer1(&HostCall::NoRuns)
{
    SetText(L"recognised");
}

void HostCall::SetText(const std::wstring& word)
{
    buffer.fill(kTextSentinel);
    std::copy(word.begin(), word.end(), buffer.begin());
    buffer[word.size()] = L'\0';
}

std::wstring HostCall::Text() const
{
    std::wstring result;
    for (size_t i = 0; i < buffer.size() && buffer[i] != L'\0'; ++i) {
        result.push_back(buffer[i]);
    }
    return result;
}

int HostCall::Run()
{
    before = {buffer, sizeValue, orientationValue, reservedValue, trainValue, unchangedValue};
    ::SetLastError(0xDEAD);
    result = TarsilLibrary::Get().rastStartDialog(
        parent, kind, mode, text, length, size, orientation, confidence, colours[0], colours[1], colours[2],
        colours[3], colours[4], colours[5], colours[6], colours[7], colours[8], drawLayer1, drawLayer2,
        reservedOut, trainOut, unchangedOut, lookup);
    lastError = ::GetLastError();
    return result;
}

testing::AssertionResult HostCall::NothingWritten() const
{
    for (size_t i = 0; i < buffer.size(); ++i) {
        if (buffer[i] != before.buffer[i]) {
            return testing::AssertionFailure() << "text[" << i << "] changed from " << static_cast<int>(before.buffer[i])
                                               << " to " << static_cast<int>(buffer[i]);
        }
    }
    const std::pair<const char*, bool> values[] = {
        {"size", sizeValue != before.size},
        {"orientation", orientationValue != before.orientation},
        {"reserved", reservedValue != before.reserved},
        {"train", trainValue != before.train},
        {"unchanged", unchangedValue != before.unchanged},
    };
    for (const auto& [name, changed] : values) {
        if (changed) {
            return testing::AssertionFailure() << name << " was written";
        }
    }
    return testing::AssertionSuccess();
}

void WINAPI HostCall::NoRuns(int, int, RunFn)
{
}
