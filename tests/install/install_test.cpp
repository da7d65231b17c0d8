// The driver set installed into a fresh prefix and used as a new user would:
// no WINDIR, no QM4200_* variables, a new home. A TWAIN application finds
// the source through our source manager, a picture comes from the simulated
// camera through the real panel, and the tools find their modules; the
// installed tree is the same afterwards.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "tests/support/clean_run.h"
#include "tests/support/temp_dir.h"

namespace qm::install::test {

using qm::test::Background;
using qm::test::Environment;
using qm::test::Finished;
using qm::test::runClean;
using qm::test::runShell;

namespace {

namespace fs = std::filesystem;

// What a file of the tree is: kind, size, modification time, link target.
struct Entry {
    char kind = '?';
    std::uintmax_t size = 0;
    long long modified = 0;
    std::string target;
    bool operator==(const Entry&) const = default;
};

std::map<std::string, Entry> snapshot(const std::string& root)
{
    std::map<std::string, Entry> tree;
    for (const fs::directory_entry& item : fs::recursive_directory_iterator(root)) {
        struct stat info {};
        if (lstat(item.path().c_str(), &info) != 0)
            continue;
        Entry entry;
        entry.kind = S_ISLNK(info.st_mode) ? 'l' : S_ISDIR(info.st_mode) ? 'd' : 'f';
        entry.size = S_ISREG(info.st_mode) ? std::uintmax_t(info.st_size) : 0;
        entry.modified = S_ISDIR(info.st_mode) ? 0 : info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
        if (entry.kind == 'l')
            entry.target = fs::read_symlink(item.path()).string();
        tree[fs::relative(item.path(), root).string()] = entry;
    }
    return tree;
}

// A fresh home, a private temporary directory (the simulated camera's
// socket goes there) and the system's own paths; sanitizer settings pass.
Environment newUser(const std::string& scratch)
{
    Environment environment{{"HOME", scratch + "/home"}, {"TMPDIR", scratch + "/tmp"}, {"PATH", "/usr/bin:/bin"}};
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            environment[name] = value;
    return environment;
}

class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        prefix_ = new qm::test::TempDir;
        const Finished install = runClean(QM_CMAKE_COMMAND, {"--install", QM_BUILD_DIR, "--prefix", prefix_->path()},
                                          {{"PATH", "/usr/bin:/bin"}}, 300);
        installed_ = install.exitCode == 0;
        if (!installed_)
            std::fprintf(stderr, "cmake --install failed:\n%s%s\n", install.out.c_str(), install.err.c_str());
    }
    static void TearDownTestSuite()
    {
        delete prefix_;
        prefix_ = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(installed_);
        fs::create_directories(scratch.file("home"));
        fs::create_directories(scratch.file("tmp"));
        user = newUser(scratch.path());
    }

    static std::string prefix() { return prefix_->path(); }
    static std::string tool(const std::string& name) { return prefix() + "/bin/" + name; }

    qm::test::TempDir scratch;
    Environment user;

private:
    static qm::test::TempDir* prefix_;
    static bool installed_;
};

qm::test::TempDir* Installed::prefix_ = nullptr;
bool Installed::installed_ = false;

TEST_F(Installed, LaysOutTheToolsTheLibrariesAndAReadOnlyWindowsDirectory)
{
    for (const char* name : {"bin/acquire", "bin/camsim", "bin/qmcam", "bin/qmvideo", "lib/qm4200/libqmsystem.so",
                             "lib/qm4200/libqmdsm.so", "lib/qm4200/libqmui.so", "lib/qm4200/libmorvax.so",
                             "lib/qm4200/windows/TWAIN_32/QM4200.DS",
                             "lib/qm4200/windows/TWAIN_32/QM4200/Vantrel.DLL",
                             "lib/qm4200/windows/TWAIN_32/QM4200/Kestrom.DLL"})
        EXPECT_TRUE(fs::is_regular_file(prefix() + "/" + name)) << name;
    // Source managers list the source through a link whose name holds ".ds".
    const std::string listed = prefix() + "/lib/twain/qm4200.ds";
    ASSERT_TRUE(fs::is_symlink(listed));
    EXPECT_EQ(fs::read_symlink(listed), "../qm4200/windows/TWAIN_32/QM4200.DS");
    EXPECT_TRUE(fs::equivalent(listed, prefix() + "/lib/qm4200/windows/TWAIN_32/QM4200.DS"));
    // Nothing of the tests and nothing per user.
    for (const auto& [path, entry] : snapshot(prefix())) {
        EXPECT_EQ(path.find("test"), std::string::npos) << path;
        EXPECT_EQ(path.find("KVB.ini"), std::string::npos) << path;
    }
    // The programs reach their libraries through their own location.
    const Finished needed = runShell("LC_ALL=C ldd " + tool("qmcam") + " " + prefix() +
                                         "/lib/qm4200/windows/TWAIN_32/QM4200/Vantrel.DLL " + prefix() +
                                         "/lib/twain/qm4200.ds",
                                     user, 60);
    EXPECT_EQ(needed.out.find("not found"), std::string::npos) << needed.out;
    std::istringstream lines(needed.out);
    int ours = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("libqm") == std::string::npos)
            continue;
        ++ours;
        EXPECT_NE(line.find(" => " + prefix() + "/"), std::string::npos) << line;
    }
    EXPECT_GE(ours, 5) << needed.out;
}

TEST_F(Installed, ANewUserReachesTheCameraThroughTwainAndTheTools)
{
    const std::map<std::string, Entry> before = snapshot(prefix());

    // The simulated camera on its default cable; the tools find it there.
    const std::string ready = scratch.file("camsim.ready");
    Background camsim(tool("camsim"), {"--count", "2", "--pacing", "off", "--quiet", "--ready-file", ready}, user,
                      scratch.file("camsim.log"));
    ASSERT_TRUE(camsim.waitForFile(ready, 30)) << qm::test::readTextFile(scratch.file("camsim.log"));

    const Finished list = runClean(tool("qmcam"), {"list"}, user, 120);
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("2 pictures"), std::string::npos) << list.out;

    // Our source manager lists the installed source and opens it.
    const Finished sources = runClean(tool("acquire"), {"--list"}, user, 60);
    ASSERT_EQ(sources.exitCode, 0) << sources.err;
    EXPECT_NE(sources.out.find("Corvel Camera 640X480 driver (Quillon"), std::string::npos) << sources.out;

    // The real panel, driven by a script: the first thumbnail, then Transfer.
    // The browser shows while it still fetches the thumbnails; Transfer comes
    // alive once they are loaded.
    const std::string script = scratch.file("transfer.ui");
    qm::test::writeTextFile(script,
                            "wait-window \"Corvel Camera 640X480 driver\" 60000\n"
                            "wait-enabled \"Corvel Camera 640X480 driver\" 1002 60000\n"
                            "click \"Corvel Camera 640X480 driver\" 1058\n"
                            "click \"Corvel Camera 640X480 driver\" 1002\n");
    const std::string pictures = scratch.file("pictures/new");
    const Finished acquire = runClean(
        tool("acquire"), {"--mech", "memory", "--out", pictures, "--timeout", "60", "--ui-script", script}, user, 180);
    EXPECT_EQ(acquire.exitCode, 0) << acquire.out << acquire.err;
    EXPECT_NE(acquire.out.find("Opened Corvel Camera 640X480 driver"), std::string::npos) << acquire.out;
    EXPECT_TRUE(fs::is_regular_file(pictures + "/picture-001.png")) << acquire.out << acquire.err;
    EXPECT_TRUE(fs::is_regular_file(pictures + "/picture-001.bmp"));

    const Finished formats = runClean(tool("qmvideo"), {"formats"}, user, 120);
    ASSERT_EQ(formats.exitCode, 0) << formats.err;
    EXPECT_NE(formats.out.find("stream 0 (capture): 10 formats"), std::string::npos) << formats.out;

    // Per-user state went to the new home, made on first use; the installed
    // tree is as it was.
    const std::string own = scratch.file("home/.local/share/qm4200/windows");
    EXPECT_TRUE(fs::is_regular_file(own + "/TWAIN_32/QM4200/KVB.ini"));
    EXPECT_EQ(snapshot(prefix()), before);
}

}  // namespace
}  // namespace qm::install::test
