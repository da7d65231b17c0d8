// Resources by module, and the resource compiler's checks.
#include <gtest/gtest.h>

#include "platform/system/byte_order.h"
#include "platform/ui/rc/compiler.h"
#include "platform/ui/resource/resource.h"
#include "tests/platform/ui/resources/test_resource.h"

namespace qm::ui::test {
namespace {

HINSTANCE self() { return instanceOf(reinterpret_cast<const void*>(&self)); }

TEST(Resources, StringsAreFoundThroughTheModulesInstance)
{
    char buffer[64];
    EXPECT_EQ(LoadString(self(), IDS_IDENTITY, buffer, sizeof buffer), 28);
    EXPECT_STREQ(buffer, "Corvel Camera 640X480 driver");
    EXPECT_EQ(loadString(nullptr, IDS_LINES), "Line one\nLine two");  // null: the main program
    // Truncated to the buffer, always terminated.
    EXPECT_EQ(LoadString(self(), IDS_IDENTITY, buffer, 7), 6);
    EXPECT_STREQ(buffer, "Corvel");
    EXPECT_EQ(LoadString(self(), 9999, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    // Another module's instance does not see them.
    int local = 0;
    EXPECT_EQ(loadString(instanceOf(&local) ? instanceOf(&local) : reinterpret_cast<HINSTANCE>(0x1234), IDS_IDENTITY),
              "");
}

TEST(Resources, DialogTemplateKeepsWhatTheScriptSaid)
{
    auto form = loadDialogTemplate(self(), IDD_FORM);
    ASSERT_TRUE(form);
    EXPECT_EQ(form->caption, "Form");
    EXPECT_EQ(form->cx, 200);
    EXPECT_EQ(form->fontName, "MS Sans Serif");
    ASSERT_EQ(form->items.size(), 7u);
    EXPECT_EQ(form->items[0].className, "Static");
    EXPECT_EQ(form->items[0].id, -1);
    EXPECT_EQ(form->items[1].className, "Edit");
    EXPECT_EQ(form->items[4].id, IDC_HIDDEN);
    EXPECT_EQ(form->items[4].style & 0x10000000u, 0u);  // NOT WS_VISIBLE
    EXPECT_NE(form->items[3].style & 0x00010000u, 0u);  // a push button is a tab stop by default
}

std::vector<std::uint8_t> compile(const std::string& source, std::string* error = nullptr)
{
    rc::Compiled out;
    std::string why;
    if (!rc::compileSource(source, ".", out, why)) {
        if (error)
            *error = why;
        return {};
    }
    return out.blob;
}

TEST(ResourceCompiler, ReportsMistakesWithTheirLine)
{
    std::string error;
    EXPECT_TRUE(compile("1 DIALOG 0,0,10,10\nBEGIN\n  PUSHBUTTON \"x\", NOPE, 0,0,1,1\nEND\n", &error).empty());
    EXPECT_NE(error.find("line 3"), std::string::npos) << error;
    EXPECT_NE(error.find("NOPE"), std::string::npos);
    EXPECT_TRUE(compile("STRINGTABLE\nBEGIN\n 5 \"a\"\n 5 \"b\"\nEND\n", &error).empty());
    EXPECT_NE(error.find("twice"), std::string::npos);
    EXPECT_TRUE(compile("7 BITMAP \"missing.bmp\"\n", &error).empty());
    // A name that leads to a directory is no bitmap, beside the script or absolute.
    EXPECT_TRUE(compile("7 BITMAP \".\"\n", &error).empty());
    EXPECT_NE(error.find("cannot read bitmap"), std::string::npos) << error;
    EXPECT_TRUE(compile("7 BITMAP \"/\"\n", &error).empty());
    EXPECT_NE(error.find("cannot read bitmap"), std::string::npos) << error;
    EXPECT_TRUE(compile("STRINGTABLE BEGIN 1 \"open\n", &error).empty());
    EXPECT_FALSE(compile("#define BASE 0x100\n#define NEXT (BASE + 1)\nSTRINGTABLE { NEXT, \"x\" }\n").empty());
}

TEST(ResourceCompiler, DamagedBlobsGiveNoResources)
{
    auto blob = compile("STRINGTABLE BEGIN 42 \"answer\" END");
    ASSERT_FALSE(blob.empty());
    // An entry whose size runs past the blob is no resource.
    qm::sys::writeLe32(blob.data() + kResourceHeaderSize + 12, 0x7FFFFFFF);
    static int anchor;
    HINSTANCE instance = registerModuleResources(&anchor, blob.data(), blob.size());
    EXPECT_FALSE(findResource(instance, 42, RT_STRING));
    unregisterModuleResources(blob.data());
    // A count larger than the blob holds makes the blob invalid.
    blob = compile("STRINGTABLE BEGIN 42 \"answer\" END");
    qm::sys::writeLe32(blob.data() + 8, 1000);
    registerModuleResources(&anchor, blob.data(), blob.size());
    EXPECT_FALSE(findResource(instance, 42, RT_STRING));
    unregisterModuleResources(blob.data());
    EXPECT_FALSE(parseDialogTemplate(blob.data(), 3));
}

}  // namespace
}  // namespace qm::ui::test
