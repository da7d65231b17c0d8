#include "apps/acquire/options.h"

#include <gtest/gtest.h>

#include <vector>

namespace qm::acquire {
namespace {

std::optional<AcquireOptions> parse(std::vector<const char*> arguments, std::string& error)
{
    arguments.insert(arguments.begin(), "acquire");
    return parseOptions(int(arguments.size()), arguments.data(), error);
}

TEST(AcquireOptions, ReadsEveryOption)
{
    std::string error;
    auto options = parse({"--mech", "memory", "--out", "pictures", "--source", "Some Camera", "--timeout", "30"}, error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->mechanism, twain::TWSX_MEMORY);
    EXPECT_EQ(options->outDirectory, "pictures");
    EXPECT_EQ(options->sourceName, "Some Camera");
    EXPECT_EQ(options->timeoutSeconds, 30);
    EXPECT_FALSE(options->listOnly);

    options = parse({"--mech", "file", "--list"}, error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->mechanism, twain::TWSX_FILE);
    EXPECT_TRUE(options->listOnly);
    options = parse({}, error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->mechanism, twain::TWSX_NATIVE);
    EXPECT_EQ(options->outDirectory, "out");
}

TEST(AcquireOptions, RefusesWhatItCannotUse)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--mech", "fax"}, {"--mech"}, {"--out", ""}, {"--timeout", "soon"}, {"--timeout", "-1"},
        {"--timeout", "5s"}, {"--colour"},
    };
    for (const auto& arguments : bad) {
        std::string error;
        EXPECT_FALSE(parse(arguments, error)) << arguments[0];
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace qm::acquire
