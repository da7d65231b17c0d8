// Image information, setup and the three transfer mechanisms; pending
// transfers and the end of a batch.
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "datasource/acquire_entry.h"
#include "datasource/transfer/acquire.h"
#include "platform/system/files.h"
#include "tests/datasource/picture_check.h"
#include "tests/datasource/source_fixture.h"
#include "tests/support/temp_dir.h"

namespace qm::ds::test {
namespace {

using qm::test::ServedPicture;

// A handed-over block reports its usable size, which may exceed what the
// source asked for; the bytes the source put behind the bitmap must be there.
::testing::AssertionResult zeroTail(const std::vector<std::uint8_t>& block, std::size_t bitmapBytes,
                                    std::size_t tailBytes)
{
    if (block.size() < bitmapBytes + tailBytes)
        return ::testing::AssertionFailure() << "block of " << block.size() << " bytes";
    for (std::size_t i = bitmapBytes; i < bitmapBytes + tailBytes; ++i)
        if (block[i] != 0)
            return ::testing::AssertionFailure() << "byte " << i << " is " << int(block[i]);
    return ::testing::AssertionSuccess();
}

class TransferTest : public SourceTest {
protected:
    TW_IMAGEINFO imageInfo()
    {
        TW_IMAGEINFO info{};
        EXPECT_EQ(image(DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
        return info;
    }

    // A native transfer; the application owns the block afterwards.
    std::vector<std::uint8_t> nativeTransfer()
    {
        TW_HANDLE handle = nullptr;
        EXPECT_EQ(image(DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_XFERDONE);
        std::vector<std::uint8_t> bytes;
        if (handle != nullptr) {
            const auto* block = static_cast<const std::uint8_t*>(handle);
            bytes.assign(block, block + sys::GlobalSize(handle));
            sys::GlobalFree(handle);
        }
        return bytes;
    }

    struct Strip {
        TW_UINT16 rc;
        TW_IMAGEMEMXFER header;
        std::vector<std::uint8_t> bytes;
    };

    Strip memoryStrip(std::size_t length)
    {
        Strip strip{0, {}, std::vector<std::uint8_t>(length, 0xEE)};
        strip.header.Memory = TW_MEMORY{TWMF_APPOWNS | TWMF_POINTER, TW_UINT32(length), strip.bytes.data()};
        strip.rc = image(DAT_IMAGEMEMXFER, MSG_GET, &strip.header);
        return strip;
    }

    TW_UINT16 endTransfer(TW_UINT16& count)
    {
        TW_PENDINGXFERS pending{0xBEEF, 0};
        const TW_UINT16 rc = control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
        count = pending.Count;
        return rc;
    }

    TW_SETUPMEMXFER memorySetup()
    {
        TW_SETUPMEMXFER setup{};
        EXPECT_EQ(control(DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
        return setup;
    }

    TW_UINT16 setupFile(const std::string& name, TW_UINT16 format)
    {
        TW_SETUPFILEXFER setup{};
        std::strncpy(setup.FileName, name.c_str(), sizeof setup.FileName - 1);
        setup.Format = format;
        return control(DAT_SETUPFILEXFER, MSG_SET, &setup);
    }

    qm::test::TempDir scratch;
};

TEST_F(TransferTest, CameraSizedPictureInEveryMechanism)
{
    panelSettings("[Pictures]\nCount=3\nSize=640x480\n");
    startTransfer();
    const TW_IMAGEINFO info = imageInfo();
    EXPECT_EQ(+info.ImageWidth, 640);
    EXPECT_EQ(+info.ImageLength, 480);
    EXPECT_EQ(info.SamplesPerPixel, 3);
    EXPECT_EQ(info.BitsPerSample[0], 8);
    EXPECT_EQ(info.BitsPerSample[2], 8);
    EXPECT_EQ(info.BitsPerSample[3], 0);
    EXPECT_EQ(info.BitsPerPixel, 24);
    EXPECT_EQ(info.Planar, TW_FALSE);
    EXPECT_EQ(info.PixelType, TWPT_RGB);
    EXPECT_EQ(info.Compression, TWCP_NONE);
    EXPECT_EQ(info.XResolution.Whole, -1);
    EXPECT_EQ(info.XResolution.Frac, 0);

    // Native: the bitmap and 14 zero bytes.
    const std::vector<std::uint8_t> native = nativeTransfer();
    EXPECT_TRUE(zeroTail(native, 40u + 640 * 480 * 3, 14));
    EXPECT_TRUE(qm::test::dibMatches(native.data(), native.size(), ServedPicture{1, 640, 480}));
    TW_UINT16 count = 0;
    EXPECT_EQ(endTransfer(count), TWRC_SUCCESS);
    EXPECT_EQ(count, 2);

    // Memory in the preferred size: four strips of 120 rows.
    const TW_SETUPMEMXFER setup = memorySetup();
    EXPECT_EQ(+setup.MinBufSize, 1920u);
    EXPECT_EQ(+setup.MaxBufSize, 1920u * 480);
    EXPECT_EQ(+setup.Preferred, 1920u * 120);
    for (int strip = 0; strip < 4; ++strip) {
        SCOPED_TRACE(strip);
        const Strip s = memoryStrip(setup.Preferred);
        EXPECT_EQ(s.rc, strip < 3 ? TWRC_SUCCESS : TWRC_XFERDONE);
        EXPECT_EQ(+s.header.BytesPerRow, 1920u);
        EXPECT_EQ(+s.header.Columns, 640u);
        EXPECT_EQ(+s.header.Rows, 120u);
        EXPECT_EQ(+s.header.YOffset, TW_UINT32(120 * strip));
        EXPECT_EQ(+s.header.XOffset, 0u);
        EXPECT_EQ(+s.header.BytesWritten, 1920u * 120);
        EXPECT_TRUE(qm::test::rgbRowsMatch(s.bytes.data(), 1920, 120 * strip, 120, ServedPicture{2, 640, 480}));
    }
    EXPECT_EQ(panelStats().pictures, 2u);  // fetched once for all four strips
    EXPECT_EQ(endTransfer(count), TWRC_SUCCESS);
    EXPECT_EQ(count, 1);

    // File: a bitmap file of 54 + 640 x 480 x 3 bytes.
    const std::string file = scratch.file("picture.bmp");
    ASSERT_EQ(setupFile(file, TWFF_BMP), TWRC_SUCCESS);
    EXPECT_EQ(image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    const auto bytes = sys::readWholeFile(file);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 54u + 640 * 480 * 3);
    EXPECT_EQ((*bytes)[0], 'B');
    EXPECT_EQ((*bytes)[1], 'M');
    EXPECT_EQ(sys::readLe32(bytes->data() + 2), 54u + 640 * 480 * 3);
    EXPECT_EQ(sys::readLe32(bytes->data() + 6), 0u);
    EXPECT_EQ(sys::readLe32(bytes->data() + 10), 54u);
    EXPECT_TRUE(qm::test::dibMatches(bytes->data() + 14, bytes->size() - 14, ServedPicture{3, 640, 480}));

    EXPECT_EQ(endTransfer(count), TWRC_SUCCESS);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(record.state, STATE_ENABLED);
    ASSERT_EQ(notifications().size(), 2u);
    EXPECT_EQ(notifications()[0].message, MSG_XFERREADY);
    EXPECT_EQ(notifications()[1].message, MSG_CLOSEDSREQ);
}

TEST_F(TransferTest, RowsThatNeedPaddingArriveWholeInEveryMechanism)
{
    // 33 x 3 = 99 bytes per row, padded to 100 in the delivered bitmap.
    panelSettings("[Pictures]\nCount=3\nSize=33x20\n");
    startTransfer();
    const std::vector<std::uint8_t> native = nativeTransfer();
    EXPECT_TRUE(zeroTail(native, 40u + 100 * 20, 14));
    EXPECT_TRUE(qm::test::dibMatches(native.data(), native.size(), ServedPicture{1, 33, 20}));
    TW_UINT16 count = 0;
    endTransfer(count);

    // Strips of 7 rows of 99 bytes, the last one shorter.
    for (int strip = 0; strip < 3; ++strip) {
        const Strip s = memoryStrip(99 * 7 + 50);
        EXPECT_EQ(+s.header.BytesPerRow, 99u);
        EXPECT_EQ(+s.header.Rows, strip < 2 ? 7u : 6u);
        EXPECT_TRUE(qm::test::rgbRowsMatch(s.bytes.data(), 99, 7 * strip, int(+s.header.Rows), ServedPicture{2, 33, 20}));
        EXPECT_EQ(s.bytes[+s.header.BytesWritten], 0xEE) << "wrote past the rows it reported";
    }
    endTransfer(count);

    const std::string file = scratch.file("padded.bmp");
    ASSERT_EQ(setupFile(file, TWFF_BMP), TWRC_SUCCESS);
    EXPECT_EQ(image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    const auto bytes = sys::readWholeFile(file);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 54u + 100 * 20);
    EXPECT_EQ(sys::readLe32(bytes->data() + 2), bytes->size());
    EXPECT_TRUE(qm::test::dibMatches(bytes->data() + 14, bytes->size() - 14, ServedPicture{3, 33, 20}));
}

TEST_F(TransferTest, MemoryStripsFollowTheBufferAndTheLastOneIsShort)
{
    panelSettings("[Pictures]\nCount=1\nSize=40x250\n");
    startTransfer();
    const std::size_t row = 40 * 3;
    const std::uint32_t expectedRows[] = {100, 100, 50};
    for (int strip = 0; strip < 3; ++strip) {
        const Strip s = memoryStrip(row * 100 + row / 2);
        EXPECT_EQ(s.rc, strip < 2 ? TWRC_SUCCESS : TWRC_XFERDONE);
        EXPECT_EQ(+s.header.Rows, expectedRows[strip]);
        EXPECT_EQ(+s.header.BytesWritten, expectedRows[strip] * row);
        EXPECT_EQ(+s.header.YOffset, std::uint32_t(100 * strip));
    }
    // Top row first, red first.
    panelSettings("[Pictures]\nCount=1\nSize=2x2\n");
    close();
    startTransfer();
    const Strip s = memoryStrip(6 * 2);
    const qm::test::Rgb topLeft = qm::test::cameraPixel(1, 0, 0);
    EXPECT_EQ(s.bytes[0], topLeft.red);
    EXPECT_EQ(s.bytes[1], topLeft.green);
    EXPECT_EQ(s.bytes[2], topLeft.blue);
}

TEST_F(TransferTest, MemoryBuffersGivenByHandleAreLockedForTheCopy)
{
    panelSettings("[Pictures]\nCount=1\nSize=10x10\n");
    startTransfer();
    sys::HGLOBAL buffer = sys::GlobalAlloc(sys::GHND, 30 * 10);
    TW_IMAGEMEMXFER xfer{};
    xfer.Memory = TW_MEMORY{TWMF_APPOWNS | TWMF_HANDLE, 30 * 10, buffer};
    EXPECT_EQ(image(DAT_IMAGEMEMXFER, MSG_GET, &xfer), TWRC_XFERDONE);
    EXPECT_EQ(sys::GlobalFlags(buffer), 0u);
    EXPECT_TRUE(qm::test::rgbRowsMatch(static_cast<std::uint8_t*>(buffer), 30, 0, 10, ServedPicture{1, 10, 10}));
    sys::GlobalFree(buffer);
}

TEST_F(TransferTest, AMemoryBufferShorterThanARowIsRefusedBeforeThePictureIsTaken)
{
    panelSettings("[Pictures]\nCount=1\nSize=10x10\n");
    startTransfer();
    const Strip tooShort = memoryStrip(29);
    EXPECT_EQ(tooShort.rc, TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
    EXPECT_EQ(panelStats().pictures, 0u);
    // The application can go on with a buffer of at least one row.
    const Strip oneRow = memoryStrip(30);
    EXPECT_EQ(oneRow.rc, TWRC_SUCCESS);
    EXPECT_EQ(+oneRow.header.Rows, 1u);

    TW_IMAGEMEMXFER neither{};
    neither.Memory = TW_MEMORY{TWMF_APPOWNS, 300, nullptr};
    EXPECT_EQ(image(DAT_IMAGEMEMXFER, MSG_GET, &neither), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_OPERATIONERROR);
}

TEST_F(TransferTest, AnAbandonedMemoryTransferContinuesOrGivesWayToANativeOne)
{
    panelSettings("[Pictures]\nCount=3\nSize=10x10\n");
    startTransfer();
    const std::size_t baseline = sys::globalBlocksOutstanding();
    EXPECT_EQ(memoryStrip(30 * 4).rc, TWRC_SUCCESS);
    TW_UINT16 count = 0;
    endTransfer(count);
    // The next memory transfer continues the same picture where it stopped.
    const Strip next = memoryStrip(30 * 4);
    EXPECT_EQ(+next.header.YOffset, 4u);
    EXPECT_TRUE(qm::test::rgbRowsMatch(next.bytes.data(), 30, 4, 4, ServedPicture{1, 10, 10}));
    // A native transfer drops the rest of it and takes the next picture.
    const std::vector<std::uint8_t> native = nativeTransfer();
    EXPECT_TRUE(qm::test::dibMatches(native.data(), native.size(), ServedPicture{2, 10, 10}));
    EXPECT_EQ(record.transfer.image.handle, nullptr);
    EXPECT_EQ(sys::globalBlocksOutstanding(), baseline);
    const Strip fresh = memoryStrip(30 * 10);
    EXPECT_EQ(fresh.rc, TWRC_XFERDONE);
    EXPECT_TRUE(qm::test::rgbRowsMatch(fresh.bytes.data(), 30, 0, 10, ServedPicture{3, 10, 10}));
}

TEST_F(TransferTest, CloseFreesAPictureStillHeld)
{
    panelSettings("[Pictures]\nCount=1\nSize=10x10\n");
    const std::size_t baseline = sys::globalBlocksOutstanding();
    startTransfer();
    EXPECT_EQ(memoryStrip(30).rc, TWRC_SUCCESS);
    EXPECT_NE(record.transfer.image.handle, nullptr);
    close();
    EXPECT_EQ(record.transfer.image.handle, nullptr);
    EXPECT_EQ(record.transfer.stripRow, 0);
    EXPECT_EQ(sys::globalBlocksOutstanding(), baseline);
}

TEST_F(TransferTest, TurnedPicturesReportTheirTurnedSize)
{
    panelSettings("[Pictures]\nCount=1\nSize=30x20\nRotation1=1\n");
    startTransfer();
    const TW_IMAGEINFO info = imageInfo();
    EXPECT_EQ(+info.ImageWidth, 20);
    EXPECT_EQ(+info.ImageLength, 30);
    const std::vector<std::uint8_t> native = nativeTransfer();
    EXPECT_TRUE(qm::test::dibMatches(native.data(), native.size(), ServedPicture{1, 30, 20, 1}));
}

TEST_F(TransferTest, RefusedPicturesFailTheTransferAndHoldNothing)
{
    panelSettings("[Pictures]\nCount=3\nSize=8x8\n[Behaviour]\nFailGetImage=1\nBadHeader=2\n");
    startTransfer();
    const std::size_t baseline = sys::globalBlocksOutstanding();
    TW_HANDLE handle = nullptr;
    EXPECT_EQ(image(DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_OPERATIONERROR);
    EXPECT_EQ(handle, nullptr);
    // A picture whose header disagrees with its announced size is not passed on.
    EXPECT_EQ(memoryStrip(24 * 8).rc, TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_OPERATIONERROR);
    EXPECT_EQ(record.transfer.stripRow, 0);
    EXPECT_EQ(sys::globalBlocksOutstanding(), baseline);
    EXPECT_EQ(memoryStrip(24 * 8).rc, TWRC_XFERDONE);
}

TEST_F(TransferTest, RefusedSizeQueries)
{
    panelSettings("[Pictures]\nCount=1\n[Behaviour]\nFailImageSize=-1\n");
    startTransfer();
    TW_IMAGEINFO info{};
    EXPECT_EQ(image(DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADPROTOCOL);
    TW_HANDLE handle = nullptr;
    EXPECT_EQ(image(DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_OPERATIONERROR);
    EXPECT_EQ(memoryStrip(300).rc, TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_OPERATIONERROR);
    EXPECT_EQ(image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_OPERATIONERROR);
    EXPECT_EQ(panelStats().pictures, 0u);
}

TEST_F(TransferTest, TransfersOutsideTransferReadyAreRefused)
{
    open();
    enable();
    TW_IMAGEINFO info{};
    EXPECT_EQ(image(DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);
    EXPECT_EQ(memoryStrip(300).rc, TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_OPERATIONERROR);
    TW_HANDLE handle = nullptr;
    EXPECT_EQ(image(DAT_IMAGENATIVEXFER, MSG_GET, &handle), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);
    EXPECT_EQ(image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);
    EXPECT_EQ(control(DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);
    EXPECT_EQ(control(DAT_PENDINGXFERS, MSG_SET, &pending), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADPROTOCOL);
    EXPECT_EQ(panelStats().sizeQueries, 0u);
}

TEST_F(TransferTest, LayoutAndSetupBeforeTheFirstPicture)
{
    TW_IMAGELAYOUT layout{};
    EXPECT_EQ(image(DAT_IMAGELAYOUT, MSG_GET, &layout), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADPROTOCOL);
    TW_SETUPMEMXFER setup{};
    EXPECT_EQ(control(DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_SEQERROR);

    open();
    std::memset(&layout, 0xFF, sizeof layout);
    EXPECT_EQ(image(DAT_IMAGELAYOUT, MSG_GETDEFAULT, &layout), TWRC_SUCCESS);
    EXPECT_EQ(layout.Frame.Right.Whole, 0);
    EXPECT_EQ(layout.Frame.Bottom.Whole, 0);
    EXPECT_EQ(layout.Frame.Bottom.Frac, 0);
    EXPECT_EQ(+layout.DocumentNumber, 1u);
    EXPECT_EQ(+layout.FrameNumber, 1u);
    EXPECT_EQ(image(DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
    setup = memorySetup();
    EXPECT_EQ(+setup.MinBufSize, 0u);
    EXPECT_EQ(+setup.Preferred, 0u);

    std::uint32_t group = 0xAAAA5555;
    EXPECT_EQ(control(DAT_XFERGROUP, MSG_GET, &group), TWRC_SUCCESS);
    EXPECT_EQ(group, 0xAAAA0002u);
    for (TW_UINT16 message : {MSG_GET, MSG_GETDEFAULT, MSG_SET, MSG_RESET})
        EXPECT_EQ(image(DAT_JPEGCOMPRESSION, message, nullptr), TWRC_SUCCESS);

    enable();
    EXPECT_EQ(image(DAT_IMAGELAYOUT, MSG_RESET, &layout), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADPROTOCOL);
}

TEST_F(TransferTest, SizeQueriesFeedLayoutSetupAndPhysicalSize)
{
    panelSettings("[Pictures]\nCount=1\nSize=640x480\n");
    startTransfer();
    imageInfo();
    TW_IMAGELAYOUT layout{};
    EXPECT_EQ(image(DAT_IMAGELAYOUT, MSG_GET, &layout), TWRC_SUCCESS);
    EXPECT_EQ(layout.Frame.Right.Whole, 640);
    EXPECT_EQ(layout.Frame.Bottom.Whole, 480);
    TW_CAPABILITY width{ICAP_PHYSICALWIDTH, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(control(DAT_CAPABILITY, MSG_GET, &width), TWRC_SUCCESS);
    EXPECT_EQ(sys::readLe32(takeContainer(width).bytes.data() + 2), 640u);
    TW_CAPABILITY height{ICAP_PHYSICALHEIGHT, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(control(DAT_CAPABILITY, MSG_GET, &height), TWRC_SUCCESS);
    EXPECT_EQ(sys::readLe32(takeContainer(height).bytes.data() + 2), 480u);
}

TEST_F(TransferTest, EveryPictureOfABatchThenTheCloseRequest)
{
    startTransfer();
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(control(DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 3);
    EXPECT_EQ(record.state, STATE_XFERREADY);
    for (TW_UINT16 expected : {2, 1, 0}) {
        nativeTransfer();
        TW_UINT16 count = 99;
        EXPECT_EQ(endTransfer(count), TWRC_SUCCESS);
        EXPECT_EQ(count, expected);
    }
    EXPECT_EQ(record.state, STATE_ENABLED);
    ASSERT_EQ(notifications().size(), 2u);
    EXPECT_EQ(notifications()[1].message, MSG_CLOSEDSREQ);
}

TEST_F(TransferTest, AnyTransferCountButMinusOneEndsTheBatchAfterOnePicture)
{
    for (std::int32_t limit : {1, 0xFFFF}) {
        SCOPED_TRACE(limit);
        record.capabilities.transferCount = limit;
        startTransfer();
        nativeTransfer();
        TW_UINT16 count = 99;
        EXPECT_EQ(endTransfer(count), TWRC_SUCCESS);
        EXPECT_EQ(count, 0);
        EXPECT_EQ(record.state, STATE_ENABLED);
        EXPECT_EQ(notifications().back().message, MSG_CLOSEDSREQ);
        close();
    }
}

TEST_F(TransferTest, ResetEndsTheBatchQuietly)
{
    startTransfer();
    TW_PENDINGXFERS pending{77, 0};
    EXPECT_EQ(control(DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    EXPECT_EQ(record.state, STATE_ENABLED);
    ASSERT_EQ(notifications().size(), 1u);  // the transfer-ready one only
    EXPECT_EQ(notifications()[0].message, MSG_XFERREADY);
    EXPECT_EQ(panelStats().current, 1u);  // the panel's cursor stays
}

TEST_F(TransferTest, FileSetupNamesFormatsAndDefaults)
{
    open();
    TW_SETUPFILEXFER setup{};
    EXPECT_EQ(control(DAT_SETUPFILEXFER, MSG_GET, &setup), TWRC_SUCCESS);
    EXPECT_STREQ(setup.FileName, "c:\\twain.bmp");
    EXPECT_EQ(setup.Format, TWFF_BMP);

    const std::string name = scratch.file("picture.jpg");
    EXPECT_EQ(setupFile(name, TWFF_JFIF), TWRC_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(name)) << "proving the name left a file behind";
    EXPECT_EQ(control(DAT_SETUPFILEXFER, MSG_GET, &setup), TWRC_SUCCESS);
    EXPECT_EQ(setup.FileName, name);
    EXPECT_EQ(setup.Format, TWFF_JFIF);
    TW_CAPABILITY format{ICAP_IMAGEFILEFORMAT, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(control(DAT_CAPABILITY, MSG_GET, &format), TWRC_SUCCESS);
    EXPECT_EQ(sys::readLe32(takeContainer(format).bytes.data() + 6), 1u);

    EXPECT_EQ(setupFile(scratch.file("picture.tif"), TWFF_TIFF), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
    EXPECT_EQ(control(DAT_SETUPFILEXFER, MSG_GETDEFAULT, &setup), TWRC_SUCCESS);
    EXPECT_STREQ(setup.FileName, "c:\\twain.bmp");
    EXPECT_EQ(control(DAT_SETUPFILEXFER, MSG_GET, &setup), TWRC_SUCCESS);
    EXPECT_EQ(setup.FileName, name);

    EXPECT_EQ(control(DAT_SETUPFILEXFER, MSG_RESET, &setup), TWRC_SUCCESS);
    EXPECT_STREQ(setup.FileName, "c:\\twain.bmp");
    EXPECT_EQ(record.transfer.fileName, "c:\\twain.bmp");
    EXPECT_EQ(record.capabilities.fileFormat, TWFF_BMP);
    EXPECT_EQ(control(DAT_SETUPFILEXFER, MSG_ENDXFER, &setup), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADPROTOCOL);
}

TEST_F(TransferTest, AFileThatCannotBeWrittenIsAFailureAndCostsNoPicture)
{
    startTransfer();
    const std::string unwritable = scratch.file("missing-directory/picture.bmp");
    EXPECT_EQ(setupFile(unwritable, TWFF_BMP), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_BADVALUE);
    EXPECT_EQ(record.transfer.fileName, "c:\\twain.bmp");

    // A name that became unwritable after the setup fails the transfer
    // before the picture is taken from the panel.
    const std::string directory = scratch.file("gone");
    std::filesystem::create_directory(directory);
    ASSERT_EQ(setupFile(directory + "/picture.bmp", TWFF_BMP), TWRC_SUCCESS);
    std::filesystem::remove(directory);
    EXPECT_EQ(image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(condition(), TWCC_OPERATIONERROR);
    EXPECT_EQ(panelStats().pictures, 0u);
}

TEST_F(TransferTest, ProvingANameKeepsTheFileThereUntilThePictureReplacesIt)
{
    panelSettings("[Pictures]\nCount=1\nSize=4x4\n");
    const std::string name = scratch.file("keep.bmp");
    qm::test::writeTextFile(name, "precious");
    startTransfer();
    ASSERT_EQ(setupFile(name, TWFF_BMP), TWRC_SUCCESS);
    EXPECT_EQ(qm::test::readTextFile(name), "precious");
    // A refused picture leaves it as it was too.
    panelSettings("[Pictures]\nCount=1\nSize=4x4\n[Behaviour]\nFailGetImage=1\n");
    EXPECT_EQ(image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_EQ(qm::test::readTextFile(name), "precious");
}

TEST_F(TransferTest, FileTransfersLeaveOnlyTheirFileBehind)
{
    panelSettings("[Pictures]\nCount=2\nSize=6x5\n[Behaviour]\nFailGetImage=1\n");
    const std::string directory = scratch.file("only");
    std::filesystem::create_directory(directory);
    const std::string name = directory + "/picture.bmp";
    startTransfer();
    ASSERT_EQ(setupFile(name, TWFF_BMP), TWRC_SUCCESS);
    const auto entries = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(directory))
            names.push_back(entry.path().filename().string());
        return names;
    };
    // A refused picture removes the file it had started.
    EXPECT_EQ(image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_FAILURE);
    EXPECT_TRUE(entries().empty());
    panelSettings("[Pictures]\nCount=2\nSize=6x5\n");
    EXPECT_EQ(image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    EXPECT_EQ(entries(), std::vector<std::string>{"picture.bmp"});
    EXPECT_EQ(std::filesystem::status(name).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0644));
    EXPECT_EQ(std::filesystem::file_size(name), 54u + 20 * 5);
}

TEST_F(TransferTest, JfifFormatStillWritesABitmapFile)
{
    panelSettings("[Pictures]\nCount=1\nSize=5x3\n");
    startTransfer();
    const std::string name = scratch.file("picture.jpg");
    ASSERT_EQ(setupFile(name, TWFF_JFIF), TWRC_SUCCESS);
    EXPECT_EQ(image(DAT_IMAGEFILEXFER, MSG_GET, nullptr), TWRC_XFERDONE);
    const auto bytes = sys::readWholeFile(name);
    ASSERT_TRUE(bytes);
    EXPECT_EQ((*bytes)[0], 'B');
    EXPECT_TRUE(qm::test::dibMatches(bytes->data() + 14, bytes->size() - 14, ServedPicture{1, 5, 3}));
}

}  // namespace
}  // namespace qm::ds::test
