// COM for the test program's thread, once, as a host's wmain has it: the code under test
// reads and writes images through Windows Imaging Component.

#include <gtest/gtest.h>

#include "ComScope.h"

#include <memory>

namespace {

class ComForTests : public testing::Environment {
public:
    void SetUp() override
    {
        m_com = std::make_unique<ComScope>();
        ASSERT_HRESULT_SUCCEEDED(m_com->result);
    }
    void TearDown() override { m_com.reset(); }

private:
    std::unique_ptr<ComScope> m_com;
};

const testing::Environment* const g_comForTests = testing::AddGlobalTestEnvironment(new ComForTests);

} // namespace
