#include "platform/usbd/usbdlib.h"

#include <gtest/gtest.h>

#include "platform/kernel/pool.h"
#include "platform/usbd/descriptor_builder.h"

namespace qm::usbd {
namespace {

std::vector<UCHAR> twoInterfaces()
{
    return ConfigurationBuilder()
        .interface(0, 0, 0xFF)
        .isochronousIn(1, 0)
        .interface(0, 1, 0xFF)
        .isochronousIn(1, 512)
        .isochronousIn(2, 1)
        .interface(1, 0, 0x0E, 2)
        .endpoint(0x83, USB_ENDPOINT_TYPE_INTERRUPT, 8)
        .build();
}

PUSB_CONFIGURATION_DESCRIPTOR asConfiguration(std::vector<UCHAR>& bytes)
{
    return reinterpret_cast<PUSB_CONFIGURATION_DESCRIPTOR>(bytes.data());
}

TEST(UsbdLibrary, TheBuilderFillsLengthsAndCounts)
{
    std::vector<UCHAR> bytes = twoInterfaces();
    const auto* configuration = asConfiguration(bytes);
    EXPECT_EQ(configuration->wTotalLength, bytes.size());
    EXPECT_EQ(configuration->bNumInterfaces, 2);
    EXPECT_EQ(bytes.size(), 9u + 3 * 9 + 4 * 7);
}

TEST(UsbdLibrary, InterfacesAreFoundByEveryCriterion)
{
    std::vector<UCHAR> bytes = twoInterfaces();
    PUSB_CONFIGURATION_DESCRIPTOR configuration = asConfiguration(bytes);
    auto* first = USBD_ParseConfigurationDescriptorEx(configuration, configuration, -1, -1, -1, -1, -1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->bAlternateSetting, 0);
    auto* alternate = USBD_ParseConfigurationDescriptorEx(configuration, configuration, 0, 1, -1, -1, -1);
    ASSERT_NE(alternate, nullptr);
    EXPECT_EQ(alternate->bNumEndpoints, 2);
    auto* byClass = USBD_ParseConfigurationDescriptorEx(configuration, configuration, -1, -1, 0x0E, 2, -1);
    ASSERT_NE(byClass, nullptr);
    EXPECT_EQ(byClass->bInterfaceNumber, 1);
    EXPECT_EQ(USBD_ParseConfigurationDescriptorEx(configuration, configuration, 2, -1, -1, -1, -1), nullptr);
    // Searching on from a position skips what came before it.
    auto* next = USBD_ParseConfigurationDescriptorEx(configuration, reinterpret_cast<UCHAR*>(first) + first->bLength,
                                                     0, -1, -1, -1, -1);
    EXPECT_EQ(next, alternate);
    auto* endpoint = reinterpret_cast<PUSB_ENDPOINT_DESCRIPTOR>(
        USBD_ParseDescriptors(configuration, configuration->wTotalLength, alternate, USB_ENDPOINT_DESCRIPTOR_TYPE));
    ASSERT_NE(endpoint, nullptr);
    EXPECT_EQ(endpoint->wMaxPacketSize, 512);
}

TEST(UsbdLibrary, AMalformedDescriptorEndsTheWalk)
{
    std::vector<UCHAR> bytes = twoInterfaces();
    bytes[9 + 9] = 0;  // the first endpoint claims length 0
    PUSB_CONFIGURATION_DESCRIPTOR configuration = asConfiguration(bytes);
    EXPECT_EQ(USBD_ParseConfigurationDescriptorEx(configuration, configuration, 0, 1, -1, -1, -1), nullptr);
    bytes[9 + 9] = 200;  // runs past the end
    EXPECT_EQ(USBD_ParseConfigurationDescriptorEx(configuration, configuration, 0, 1, -1, -1, -1), nullptr);
    // A total length shorter than the bytes hides what lies beyond it.
    bytes = twoInterfaces();
    configuration = asConfiguration(bytes);
    configuration->wTotalLength = 9 + 9 + 7;
    EXPECT_EQ(USBD_ParseConfigurationDescriptorEx(configuration, configuration, 0, 1, -1, -1, -1), nullptr);
}

TEST(UsbdLibrary, TheConfigurationRequestHasARecordPerChosenInterface)
{
    std::vector<UCHAR> bytes = twoInterfaces();
    PUSB_CONFIGURATION_DESCRIPTOR configuration = asConfiguration(bytes);
    const auto before = qm::kernel::sim::poolUsage();
    USBD_INTERFACE_LIST_ENTRY list[3] = {};
    list[0].InterfaceDescriptor = USBD_ParseConfigurationDescriptorEx(configuration, configuration, 0, 1, -1, -1, -1);
    list[1].InterfaceDescriptor = USBD_ParseConfigurationDescriptorEx(configuration, configuration, 1, 0, -1, -1, -1);
    PURB urb = USBD_CreateConfigurationRequestEx(configuration, list);
    ASSERT_NE(urb, nullptr);
    EXPECT_EQ(urb->UrbHeader.Function, URB_FUNCTION_SELECT_CONFIGURATION);
    EXPECT_EQ(urb->UrbHeader.Length, GET_SELECT_CONFIGURATION_REQUEST_SIZE(2, 3));
    EXPECT_EQ(urb->UrbSelectConfiguration.ConfigurationDescriptor, configuration);
    ASSERT_NE(list[0].Interface, nullptr);
    ASSERT_NE(list[1].Interface, nullptr);
    EXPECT_EQ(list[0].Interface, &urb->UrbSelectConfiguration.Interface);
    EXPECT_EQ(list[0].Interface->Length, GET_USBD_INTERFACE_SIZE(2));
    EXPECT_EQ(list[0].Interface->AlternateSetting, 1);
    EXPECT_EQ(list[0].Interface->Pipes[1].MaximumTransferSize, USBD_DEFAULT_MAXIMUM_TRANSFER_SIZE);
    EXPECT_EQ(reinterpret_cast<UCHAR*>(list[1].Interface),
              reinterpret_cast<UCHAR*>(list[0].Interface) + list[0].Interface->Length);
    EXPECT_EQ(list[1].Interface->InterfaceNumber, 1);
    ExFreePool(urb);
    EXPECT_EQ(qm::kernel::sim::poolUsage(), before);
}

}  // namespace
}  // namespace qm::usbd
