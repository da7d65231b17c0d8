// File names, export names and fixed texts the data source uses as they stand.
#pragma once

namespace qm::ds {

// Install layout under the Windows directory W.
inline constexpr const char* kTwainDirectory = "TWAIN_32";
inline constexpr const char* kInstallDirectory = "QM4200";
inline constexpr const char* kDataSourceFile = "QM4200.DS";
inline constexpr const char* kPanelFile = "Vantrel.DLL";
inline constexpr const char* kDeviceFile = "Kestrom.DLL";

// The version text of the source identity.
inline constexpr const char* kVersionInfo = "EXTENDED TWAIN QMTWAIN";

// Where a file transfer writes when the application named no file.
inline constexpr const char* kDefaultTransferFile = "c:\\twain.bmp";

}  // namespace qm::ds
