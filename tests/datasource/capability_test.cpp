// Capability negotiation: the reported containers, the list rule, the
// fixed-value rule and the transfer-count rule with every container type.
#include <cstdlib>

#include "datasource/capabilities/containers.h"
#include "platform/system/byte_order.h"
#include "tests/datasource/source_fixture.h"

namespace qm::ds::test {
namespace {

class CapabilityTest : public SourceTest {
protected:
    TW_UINT16 capability(TW_UINT16 message, TW_CAPABILITY& cap) { return control(DAT_CAPABILITY, message, &cap); }

    Container get(TW_UINT16 cap, TW_UINT16 message = MSG_GET)
    {
        TW_CAPABILITY request{cap, TWON_DONTCARE16, nullptr};
        EXPECT_EQ(capability(message, request), TWRC_SUCCESS) << "cap " << cap;
        return takeContainer(request);
    }

    // Sets with the container and frees it; returns the result and leaves the
    // condition code for condition().
    TW_UINT16 set(TW_UINT16 cap, TW_UINT16 conType, sys::HGLOBAL container)
    {
        TW_CAPABILITY request{cap, conType, container};
        const TW_UINT16 rc = capability(MSG_SET, request);
        sys::GlobalFree(container);
        return rc;
    }

    std::int32_t currentValue(TW_UINT16 cap)
    {
        const Container c = get(cap, MSG_GETCURRENT);
        EXPECT_EQ(c.conType, TWON_ONEVALUE);
        return c.bytes.size() >= 6 ? std::int32_t(sys::readLe32(&c.bytes[2])) : -999;
    }
};

std::uint32_t item32(const Container& c) { return sys::readLe32(&c.bytes[2]); }

struct EnumerationView {
    std::uint32_t count, current, defaultIndex;
    std::vector<std::int16_t> items;
};

EnumerationView enumerationOf(const Container& c)
{
    EnumerationView view{sys::readLe32(&c.bytes[2]), sys::readLe32(&c.bytes[6]), sys::readLe32(&c.bytes[10]), {}};
    for (std::uint32_t i = 0; i < view.count; ++i)
        view.items.push_back(std::int16_t(sys::readLe16(&c.bytes[14 + 2 * i])));
    return view;
}

TEST(Containers, AnswersCarryOneSpareByteAfterTheirItems)
{
    const TW_UINT16 items[] = {TWSX_MEMORY, TWSX_FILE, TWSX_NATIVE};
    sys::HGLOBAL enumeration = makeEnumeration(TWTY_UINT16, items, 0, 0);
    sys::HGLOBAL array = makeArray(TWTY_UINT16, items);
    EXPECT_EQ(sys::GlobalSize(enumeration), 14u + 3 * 2 + 1);
    EXPECT_EQ(sys::GlobalSize(array), 6u + 3 * 2 + 1);
    sys::HGLOBAL oneValue = makeOneValue(TWTY_UINT16, 1);
    EXPECT_EQ(sys::GlobalSize(oneValue), 6u);
    for (sys::HGLOBAL block : {enumeration, array, oneValue})
        sys::GlobalFree(block);
}

TEST_F(CapabilityTest, MechanismEnumerationFollowsTheCurrentValueAndOpenResetsIt)
{
    open();
    Container mechanisms = get(ICAP_XFERMECH);
    ASSERT_EQ(mechanisms.conType, TWON_ENUMERATION);
    EXPECT_EQ(mechanisms.itemType, TWTY_INT16);
    // Handed over, the block reports its usable size.
    EXPECT_GE(mechanisms.blockSize, 14u + 3 * 2 + 1);
    EnumerationView view = enumerationOf(mechanisms);
    EXPECT_EQ(view.items, (std::vector<std::int16_t>{TWSX_MEMORY, TWSX_FILE, TWSX_NATIVE}));
    EXPECT_EQ(view.current, 2u);
    EXPECT_EQ(view.defaultIndex, 2u);

    EXPECT_EQ(set(ICAP_XFERMECH, TWON_ONEVALUE, oneValue(TWTY_UINT16, TWSX_MEMORY)), TWRC_SUCCESS);
    EXPECT_EQ(enumerationOf(get(ICAP_XFERMECH)).current, 0u);
    EXPECT_EQ(currentValue(ICAP_XFERMECH), TWSX_MEMORY);
    EXPECT_EQ(std::int16_t(item32(get(ICAP_XFERMECH, MSG_GETDEFAULT))), TWSX_NATIVE);

    close();
    open();
    EXPECT_EQ(currentValue(ICAP_XFERMECH), TWSX_NATIVE);
}

TEST_F(CapabilityTest, ListRuleReadsEveryNumericItemTypeOfAOneValue)
{
    struct Case {
        TW_UINT16 itemType;
        std::uint32_t item;
        TW_UINT16 expected;  // the mechanism afterwards
    } cases[] = {
        {TWTY_INT8, 0xFFFFFF01, TWSX_FILE},        // the byte only
        {TWTY_UINT8, 0x00000202, TWSX_MEMORY},
        {TWTY_INT16, 0x00010001, TWSX_FILE},       // low 16 bits
        {TWTY_UINT16, 0x00000002, TWSX_MEMORY},
        {TWTY_BOOL, 0x00000001, TWSX_FILE},
        {TWTY_INT32, 0x00000002, TWSX_MEMORY},
        {TWTY_UINT32, 0x00010001, TWSX_FILE},      // compared on its low 16 bits
        {TWTY_FIX32, 0x80000002, TWSX_MEMORY},     // 2.5 truncates to 2
        {TWTY_FIX32, 0x8000FFFF, TWSX_NATIVE},     // -0.5 truncates toward zero
    };
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "item type " << c.itemType << " item " << std::hex << c.item);
        EXPECT_EQ(set(ICAP_XFERMECH, TWON_ONEVALUE, oneValue(c.itemType, c.item)), TWRC_SUCCESS);
        EXPECT_EQ(currentValue(ICAP_XFERMECH), c.expected);
    }
}

TEST_F(CapabilityTest, ListRuleTakesTheCurrentItemOfAnEnumerationAndIgnoresValuesOutsideTheList)
{
    EXPECT_EQ(set(ICAP_XFERMECH, TWON_ENUMERATION, enumeration16(TWTY_INT16, {0, 1, 2}, 1, 0)), TWRC_SUCCESS);
    EXPECT_EQ(currentValue(ICAP_XFERMECH), TWSX_FILE);
    // A value the source does not offer is accepted and changes nothing.
    EXPECT_EQ(set(ICAP_XFERMECH, TWON_ONEVALUE, oneValue(TWTY_UINT16, 7)), TWRC_SUCCESS);
    EXPECT_EQ(currentValue(ICAP_XFERMECH), TWSX_FILE);
    EXPECT_EQ(set(ICAP_UNITS, TWON_ONEVALUE, oneValue(TWTY_UINT16, TWUN_INCHES)), TWRC_SUCCESS);
    EXPECT_EQ(currentValue(ICAP_UNITS), TWUN_PIXELS);
    EXPECT_EQ(set(ICAP_IMAGEFILEFORMAT, TWON_ENUMERATION, enumeration16(TWTY_UINT16, {2, 4}, 1, 0)), TWRC_SUCCESS);
    EXPECT_EQ(enumerationOf(get(ICAP_IMAGEFILEFORMAT)).current, 1u);
}

TEST_F(CapabilityTest, ListRuleRefusesContainersItCannotRead)
{
    auto array = [] {
        std::vector<std::uint8_t> bytes(8);
        sys::writeLe16(&bytes[0], TWTY_UINT16);
        sys::writeLe32(&bytes[2], 1);
        return rawBlock(bytes);
    };
    auto range = [] { return rawBlock(std::vector<std::uint8_t>(22)); };
    struct Case {
        const char* what;
        TW_UINT16 conType;
        sys::HGLOBAL container;
    } cases[] = {
        {"array", TWON_ARRAY, array()},
        {"range", TWON_RANGE, range()},
        {"unknown container type", 99, oneValue(TWTY_UINT16, 2)},
        {"no container", TWON_ONEVALUE, nullptr},
        {"string item", TWON_ONEVALUE, oneValue(TWTY_STR32, 2)},
        {"short one value", TWON_ONEVALUE, rawBlock({TWTY_UINT16, 0, 2})},
        {"current index past the items", TWON_ENUMERATION, enumeration16(TWTY_INT16, {2}, 1, 0)},
        {"current index past the block", TWON_ENUMERATION, enumeration16(TWTY_INT16, {}, 0, 0)},
        {"string enumeration", TWON_ENUMERATION, enumeration16(TWTY_STR32, {2}, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(set(ICAP_XFERMECH, c.conType, c.container), TWRC_FAILURE);
        EXPECT_EQ(condition(), TWCC_BADVALUE);
        EXPECT_EQ(currentValue(ICAP_XFERMECH), TWSX_NATIVE);
    }
}

TEST_F(CapabilityTest, FixedValuesCanOnlyBeConfirmed)
{
    EXPECT_EQ(set(ICAP_PIXELTYPE, TWON_ONEVALUE, oneValue(TWTY_UINT16, TWPT_GRAY)), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
    EXPECT_EQ(set(ICAP_PIXELTYPE, TWON_ONEVALUE, oneValue(TWTY_UINT16, TWPT_RGB)), TWRC_SUCCESS);
    // The whole 32-bit item counts.
    EXPECT_EQ(set(ICAP_PIXELTYPE, TWON_ONEVALUE, oneValue(TWTY_UINT16, 0x00010002)), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
    // An enumeration is accepted when RGB is among its items, wherever.
    EXPECT_EQ(set(ICAP_PIXELTYPE, TWON_ENUMERATION, enumeration16(TWTY_UINT16, {TWPT_BW, TWPT_RGB}, 0, 0)),
              TWRC_SUCCESS);
    EXPECT_EQ(set(ICAP_PIXELTYPE, TWON_ENUMERATION, enumeration16(TWTY_UINT16, {TWPT_BW, TWPT_GRAY}, 0, 1)),
              TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
    EXPECT_EQ(set(ICAP_BITDEPTH, TWON_ONEVALUE, oneValue(TWTY_UINT16, 8)), TWRC_SUCCESS);
    EXPECT_EQ(set(ICAP_BITDEPTH, TWON_ONEVALUE, oneValue(TWTY_UINT16, 16)), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
    // An enumeration whose items would run past its block is not read.
    std::vector<std::uint8_t> lying(16);
    sys::writeLe16(&lying[0], TWTY_UINT16);
    sys::writeLe32(&lying[2], 1000);
    EXPECT_EQ(set(ICAP_BITDEPTH, TWON_ENUMERATION, rawBlock(lying)), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);

    // Arrays and ranges are not the way to set a fixed value; compression
    // takes a one value only.
    EXPECT_EQ(set(ICAP_PIXELTYPE, TWON_RANGE, rawBlock(std::vector<std::uint8_t>(22))), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADCAP);
    EXPECT_EQ(set(ICAP_COMPRESSION, TWON_ENUMERATION, enumeration16(TWTY_UINT16, {0}, 0, 0)), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADCAP);
    EXPECT_EQ(set(ICAP_COMPRESSION, TWON_ONEVALUE, oneValue(TWTY_UINT16, TWCP_NONE)), TWRC_SUCCESS);
    EXPECT_EQ(set(ICAP_COMPRESSION, TWON_ONEVALUE, oneValue(TWTY_UINT16, 1)), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);

    EXPECT_EQ(item32(get(ICAP_PIXELTYPE)), TWPT_RGB);
    EXPECT_EQ(item32(get(ICAP_BITDEPTH)), 8u);
}

// An application on this platform allocates and frees containers with
// calloc and free (the source manager's memory functions are exactly that),
// answers included, so its next container often lands where an answer was.
TEST_F(CapabilityTest, ContainersOfAnApplicationThatAllocatesWithCallocAndFreesWithFree)
{
    open();
    int reusedAddresses = 0;
    for (int round = 0; round < 16; ++round) {
        TW_CAPABILITY answer{ICAP_PIXELTYPE, TWON_DONTCARE16, nullptr};
        ASSERT_EQ(capability(MSG_GET, answer), TWRC_SUCCESS);
        void* answered = answer.hContainer;
        std::free(answered);

        // {TWPT_BW, TWPT_RGB}, current index 0: valid, RGB is offered.
        auto* mine = static_cast<std::uint8_t*>(std::calloc(14 + 2 * 2, 1));
        sys::writeLe16(mine, TWTY_UINT16);
        sys::writeLe32(mine + 2, 2);
        sys::writeLe16(mine + 14, TWPT_BW);
        sys::writeLe16(mine + 16, TWPT_RGB);
        reusedAddresses += mine == answered;
        TW_CAPABILITY request{ICAP_PIXELTYPE, TWON_ENUMERATION, mine};
        EXPECT_EQ(capability(MSG_SET, request), TWRC_SUCCESS) << "round " << round;
        EXPECT_EQ(sys::GlobalFlags(mine), 0u);
        std::free(mine);
    }
    if (reusedAddresses == 0)
        GTEST_SKIP() << "the allocator never reused an answer's address (as under a sanitizer's quarantine)";
}

TEST_F(CapabilityTest, TransferCountKeepsAll32BitsAndSurvivesReopening)
{
    open();
    EXPECT_EQ(std::int32_t(item32(get(CAP_XFERCOUNT))), -1);
    EXPECT_EQ(set(CAP_XFERCOUNT, TWON_ONEVALUE, oneValue(TWTY_INT16, 1)), TWRC_SUCCESS);
    close();
    open();
    EXPECT_EQ(std::int32_t(item32(get(CAP_XFERCOUNT))), 1);
    EXPECT_EQ(std::int32_t(item32(get(CAP_XFERCOUNT, MSG_GETDEFAULT))), -1);

    // 65535 is stored as such and reported, on 16 bits, as -1.
    EXPECT_EQ(set(CAP_XFERCOUNT, TWON_ONEVALUE, oneValue(TWTY_UINT16, 0xFFFF)), TWRC_SUCCESS);
    EXPECT_EQ(record.capabilities.transferCount, 0xFFFF);
    EXPECT_EQ(std::int32_t(item32(get(CAP_XFERCOUNT))), -1);
    EXPECT_EQ(get(CAP_XFERCOUNT).itemType, TWTY_INT16);

    EXPECT_EQ(set(CAP_XFERCOUNT, TWON_ONEVALUE, oneValue(TWTY_FIX32, 3)), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
    EXPECT_EQ(set(CAP_XFERCOUNT, TWON_ENUMERATION, enumeration16(TWTY_INT16, {3}, 0, 0)), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
    EXPECT_EQ(record.capabilities.transferCount, 0xFFFF);

    TW_CAPABILITY reset{CAP_XFERCOUNT, TWON_DONTCARE16, nullptr};
    EXPECT_EQ(capability(MSG_RESET, reset), TWRC_SUCCESS);
    EXPECT_EQ(record.capabilities.transferCount, 0xFFFF);
    EXPECT_EQ(set(CAP_XFERCOUNT, TWON_ONEVALUE, oneValue(TWTY_INT32, 0xFFFFFFFF)), TWRC_SUCCESS);
    EXPECT_EQ(record.capabilities.transferCount, -1);
}

TEST_F(CapabilityTest, FixedReportsAndTheSupportedList)
{
    Container supported = get(CAP_SUPPORTEDCAPS);
    ASSERT_EQ(supported.conType, TWON_ARRAY);
    EXPECT_EQ(supported.itemType, TWTY_UINT16);
    ASSERT_EQ(sys::readLe32(&supported.bytes[2]), 11u);
    EXPECT_GE(supported.blockSize, 6u + 11 * 2 + 1);
    const std::vector<TW_UINT16> expected = {CAP_XFERCOUNT,    ICAP_COMPRESSION,   ICAP_PIXELTYPE, ICAP_UNITS,
                                             ICAP_XFERMECH,    CAP_SUPPORTEDCAPS,  CAP_UICONTROLLABLE,
                                             ICAP_BITORDER,    ICAP_PIXELFLAVOR,   ICAP_PLANARCHUNKY, ICAP_BITDEPTH};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(sys::readLe16(&supported.bytes[6 + 2 * i]), expected[i]) << i;

    struct Report {
        TW_UINT16 cap;
        TW_UINT16 itemType;
        std::uint32_t value;
    } reports[] = {
        {ICAP_COMPRESSION, TWTY_UINT16, TWCP_NONE}, {ICAP_PIXELTYPE, TWTY_UINT16, TWPT_RGB},
        {ICAP_BITDEPTH, TWTY_UINT16, 8},            {ICAP_BITORDER, TWTY_UINT16, TWBO_MSBFIRST},
        {CAP_UICONTROLLABLE, TWTY_UINT16, 0},       {ICAP_PHYSICALWIDTH, TWTY_UINT16, 0},
        {ICAP_PHYSICALHEIGHT, TWTY_UINT16, 0},
    };
    for (const Report& r : reports) {
        for (TW_UINT16 message : {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT}) {
            SCOPED_TRACE(::testing::Message() << "cap " << std::hex << r.cap << " message " << message);
            const Container c = get(r.cap, message);
            EXPECT_EQ(c.conType, TWON_ONEVALUE);
            EXPECT_EQ(c.itemType, r.itemType);
            EXPECT_EQ(item32(c), r.value);
        }
    }
}

TEST_F(CapabilityTest, ReadOnlyValuesAnswerSetAndResetWithTheirReport)
{
    for (TW_UINT16 cap : {CAP_UICONTROLLABLE, ICAP_PHYSICALWIDTH, ICAP_PHYSICALHEIGHT}) {
        for (TW_UINT16 message : {MSG_SET, MSG_RESET}) {
            sys::HGLOBAL mine = oneValue(TWTY_UINT16, 1);
            TW_CAPABILITY request{cap, TWON_ONEVALUE, mine};
            EXPECT_EQ(capability(message, request), TWRC_SUCCESS);
            EXPECT_NE(+request.hContainer, mine);
            EXPECT_EQ(item32(takeContainer(request)), 0u);
            sys::GlobalFree(mine);
        }
    }
}

TEST_F(CapabilityTest, RefusedCapabilitiesAndMessages)
{
    struct Case {
        TW_UINT16 cap;
        TW_UINT16 message;
        TW_UINT16 expected;
    } cases[] = {
        {ICAP_XRESOLUTION, MSG_GET, TWCC_BADCAP},       {ICAP_YRESOLUTION, MSG_GETCURRENT, TWCC_BADCAP},
        {0x1234, MSG_GET, TWCC_BADCAP},                 {ICAP_IMAGEFILEFORMAT, MSG_GETCURRENT, TWCC_BADCAP},
        {ICAP_IMAGEFILEFORMAT, MSG_GETDEFAULT, TWCC_BADCAP}, {ICAP_IMAGEFILEFORMAT, MSG_RESET, TWCC_BADCAP},
        {CAP_SUPPORTEDCAPS, MSG_SET, TWCC_BADCAP},      {CAP_SUPPORTEDCAPS, MSG_RESET, TWCC_BADCAP},
        {ICAP_BITORDER, MSG_SET, TWCC_BADCAP},          {ICAP_PIXELFLAVOR, MSG_SET, TWCC_BADCAP},
        {ICAP_PLANARCHUNKY, MSG_RESET, TWCC_BADCAP},    {ICAP_COMPRESSION, MSG_RESET, TWCC_BADCAP},
        {ICAP_XFERMECH, MSG_GETFIRST, TWCC_BADPROTOCOL}, {CAP_XFERCOUNT, MSG_QUERYSUPPORT, TWCC_BADPROTOCOL},
        {0x1234, MSG_GETNEXT, TWCC_BADPROTOCOL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "cap " << std::hex << c.cap << " message " << c.message);
        TW_CAPABILITY request{c.cap, TWON_DONTCARE16, nullptr};
        EXPECT_EQ(capability(c.message, request), TWRC_FAILURE);
        EXPECT_EQ(condition(), c.expected);
        EXPECT_EQ(+request.hContainer, nullptr);
    }
}

TEST_F(CapabilityTest, ReportedListsAndResets)
{
    for (TW_UINT16 cap : {ICAP_PIXELFLAVOR, ICAP_PLANARCHUNKY, ICAP_UNITS, ICAP_JPEGPIXELTYPE}) {
        SCOPED_TRACE(cap);
        EnumerationView view = enumerationOf(get(cap));
        EXPECT_EQ(view.count, 1u);
        EXPECT_EQ(view.current, 0u);
        EXPECT_EQ(view.defaultIndex, 0u);
    }
    EXPECT_EQ(get(ICAP_PIXELFLAVOR, MSG_GETCURRENT).itemType, TWTY_UINT16);
    EXPECT_EQ(get(ICAP_UNITS, MSG_GETCURRENT).itemType, TWTY_INT16);
    EXPECT_EQ(enumerationOf(get(ICAP_IMAGEFILEFORMAT)).items, (std::vector<std::int16_t>{TWFF_BMP, TWFF_JFIF}));

    // A current value outside its list shows as index 255.
    record.capabilities.jpegPixelType = TWPT_GRAY;
    EXPECT_EQ(enumerationOf(get(ICAP_JPEGPIXELTYPE)).current, 255u);
    TW_CAPABILITY reset{ICAP_JPEGPIXELTYPE, TWON_DONTCARE16, nullptr};
    EXPECT_EQ(capability(MSG_RESET, reset), TWRC_SUCCESS);
    EXPECT_EQ(record.capabilities.jpegPixelType, TWPT_RGB);

    EXPECT_EQ(set(ICAP_XFERMECH, TWON_ONEVALUE, oneValue(TWTY_UINT16, TWSX_FILE)), TWRC_SUCCESS);
    TW_CAPABILITY resetMechanism{ICAP_XFERMECH, TWON_DONTCARE16, nullptr};
    EXPECT_EQ(capability(MSG_RESET, resetMechanism), TWRC_SUCCESS);
    EXPECT_EQ(currentValue(ICAP_XFERMECH), TWSX_NATIVE);
}

}  // namespace
}  // namespace qm::ds::test
