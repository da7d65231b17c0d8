#include "platform/kernel/registry.h"

#include <cstring>
#include <vector>

#include "platform/kernel/rtl.h"
#include "tests/platform/kernel/sim_fixture.h"
#include "tests/support/windows_dir.h"

namespace qm::kernel {
namespace {

// Owns a UTF-16 copy of a literal for the UNICODE_STRING that points at it.
class Name {
public:
    explicit Name(std::string_view text) : text_(toUtf16(text))
    {
        string_.Buffer = text_.data();
        string_.Length = string_.MaximumLength = USHORT(text_.size() * sizeof(WCHAR));
    }
    PUNICODE_STRING get() { return &string_; }

private:
    std::u16string text_;
    UNICODE_STRING string_{};
};

class Registry : public test::SimulatedKernelTest {
protected:
    NTSTATUS create(std::string_view path, HANDLE& key, ULONG options = REG_OPTION_NON_VOLATILE,
                    ULONG* disposition = nullptr, HANDLE root = nullptr)
    {
        Name name(path);
        OBJECT_ATTRIBUTES attributes;
        InitializeObjectAttributes(&attributes, name.get(), OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, root, nullptr);
        return ZwCreateKey(&key, KEY_ALL_ACCESS, &attributes, 0, nullptr, options, disposition);
    }
    NTSTATUS open(std::string_view path, HANDLE& key, ACCESS_MASK access = KEY_ALL_ACCESS)
    {
        Name name(path);
        OBJECT_ATTRIBUTES attributes;
        InitializeObjectAttributes(&attributes, name.get(), OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, nullptr,
                                   nullptr);
        return ZwOpenKey(&key, access, &attributes);
    }
    static NTSTATUS setDword(HANDLE key, std::string_view valueName, ULONG value)
    {
        Name name(valueName);
        return ZwSetValueKey(key, name.get(), 0, REG_DWORD, &value, sizeof value);
    }
    static NTSTATUS setString(HANDLE key, std::string_view valueName, std::string_view text)
    {
        Name name(valueName);
        std::u16string data = toUtf16(text);
        return ZwSetValueKey(key, name.get(), 0, REG_SZ, data.data(), ULONG((data.size() + 1) * sizeof(WCHAR)));
    }
    // The value's type and data, or the failure status.
    static NTSTATUS query(HANDLE key, std::string_view valueName, ULONG& type, std::vector<UCHAR>& data)
    {
        Name name(valueName);
        ULONG needed = 0;
        NTSTATUS status = ZwQueryValueKey(key, name.get(), KeyValuePartialInformation, nullptr, 0, &needed);
        if (status != STATUS_BUFFER_TOO_SMALL)
            return status;
        std::vector<UCHAR> record(needed);
        status = ZwQueryValueKey(key, name.get(), KeyValuePartialInformation, record.data(), needed, &needed);
        if (!NT_SUCCESS(status))
            return status;
        KEY_VALUE_PARTIAL_INFORMATION header;
        std::memcpy(&header, record.data(), offsetof(KEY_VALUE_PARTIAL_INFORMATION, Data));
        type = header.Type;
        data.assign(record.begin() + offsetof(KEY_VALUE_PARTIAL_INFORMATION, Data), record.end());
        return status;
    }
    static ULONG dwordOf(HANDLE key, std::string_view valueName)
    {
        ULONG type = 0;
        std::vector<UCHAR> data;
        EXPECT_EQ(query(key, valueName, type, data), STATUS_SUCCESS);
        EXPECT_EQ(type, REG_DWORD);
        ULONG value = 0;
        if (data.size() == sizeof value)
            std::memcpy(&value, data.data(), sizeof value);
        return value;
    }
    static std::u16string stringOf(HANDLE key, std::string_view valueName)
    {
        ULONG type = 0;
        std::vector<UCHAR> data;
        EXPECT_EQ(query(key, valueName, type, data), STATUS_SUCCESS);
        EXPECT_EQ(type, REG_SZ);
        std::u16string text(data.size() / 2, u'\0');
        std::memcpy(text.data(), data.data(), text.size() * 2);
        while (!text.empty() && text.back() == 0)
            text.pop_back();
        return text;
    }

    test::WindowsDir windows_;
};

constexpr std::string_view kMaker = "\\Registry\\MACHINE\\SOFTWARE\\Quillon";
constexpr std::string_view kSettings = "\\Registry\\MACHINE\\SOFTWARE\\Quillon\\MORVAX";

TEST_F(Registry, ValuesSurviveARestartThroughTheFile)
{
    HANDLE maker, settings;
    ULONG disposition = 0;
    ASSERT_EQ(create(kMaker, maker, REG_OPTION_NON_VOLATILE, &disposition), STATUS_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(create(kSettings, settings), STATUS_SUCCESS);
    EXPECT_EQ(setDword(settings, "Brightness", 32), STATUS_SUCCESS);
    EXPECT_EQ(setString(maker, "ActiveMorvax", "VID_0784&PID_2888"), STATUS_SUCCESS);
    EXPECT_EQ(setString(settings, "", "default text"), STATUS_SUCCESS);
    ZwClose(maker);
    ZwClose(settings);

    sim::reloadRegistry();
    ASSERT_EQ(open(kSettings, settings), STATUS_SUCCESS);
    EXPECT_EQ(dwordOf(settings, "Brightness"), 32u);
    EXPECT_EQ(stringOf(settings, ""), u"default text");
    ASSERT_EQ(open(kMaker, maker), STATUS_SUCCESS);
    EXPECT_EQ(stringOf(maker, "ActiveMorvax"), u"VID_0784&PID_2888");
    ZwClose(maker);
    ZwClose(settings);

    const std::string file = test::readTextFile(sim::registryFilePath());
    EXPECT_NE(file.find("[\\Registry\\MACHINE\\SOFTWARE\\Quillon\\MORVAX]\n"), std::string::npos);
    EXPECT_NE(file.find("\"Brightness\"=dword:00000020\n"), std::string::npos);
    EXPECT_NE(file.find("@=\"default text\"\n"), std::string::npos);
}

TEST_F(Registry, NamesAreFoundWhateverTheirCase)
{
    HANDLE key;
    ASSERT_EQ(create(kSettings.substr(0, kMaker.size()), key), STATUS_SUCCESS);
    ZwClose(key);
    ASSERT_EQ(create(kSettings, key), STATUS_SUCCESS);
    setDword(key, "AERate", 4);
    ZwClose(key);
    ASSERT_EQ(open("\\REGISTRY\\machine\\Software\\QUILLON\\morvax", key), STATUS_SUCCESS);
    EXPECT_EQ(dwordOf(key, "aerate"), 4u);
    // Replacing a value keeps one value under the first spelling.
    setDword(key, "AERATE", 5);
    EXPECT_EQ(dwordOf(key, "AERate"), 5u);
    ULONG needed = 0;
    EXPECT_EQ(ZwEnumerateValueKey(key, 1, KeyValueBasicInformation, nullptr, 0, &needed), STATUS_NO_MORE_ENTRIES);
    ZwClose(key);
}

TEST_F(Registry, AKeyIsCreatedOnlyUnderAnExistingParent)
{
    HANDLE key;
    EXPECT_EQ(create(kSettings, key), STATUS_OBJECT_NAME_NOT_FOUND);
    EXPECT_EQ(open(kSettings, key), STATUS_OBJECT_NAME_NOT_FOUND);
    EXPECT_EQ(create("\\Device\\Somewhere", key), STATUS_OBJECT_PATH_NOT_FOUND);
    EXPECT_EQ(create("\\Registry\\MACHINE\\\\SOFTWARE", key), STATUS_OBJECT_NAME_INVALID);
    // A trailing separator names the same key.
    ASSERT_EQ(create(std::string(kMaker) + "\\", key), STATUS_SUCCESS);
    HANDLE child;
    ULONG disposition = 0;
    ASSERT_EQ(create("MORVAX", child, REG_OPTION_NON_VOLATILE, &disposition, key), STATUS_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ZwClose(child);
    ASSERT_EQ(create(kSettings, child, REG_OPTION_NON_VOLATILE, &disposition), STATUS_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    ZwClose(child);
    ZwClose(key);
}

TEST_F(Registry, KeysWithSubkeysCannotBeDeleted)
{
    HANDLE maker, settings, log;
    create(kMaker, maker);
    create(kSettings, settings);
    create(std::string(kSettings) + "\\Log", log);
    EXPECT_EQ(ZwDeleteKey(settings), STATUS_CANNOT_DELETE);
    EXPECT_EQ(ZwDeleteKey(log), STATUS_SUCCESS);
    EXPECT_EQ(setDword(log, "Enter Configure", 0), STATUS_KEY_DELETED);
    EXPECT_EQ(ZwClose(log), STATUS_SUCCESS);
    EXPECT_EQ(ZwDeleteKey(settings), STATUS_SUCCESS);
    ZwClose(settings);
    EXPECT_EQ(open(kSettings, settings), STATUS_OBJECT_NAME_NOT_FOUND);
    sim::reloadRegistry();
    EXPECT_EQ(open(kSettings, settings), STATUS_OBJECT_NAME_NOT_FOUND);
    EXPECT_EQ(open(kMaker, maker), STATUS_SUCCESS);
    ZwClose(maker);
}

TEST_F(Registry, ValuesCanBeDeleted)
{
    HANDLE maker;
    create(kMaker, maker);
    setDword(maker, "SnapShot", 1);
    Name name("SnapShot");
    EXPECT_EQ(ZwDeleteValueKey(maker, name.get()), STATUS_SUCCESS);
    EXPECT_EQ(ZwDeleteValueKey(maker, name.get()), STATUS_OBJECT_NAME_NOT_FOUND);
    ULONG type;
    std::vector<UCHAR> data;
    EXPECT_EQ(query(maker, "SnapShot", type, data), STATUS_OBJECT_NAME_NOT_FOUND);
    ZwClose(maker);
}

TEST_F(Registry, QueriesReportTheSizeTheyNeed)
{
    HANDLE maker;
    create(kMaker, maker);
    setDword(maker, "FlashMemSize", 8);
    Name name("FlashMemSize");
    const ULONG whole = offsetof(KEY_VALUE_PARTIAL_INFORMATION, Data) + 4;
    UCHAR buffer[32];
    ULONG needed = 0;
    EXPECT_EQ(ZwQueryValueKey(maker, name.get(), KeyValuePartialInformation, buffer, 4, &needed),
              STATUS_BUFFER_TOO_SMALL);
    EXPECT_EQ(needed, whole);
    EXPECT_EQ(ZwQueryValueKey(maker, name.get(), KeyValuePartialInformation, buffer, whole - 1, &needed),
              STATUS_BUFFER_OVERFLOW);
    EXPECT_EQ(ZwQueryValueKey(maker, name.get(), KeyValuePartialInformation, buffer, sizeof buffer, &needed),
              STATUS_SUCCESS);
    EXPECT_EQ(needed, whole);
    ZwClose(maker);
}

TEST_F(Registry, HandlesOnlyAllowWhatTheyWereOpenedFor)
{
    HANDLE key;
    create(kMaker, key);
    ZwClose(key);
    ASSERT_EQ(open(kMaker, key, KEY_READ), STATUS_SUCCESS);
    EXPECT_EQ(setDword(key, "Brightness", 1), STATUS_ACCESS_DENIED);
    EXPECT_EQ(ZwDeleteKey(key), STATUS_ACCESS_DENIED);
    ZwClose(key);
    EXPECT_EQ(ZwClose(key), STATUS_INVALID_HANDLE);
}

TEST_F(Registry, HandlesDoNotOutliveARestart)
{
    HANDLE key;
    create(kMaker, key);
    sim::reloadRegistry();
    EXPECT_EQ(setDword(key, "Brightness", 1), STATUS_INVALID_HANDLE);
}

TEST_F(Registry, VolatileKeysAreNotWrittenToTheFile)
{
    HANDLE maker, scratch, child;
    create(kMaker, maker);
    ASSERT_EQ(create(std::string(kMaker) + "\\Scratch", scratch, REG_OPTION_VOLATILE), STATUS_SUCCESS);
    EXPECT_EQ(create(std::string(kMaker) + "\\Scratch\\Child", child), STATUS_CHILD_MUST_BE_VOLATILE);
    setDword(scratch, "Counter", 3);
    EXPECT_EQ(dwordOf(scratch, "Counter"), 3u);
    ZwClose(scratch);
    ZwClose(maker);
    sim::reloadRegistry();
    EXPECT_EQ(open(std::string(kMaker) + "\\Scratch", scratch), STATUS_OBJECT_NAME_NOT_FOUND);
    EXPECT_EQ(open(kMaker, maker), STATUS_SUCCESS);
    ZwClose(maker);
}

TEST_F(Registry, UnusualDataComesBackByteForByte)
{
    HANDLE maker;
    create(kMaker, maker);
    const UCHAR odd[] = {'A', 0, 'B'};  // a REG_SZ of odd length, no terminator
    const UCHAR shortDword[] = {1, 2};
    const UCHAR binary[] = {0, 0xFF, 0x10, '\n', '"'};
    Name oddName("Odd"), shortName("Short"), binaryName("Bin\"ary\n");
    ZwSetValueKey(maker, oddName.get(), 0, REG_SZ, const_cast<UCHAR*>(odd), sizeof odd);
    ZwSetValueKey(maker, shortName.get(), 0, REG_DWORD, const_cast<UCHAR*>(shortDword), sizeof shortDword);
    ZwSetValueKey(maker, binaryName.get(), 0, REG_BINARY, const_cast<UCHAR*>(binary), sizeof binary);
    ZwClose(maker);
    sim::reloadRegistry();
    ASSERT_EQ(open(kMaker, maker), STATUS_SUCCESS);
    ULONG type;
    std::vector<UCHAR> data;
    ASSERT_EQ(query(maker, "Odd", type, data), STATUS_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(data, std::vector<UCHAR>(odd, odd + sizeof odd));
    ASSERT_EQ(query(maker, "Short", type, data), STATUS_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(data, std::vector<UCHAR>(shortDword, shortDword + sizeof shortDword));
    ASSERT_EQ(query(maker, "Bin\"ary\n", type, data), STATUS_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(data, std::vector<UCHAR>(binary, binary + sizeof binary));
    ZwClose(maker);
}

TEST_F(Registry, ADamagedFileLosesOnlyTheLinesItCannotRead)
{
    test::writeTextFile(sim::registryFilePath(),
                        "QM4200 REGISTRY 1\n"
                        "[\\Registry\\MACHINE\\SOFTWARE\\Quillon\\MORVAX]\n"
                        "\"Good\"=dword:0000002a\n"
                        "\"Bad\"=dword:12\n"
                        "\"Torn\"=hex:0\n"
                        "garbage line\n"
                        "[\\Registry\\MACHINE\\SOFTWARE\\Quillon\\MORVAX\\Reg]\n"
                        "\"100E\"=dword:000001b8\r\n"
                        "[unterminated\n");
    sim::reloadRegistry();
    HANDLE settings, reg;
    ASSERT_EQ(open(kSettings, settings), STATUS_SUCCESS);
    EXPECT_EQ(dwordOf(settings, "Good"), 42u);
    ULONG type;
    std::vector<UCHAR> data;
    EXPECT_EQ(query(settings, "Bad", type, data), STATUS_OBJECT_NAME_NOT_FOUND);
    EXPECT_EQ(query(settings, "Torn", type, data), STATUS_OBJECT_NAME_NOT_FOUND);
    ASSERT_EQ(open(std::string(kSettings) + "\\Reg", reg), STATUS_SUCCESS);
    EXPECT_EQ(dwordOf(reg, "100E"), 0x1B8u);
    ZwClose(reg);
    ZwClose(settings);
}

TEST_F(Registry, EachWindowsDirectoryHasItsOwnRegistry)
{
    HANDLE key;
    create(kMaker, key);
    ZwClose(key);
    {
        test::WindowsDir other;
        EXPECT_EQ(open(kMaker, key), STATUS_OBJECT_NAME_NOT_FOUND);
    }
    EXPECT_EQ(open(kMaker, key), STATUS_SUCCESS);
    ZwClose(key);
}

TEST_F(Registry, AFreshInstallationHasThePlatformPropertyPages)
{
    HANDLE key;
    ASSERT_EQ(open("\\REGISTRY\\MACHINE\\SYSTEM\\CurrentControlSet\\Control\\MediaSets\\"
                   "{C6E13360-30AC-11D0-A18C-00A0C9118956}\\PropertyPages\\{71F96464-78F3-11D0-A18C-00A0C9118956}",
                   key),
              STATUS_SUCCESS);
    EXPECT_EQ(stringOf(key, ""), u"VideoProcAmp Property Page");
    ZwClose(key);
}

TEST_F(Registry, SubkeysAreEnumeratedInCreationOrder)
{
    HANDLE maker, child;
    create(kMaker, maker);
    for (const char* name : {"Default", "Reg", "Log"}) {
        create(std::string(kMaker) + "\\" + name, child);
        ZwClose(child);
    }
    std::vector<std::u16string> names;
    for (ULONG index = 0;; ++index) {
        UCHAR buffer[128];
        ULONG needed;
        const NTSTATUS status = ZwEnumerateKey(maker, index, KeyBasicInformation, buffer, sizeof buffer, &needed);
        if (status == STATUS_NO_MORE_ENTRIES)
            break;
        ASSERT_EQ(status, STATUS_SUCCESS);
        KEY_BASIC_INFORMATION header;
        std::memcpy(&header, buffer, offsetof(KEY_BASIC_INFORMATION, Name));
        std::u16string name(header.NameLength / 2, u'\0');
        std::memcpy(name.data(), buffer + offsetof(KEY_BASIC_INFORMATION, Name), header.NameLength);
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Default", u"Reg", u"Log"}));
    ZwClose(maker);
}

TEST_F(Registry, TheRunTimeLibraryReadsWithDefaultsAndWrites)
{
    HANDLE key;
    create(kMaker, key);
    setDword(key, "DefaultVidFormat", 3);
    setString(key, "RegistryPathName", "\\Quillon\\MORVAX");
    ZwClose(key);

    ULONG format = 0, missing = 0, fallback = 77;
    UNICODE_STRING path{};
    RTL_QUERY_REGISTRY_TABLE table[4] = {};
    table[0] = {nullptr, RTL_QUERY_REGISTRY_DIRECT, const_cast<PWSTR>(u"DefaultVidFormat"), &format, REG_NONE,
                nullptr, 0};
    table[1] = {nullptr, RTL_QUERY_REGISTRY_DIRECT, const_cast<PWSTR>(u"MinFRVGA"), &missing, REG_DWORD, &fallback,
                sizeof fallback};
    table[2] = {nullptr, RTL_QUERY_REGISTRY_DIRECT, const_cast<PWSTR>(u"RegistryPathName"), &path, REG_NONE,
                nullptr, 0};
    const std::u16string maker = toUtf16(kMaker);
    EXPECT_EQ(RtlQueryRegistryValues(RTL_REGISTRY_ABSOLUTE, maker.c_str(), table, nullptr, nullptr),
              STATUS_SUCCESS);
    EXPECT_EQ(format, 3u);
    EXPECT_EQ(missing, 77u);
    EXPECT_EQ(view(&path), u"\\Quillon\\MORVAX");
    RtlFreeUnicodeString(&path);

    table[1].Flags |= RTL_QUERY_REGISTRY_REQUIRED;
    EXPECT_EQ(RtlQueryRegistryValues(RTL_REGISTRY_ABSOLUTE, maker.c_str(), table, nullptr, nullptr),
              STATUS_OBJECT_NAME_NOT_FOUND);

    ULONG snapshot = 1;
    EXPECT_EQ(RtlWriteRegistryValue(RTL_REGISTRY_ABSOLUTE, maker.c_str(), u"SnapShot", REG_DWORD, &snapshot,
                                    sizeof snapshot),
              STATUS_SUCCESS);
    ASSERT_EQ(open(kMaker, key), STATUS_SUCCESS);
    EXPECT_EQ(dwordOf(key, "SnapShot"), 1u);
    ZwClose(key);
    EXPECT_EQ(RtlCheckRegistryKey(RTL_REGISTRY_ABSOLUTE, const_cast<PWSTR>(maker.c_str())), STATUS_SUCCESS);
    EXPECT_EQ(RtlWriteRegistryValue(RTL_REGISTRY_ABSOLUTE, u"\\Registry\\MACHINE\\SOFTWARE\\Nobody", u"X", REG_DWORD,
                                    &snapshot, sizeof snapshot),
              STATUS_OBJECT_NAME_NOT_FOUND);
}

TEST_F(Registry, TheRegistryIsForPassiveLevel)
{
    HANDLE key;
    KIRQL old;
    KeRaiseIrql(DISPATCH_LEVEL, &old);
    EXPECT_NE(open(kMaker, key), STATUS_SUCCESS);
    KeLowerIrql(old);
    EXPECT_EQ(bugCheckCodes(), std::vector<ULONG>{IRQL_NOT_LESS_OR_EQUAL});
}

}  // namespace
}  // namespace qm::kernel
