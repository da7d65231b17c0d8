// What a fresh installation's registry holds, and the registry's file name.
#pragma once

namespace qm::kernel::detail {

// The registry file in the Windows directory.
inline constexpr const char* kRegistryFileName = "registry.reg";

// The machine hive as installed: its top keys and the platform's own
// property-page registrations for the video capture category and the
// VideoProcAmp and CameraControl property sets.
inline constexpr const char* kDefaultRegistry = R"([\Registry\MACHINE\HARDWARE]
[\Registry\MACHINE\SOFTWARE]
[\Registry\MACHINE\SYSTEM\CurrentControlSet\Services]
[\Registry\MACHINE\SYSTEM\CurrentControlSet\Control\MediaCategories\{FB6C4281-0353-11D1-905F-0000C0CC16BA}\PropertyPages\{71F96467-78F3-11d0-A18C-00A0C9118956}]
[\Registry\MACHINE\SYSTEM\CurrentControlSet\Control\MediaSets\{C6E13360-30AC-11D0-A18C-00A0C9118956}\PropertyPages\{71F96464-78F3-11D0-A18C-00A0C9118956}]
@="VideoProcAmp Property Page"
[\Registry\MACHINE\SYSTEM\CurrentControlSet\Control\MediaSets\{C6E13370-30AC-11D0-A18C-00A0C9118956}\PropertyPages\{71F96465-78F3-11D0-A18C-00A0C9118956}]
@="CameraControl Property Page"
)";

}  // namespace qm::kernel::detail
