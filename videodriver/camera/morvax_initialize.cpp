// The camera layer's pool buffers, taken at device start and given back at
// removal, and the JPEG header template that every frame's header is
// patched from.
#include "videodriver/camera/driver_globals.h"
#include "videodriver/camera/morvax_callbacks.h"
#include "videodriver/jpeg/jpeg_header.h"
#include "videodriver/properties/pnp_log.h"

namespace qm::morvax {

namespace {

static_assert(kJpegHeaderSize == kJpegTemplateSize);

template <typename T>
void freeAndClear(T*& block)
{
    if (block != nullptr) {
        freePool(block);
        block = nullptr;
    }
}

}  // namespace

NTSTATUS MORVAX_Initialize(PDEVICE_OBJECT, PVOID context)
{
    MorvaxContext* camera = morvaxContext(context);
    PnPLog(camera, g_driverGlobals.PnPLogStep++, STATUS_SUCCESS);
    // A buffer that cannot be had stays null; the frame paths then do
    // without it, and the device still starts.
    if (camera->JpegHeader == nullptr) {
        camera->JpegHeader = static_cast<PUCHAR>(allocatePool(kJpegHeaderSize));
        if (camera->JpegHeader != nullptr)
            generateJpegHeaderTemplate({camera->JpegHeader, kJpegHeaderSize});
    }
    if (camera->LastFrame == nullptr)
        camera->LastFrame = static_cast<PUCHAR>(allocatePool(kLastFrameSize));
    if (camera->DecodeScratch == nullptr)
        camera->DecodeScratch = static_cast<PUCHAR>(allocatePool(kDecodeScratchSize));
    freeAndClear(camera->PictureTable);
    camera->PictureTableSize = 0;
    PnPLog(camera, g_driverGlobals.PnPLogStep++, STATUS_SUCCESS);
    return STATUS_SUCCESS;
}

NTSTATUS MORVAX_UnInitialize(PDEVICE_OBJECT, PVOID context)
{
    MorvaxContext* camera = morvaxContext(context);
    freeAndClear(camera->InterfaceInformation);
    freeAndClear(camera->JpegHeader);
    freeAndClear(camera->LastFrame);
    freeAndClear(camera->DecodeScratch);
    freeAndClear(camera->PictureTable);
    camera->PictureTableSize = 0;
    return STATUS_SUCCESS;
}

}  // namespace qm::morvax
