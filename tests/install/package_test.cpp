// The Debian package as cpack builds it from the build tree: what it
// installs where, and what it declares it needs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

#include "tests/support/clean_run.h"
#include "tests/support/temp_dir.h"

namespace qm::install::test {

using qm::test::Environment;
using qm::test::Finished;
using qm::test::runClean;

namespace {

namespace fs = std::filesystem;

const Environment kTools{{"PATH", "/usr/bin:/bin:/usr/sbin:/sbin"}, {"LC_ALL", "C"}};

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

// "libc6 (>= 2.34), libjpeg62-turbo (>= 1.3.1), fonts-dejavu-core" -> names.
std::set<std::string> packageNames(const std::string& depends)
{
    std::set<std::string> names;
    std::istringstream stream(depends);
    for (std::string item; std::getline(stream, item, ',');) {
        const auto first = item.find_first_not_of(" \n");
        if (first == std::string::npos)
            continue;
        const auto end = item.find_first_of(" (|\n", first);
        names.insert(item.substr(first, end == std::string::npos ? std::string::npos : end - first));
    }
    return names;
}

class Package : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        out_ = new qm::test::TempDir;
        const Finished cpack = runClean(QM_CPACK_COMMAND, {"-G", "DEB", "-B", out_->path()}, kTools, 600, QM_BUILD_DIR);
        for (const fs::directory_entry& item : fs::directory_iterator(out_->path()))
            if (item.path().extension() == ".deb")
                deb_ = new std::string(item.path().string());
        if (deb_ == nullptr)
            std::fprintf(stderr, "cpack made no package:\n%s%s\n", cpack.out.c_str(), cpack.err.c_str());
    }
    static void TearDownTestSuite()
    {
        delete deb_;
        deb_ = nullptr;
        delete out_;
        out_ = nullptr;
    }

    void SetUp() override { ASSERT_NE(deb_, nullptr); }

    static std::string field(const std::string& name)
    {
        return runClean("/usr/bin/dpkg-deb", {"--field", *deb_, name}, kTools, 60).out;
    }

    static qm::test::TempDir* out_;
    static std::string* deb_;
};

qm::test::TempDir* Package::out_ = nullptr;
std::string* Package::deb_ = nullptr;

TEST_F(Package, HoldsTheInstalledLayoutUnderUsr)
{
    const Finished contents = runClean("/usr/bin/dpkg-deb", {"--contents", *deb_}, kTools, 60);
    ASSERT_EQ(contents.exitCode, 0) << contents.err;
    // "drwxr-xr-x root/root 0 2024-01-01 00:00 ./usr/bin/qmcam" and, for links, "... -> target".
    std::map<std::string, std::string> files;
    for (const std::string& line : lines(contents.out)) {
        const auto path = line.find(" ./");
        if (path == std::string::npos)
            continue;
        std::string name = line.substr(path + 2);
        std::string target;
        if (const auto arrow = name.find(" -> "); arrow != std::string::npos) {
            target = name.substr(arrow + 4);
            name.erase(arrow);
        }
        files[name] = target;
    }
    for (const char* name :
         {"/usr/bin/acquire", "/usr/bin/camsim", "/usr/bin/qmcam", "/usr/bin/qmvideo", "/usr/lib/qm4200/libqmsystem.so",
          "/usr/lib/qm4200/libqmdsm.so", "/usr/lib/qm4200/libqmkernel.so", "/usr/lib/qm4200/libmorvax.so",
          "/usr/lib/qm4200/windows/TWAIN_32/QM4200.DS", "/usr/lib/qm4200/windows/TWAIN_32/QM4200/Vantrel.DLL",
          "/usr/lib/qm4200/windows/TWAIN_32/QM4200/Kestrom.DLL", "/usr/share/doc/qm4200/README.md"})
        EXPECT_EQ(files.count(name), 1u) << name << "\n" << contents.out;
    EXPECT_EQ(files["/usr/lib/twain/qm4200.ds"], "../qm4200/windows/TWAIN_32/QM4200.DS");
    for (const auto& [name, target] : files) {
        EXPECT_TRUE(name.rfind("/usr/", 0) == 0) << name;
        EXPECT_EQ(name.find("test"), std::string::npos) << name;
        EXPECT_EQ(name.find("KVB.ini"), std::string::npos) << name;
    }
}

TEST_F(Package, DeclaresWhatItsProgramsLinkAndTheFonts)
{
    EXPECT_EQ(field("Package"), "qm4200\n");
    const std::set<std::string> depends = packageNames(field("Depends"));
    for (const char* needed : {"libc6", "libstdc++6", "libjpeg62-turbo", "libturbojpeg0", "liblept5",
                               "libusb-1.0-0", "libfreetype6", "libpng16-16", "libsdl2-2.0-0", "fonts-dejavu-core"})
        EXPECT_EQ(depends.count(needed), 1u) << needed << " missing from: " << field("Depends");
    // Our own libraries travel inside the package; nothing names them.
    for (const std::string& name : depends)
        EXPECT_EQ(name.find("qm"), std::string::npos) << name;
    // Every declared package exists here, so dpkg -i can satisfy it.
    for (const std::string& name : depends) {
        const Finished known = runClean("/usr/bin/dpkg-query", {"--show", name}, kTools, 60);
        EXPECT_EQ(known.exitCode, 0) << name << ": " << known.err;
    }
}

}  // namespace
}  // namespace qm::install::test
