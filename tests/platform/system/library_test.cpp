#include "platform/system/library.h"

#include <gtest/gtest.h>

#include "platform/system/last_error.h"

namespace qm::sys {
namespace {

TEST(Library, LoadsByPathAndFindsOnlyExports)
{
    HMODULE module = LoadLibrary(QM_TEST_LOADABLE);
    ASSERT_TRUE(isValidModuleHandle(module));
    auto answer = getProc<int (*)()>(module, "fixtureAnswer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(GetProcAddress(module, "fixtureHidden"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(Library, ReferencesAreCounted)
{
    HMODULE first = LoadLibrary(QM_TEST_LOADABLE);
    HMODULE second = LoadLibrary(QM_TEST_LOADABLE);
    ASSERT_EQ(first, second);
    EXPECT_TRUE(FreeLibrary(first));
    // Still loaded through the second reference.
    auto answer = getProc<int (*)()>(second, "fixtureAnswer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_TRUE(FreeLibrary(second));
}

TEST(Library, MissingLibrariesFailWithTheLastError)
{
    EXPECT_EQ(LoadLibrary("/nonexistent/Vantrel.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(LoadLibrary(""), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
}

}  // namespace
}  // namespace qm::sys
