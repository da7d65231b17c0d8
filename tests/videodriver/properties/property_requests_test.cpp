// Property requests handed to the driver's handlers directly, as the
// platform does for ids the sets do not publish and for answers the
// platform would not pass on: hue, gamma, white balance, the mirror and
// flip mode, and the frame-rate list's size.
#include <gmock/gmock.h>

#include <cstring>

#include "tests/videodriver/exposure/bench/context_bench.h"
#include "videodriver/camera/device_properties.h"
#include "videodriver/properties/morvax_properties.h"

namespace qm::morvax::test {
namespace {

class PropertyRequests : public ContextBench {
protected:
    void SetUp() override
    {
        ContextBench::SetUp();
        board_ = std::make_shared<RegisterBoard>();
        plug(board_);
    }

    template <typename Record>
    NTSTATUS send(bool set, Record& property, std::vector<UCHAR>& value, ULONG* bytes = nullptr)
    {
        STREAM_PROPERTY_DESCRIPTOR info{reinterpret_cast<PKSPROPERTY>(&property), 0,
                                        value.empty() ? nullptr : value.data(), ULONG(sizeof(Record)),
                                        ULONG(value.size())};
        HW_STREAM_REQUEST_BLOCK srb{};
        srb.CommandData.PropertyInfo = &info;
        if (set)
            AdapterSetProperty(&srb, context());
        else
            AdapterGetProperty(&srb, context());
        if (bytes != nullptr)
            *bytes = srb.ActualBytesTransferred;
        return srb.Status;
    }

    NTSTATUS setProcAmp(ULONG id, LONG setting)
    {
        KSPROPERTY_VIDEOPROCAMP_S record{};
        record.Property.Set = PROPSETID_VIDCAP_VIDEOPROCAMP;
        record.Property.Id = id;
        record.Value = setting;
        std::vector<UCHAR> value(sizeof record);
        std::memcpy(value.data(), &record, sizeof record);
        return send(true, record, value);
    }
    LONG getProcAmp(ULONG id)
    {
        KSPROPERTY_VIDEOPROCAMP_S record{};
        record.Property.Set = PROPSETID_VIDCAP_VIDEOPROCAMP;
        record.Property.Id = id;
        std::vector<UCHAR> value(sizeof record);
        EXPECT_EQ(send(false, record, value), STATUS_SUCCESS);
        std::memcpy(&record, value.data(), sizeof record);
        return record.Value;
    }

    KSPROPERTY_VIDEOCONTROL_FRAME_RATES_S frameRates(LONG width, LONG height)
    {
        KSPROPERTY_VIDEOCONTROL_FRAME_RATES_S request{};
        request.Property.Set = PROPSETID_VIDCAP_VIDEOCONTROL;
        request.Property.Id = KSPROPERTY_VIDEOCONTROL_FRAME_RATES;
        request.Dimensions = {width, height};
        return request;
    }

    std::shared_ptr<RegisterBoard> board_;
};

TEST_F(PropertyRequests, HueGoesToTheRedAndBlueGains)
{
    ASSERT_EQ(setProcAmp(KSPROPERTY_VIDEOPROCAMP_HUE, 63), STATUS_SUCCESS);
    EXPECT_EQ(board_->get(0x100B), 61);
    EXPECT_EQ(board_->get(0x100C), 0);
    EXPECT_EQ(getProcAmp(KSPROPERTY_VIDEOPROCAMP_HUE), 63);
    EXPECT_EQ(setProcAmp(KSPROPERTY_VIDEOPROCAMP_HUE, 64), STATUS_INVALID_PARAMETER);
}

TEST_F(PropertyRequests, GammaRewritesTheToneCurve)
{
    wire().clear();
    ASSERT_EQ(setProcAmp(KSPROPERTY_VIDEOPROCAMP_GAMMA, 3), STATUS_SUCCESS);
    EXPECT_EQ(wire().writesTo(0x1041).size(), 1u);
    EXPECT_EQ(getProcAmp(KSPROPERTY_VIDEOPROCAMP_GAMMA), 3);
    EXPECT_EQ(setProcAmp(KSPROPERTY_VIDEOPROCAMP_GAMMA, 24), STATUS_INVALID_PARAMETER);
}

TEST_F(PropertyRequests, WhiteBalanceSwitchedOnAdjustsAtOnce)
{
    wire().clear();
    ASSERT_EQ(setProcAmp(KSPROPERTY_VIDEOPROCAMP_WHITEBALANCE, 1), STATUS_SUCCESS);
    EXPECT_FALSE(wire().readsOf(0x0800).empty());
    EXPECT_EQ(getProcAmp(KSPROPERTY_VIDEOPROCAMP_WHITEBALANCE), 1);
    wire().clear();
    ASSERT_EQ(setProcAmp(KSPROPERTY_VIDEOPROCAMP_WHITEBALANCE, 0), STATUS_SUCCESS);
    EXPECT_TRUE(wire().readsOf(0x0800).empty());
}

TEST_F(PropertyRequests, UnknownIdsFailToGetAndAreIgnoredWhenSet)
{
    EXPECT_EQ(setProcAmp(KSPROPERTY_VIDEOPROCAMP_GAIN, 5), STATUS_SUCCESS);
    KSPROPERTY_VIDEOPROCAMP_S record{};
    record.Property.Set = PROPSETID_VIDCAP_VIDEOPROCAMP;
    record.Property.Id = KSPROPERTY_VIDEOPROCAMP_GAIN;
    std::vector<UCHAR> value(sizeof record);
    EXPECT_EQ(send(false, record, value), STATUS_NOT_SUPPORTED);
    record.Property.Set = KSPROPSETID_Connection;
    EXPECT_EQ(send(false, record, value), STATUS_NOT_IMPLEMENTED);
}

TEST_F(PropertyRequests, TheModeKeepsMirrorAndFlip)
{
    KSPROPERTY_VIDEOCONTROL_MODE_S mode{};
    mode.Property.Set = PROPSETID_VIDCAP_VIDEOCONTROL;
    mode.Property.Id = KSPROPERTY_VIDEOCONTROL_MODE;
    mode.Mode = KS_VideoControlFlag_FlipVertical;
    std::vector<UCHAR> value(sizeof mode);
    std::memcpy(value.data(), &mode, sizeof mode);
    ASSERT_EQ(send(true, mode, value), STATUS_SUCCESS);
    EXPECT_EQ(context()->Flip, 1);
    EXPECT_EQ(context()->Mirror, 0);
    context()->Mirror = 1;
    ULONG bytes = 0;
    ASSERT_EQ(send(false, mode, value, &bytes), STATUS_SUCCESS);
    std::memcpy(&mode, value.data(), sizeof mode);
    EXPECT_EQ(mode.Mode, 3);
    EXPECT_EQ(bytes, 32u);
}

TEST_F(PropertyRequests, AnEmptyBufferAsksForTheSizeOfTheListForThatFrameSize)
{
    auto request = frameRates(640, 480);
    std::vector<UCHAR> none;
    ULONG bytes = 0;
    EXPECT_EQ(send(false, request, none, &bytes), STATUS_BUFFER_OVERFLOW);
    EXPECT_EQ(bytes, 8u + 7 * 8);
    request = frameRates(320, 240);
    EXPECT_EQ(send(false, request, none, &bytes), STATUS_BUFFER_OVERFLOW);
    EXPECT_EQ(bytes, 8u + 8);
}

TEST_F(PropertyRequests, AListThatDoesNotFitIsNotWritten)
{
    auto request = frameRates(640, 480);
    std::vector<UCHAR> small(55, 0xEE);
    EXPECT_EQ(send(false, request, small), STATUS_NOT_SUPPORTED);
    std::vector<UCHAR> shortOfSeven(56, 0xEE);
    ULONG bytes = 0;
    EXPECT_EQ(send(false, request, shortOfSeven, &bytes), STATUS_BUFFER_TOO_SMALL);
    EXPECT_EQ(bytes, 0u);
    EXPECT_EQ(shortOfSeven, std::vector<UCHAR>(56, 0xEE));
    context()->MinFrameRate[kSize640x480] = 5;  // six intervals: 56 bytes
    EXPECT_EQ(send(false, request, shortOfSeven, &bytes), STATUS_SUCCESS);
    EXPECT_EQ(bytes, 56u);
}

TEST_F(PropertyRequests, OtherFrameSizesHaveNoList)
{
    auto request = frameRates(800, 600);
    std::vector<UCHAR> value(128);
    EXPECT_EQ(send(false, request, value), STATUS_INVALID_PARAMETER);
}

}  // namespace
}  // namespace qm::morvax::test
