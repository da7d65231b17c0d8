// The camera layer's device functions (DF_*): capture start and stop,
// picture controls, the serial sensor bus, flicker suppression, white
// balance and the compression setting. Each returns 1 on success and 0 on
// failure; each writes only the registers it names. Passive level only.
#pragma once

#include "videodriver/camera/morvax_context.h"

namespace qm::morvax {

// --- capture sequence (sensor/capture_sequence.cpp) ---
ULONG DF_Init(MorvaxContext* context);   // enable, default image, flicker
ULONG DF_Setup(MorvaxContext* context);  // size, rate, compression, AWB window, AE reset
ULONG DF_Start(MorvaxContext* context);  // picture controls, run
ULONG DF_Stop(MorvaxContext* context);   // default image

// --- picture controls (sensor/picture_controls.cpp) ---
ULONG DF_SetContrast(MorvaxContext* context);
ULONG DF_SetGamma(MorvaxContext* context);
ULONG DF_SetSaturation(MorvaxContext* context);
ULONG DF_SetSharpness(MorvaxContext* context);
ULONG DF_SetHue(MorvaxContext* context);
ULONG DF_SetRedHue(MorvaxContext* context);
ULONG DF_SetGreenHue(MorvaxContext* context);
ULONG DF_SetBlueHue(MorvaxContext* context);
ULONG SetAWBWindow(MorvaxContext* context);

// --- serial sensor bus (sensor/serial_bus.cpp) ---
ULONG DF_WriteI2CRegister(MorvaxContext* context, UCHAR device, UCHAR address, UCHAR value);
// The CMOS sensor (device 55): register and value go LSB first; `wait`
// lets the sensor settle for 300 ms.
ULONG DF_NSCCmosI2CWrite(MorvaxContext* context, UCHAR address, UCHAR value, BOOLEAN wait);
ULONG DF_EnableSifI2C(MorvaxContext* context);
UCHAR GetReverse(UCHAR value);  // the 8 bits in reverse order

// --- flicker suppression (sensor/flicker.cpp) ---
ULONG DF_SetFlickerlessReg(MorvaxContext* context);

// --- white balance (colour/) ---
ULONG DF_AdjustWhiteBalance(MorvaxContext* context);
// Stores the current white point as the light source's colour temperature
// and the gains in use under the Default subkey.
ULONG DF_SetColorTemperature(MorvaxContext* context);
// Reloads the AWB bounds of the current light source from the registry.
VOID GetAWBBound(MorvaxContext* context);
// Anti-hunting for one gain: history h0..h3 (h3 newest); returns the value
// to use.
UCHAR CheckAWBHunting(UCHAR* history, UCHAR value);

// --- compression (frames/jpeg_compression.cpp) ---
ULONG DF_SetJpegCompression(MorvaxContext* context);

}  // namespace qm::morvax
