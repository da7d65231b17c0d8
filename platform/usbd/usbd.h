// Everything the USB driver interface offers a function driver.
#pragma once

#include "platform/kernel/kernel.h"
#include "platform/usbd/urb.h"
#include "platform/usbd/usb100.h"
#include "platform/usbd/usbd_status.h"
#include "platform/usbd/usbdlib.h"
#include "platform/usbd/usbioctl.h"
