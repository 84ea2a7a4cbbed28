// The dialog template's bytes as stored in the DLL, against its table: this catches a
// mistyped blank, style or position that the running dialog would hide.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/HostCall.h"
#include "support/TemplateControls.h"

namespace {

// Reads a classic dialog template word by word.
class TemplateReader {
public:
    explicit TemplateReader(const unsigned char* data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }

    WORD Word()
    {
        if (m_offset + 2 > m_size) {
            throw std::out_of_range("template ends early");
        }
        WORD value = 0;
        std::memcpy(&value, m_data + m_offset, 2);
        m_offset += 2;
        return value;
    }
    DWORD Dword()
    {
        const DWORD low = Word();
        return low | (static_cast<DWORD>(Word()) << 16);
    }
    short Short() { return static_cast<short>(Word()); }
    std::wstring String()
    {
        std::wstring text;
        for (WORD c = Word(); c != 0; c = Word()) {
            text.push_back(static_cast<wchar_t>(c));
        }
        return text;
    }
    void AlignToDword() { m_offset = (m_offset + 3) & ~size_t{3}; }
    size_t Offset() const { return m_offset; }

private:
    const unsigned char* m_data;
    size_t m_size;
    size_t m_offset = 0;
};

} // namespace

TEST(DialogTemplate, BytesMatchTheTable)
{
    HMODULE module = TarsilLibrary::Get().module;
    HRSRC found = ::FindResourceExW(module, RT_DIALOG, MAKEINTRESOURCEW(102),
                                    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(found, nullptr);
    const auto* data = static_cast<const unsigned char*>(::LockResource(::LoadResource(module, found)));
    TemplateReader reader(data, ::SizeofResource(module, found));

    // A classic template starts with its style, not with the 0x0001 0xFFFF of the extended one.
    EXPECT_EQ(reader.Dword(), 0x90C800C0u);
    EXPECT_EQ(reader.Dword(), 0u); // extended style
    ASSERT_EQ(reader.Word(), 16);  // controls
    EXPECT_EQ(reader.Short(), 0);
    EXPECT_EQ(reader.Short(), 0);
    EXPECT_EQ(reader.Short(), 362);
    EXPECT_EQ(reader.Short(), 234);
    EXPECT_EQ(reader.Word(), 0); // no menu
    EXPECT_EQ(reader.Word(), 0); // the platform's dialog class
    EXPECT_EQ(reader.String(), L"Word Verification");
    EXPECT_EQ(reader.Word(), 8); // point size
    EXPECT_EQ(reader.String(), L"MS Sans Serif");

    for (const TemplateControl& expected : kTemplateControls) {
        SCOPED_TRACE(testing::Message() << "control " << expected.id);
        reader.AlignToDword();
        EXPECT_EQ(reader.Dword(), expected.style);
        EXPECT_EQ(reader.Dword(), 0u); // extended style
        EXPECT_EQ(reader.Short(), expected.x);
        EXPECT_EQ(reader.Short(), expected.y);
        EXPECT_EQ(reader.Short(), expected.cx);
        EXPECT_EQ(reader.Short(), expected.cy);
        EXPECT_EQ(reader.Word(), expected.id);
        EXPECT_EQ(reader.Word(), 0xFFFF); // a predefined class, by atom
        EXPECT_EQ(reader.Word(), expected.classAtom);
        EXPECT_EQ(reader.String(), expected.text);
        EXPECT_EQ(reader.Word(), 0); // no creation data
    }
    EXPECT_EQ(reader.Offset(), static_cast<size_t>(::SizeofResource(module, found)));
}
