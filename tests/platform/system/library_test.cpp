#include "platform/system/library.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/system/last_error.h"
#include "tests/support/temp_dir.h"

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
    EXPECT_NE(lastLoadFailure().find("No such file or directory"), std::string::npos) << lastLoadFailure();
    EXPECT_EQ(LoadLibrary(""), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST(Library, KnowsTheFileEveryLoadedAddressCameFrom)
{
    // Loaded through a link, the library's file is the link's path.
    test::TempDir scratch;
    const std::string link = scratch.file("through.so");
    std::filesystem::create_symlink(QM_TEST_LOADABLE, link);
    HMODULE module = LoadLibrary(link.c_str());
    ASSERT_TRUE(isValidModuleHandle(module));
    EXPECT_EQ(loadedFileOf(GetProcAddress(module, "fixtureAnswer")), link);
    EXPECT_TRUE(FreeLibrary(module));

    // The platform's own libraries lie beside this one.
    EXPECT_EQ(std::filesystem::path(loadedFileOf(reinterpret_cast<const void*>(&LoadLibrary))).filename(),
              "libqmsystem.so");
    EXPECT_TRUE(std::filesystem::exists(platformLibraryDirectory() + "/" + kOwnSourceManagerFile));
    int local = 0;
    EXPECT_EQ(loadedFileOf(&local), "") << "a stack address belongs to no file";
}

}  // namespace
}  // namespace qm::sys
