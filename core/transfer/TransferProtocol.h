#pragma once

#include "core/data/CQARNCfgDoc.h"

// What the device expects on the line and what a transfer tells the user,
// written once for the dialog, the command-line tool and the workers.
namespace TransferProtocol {

// The wake-up sent before every command.
inline constexpr const char* kWakeup = "\r\n";
// Tells the device to receive a configuration (download).
inline constexpr const char* kReceiveCommand = "#CU\r\n";
// Asks the device to send its configuration (upload).
inline constexpr const char* kSendCommand = "#CD\r\n";

inline constexpr const char* kNoDataText = "Cannot perform download.\nNo Configuration data loaded";
inline constexpr const char* kNoDataCaption = "Warning";
inline constexpr const char* kDownloadCancelledText = "Download aborted.\nPlease power cycle QARN.";
inline constexpr const char* kUploadCancelledText = "Upload aborted.\nPlease power cycle QARN.";
inline constexpr const char* kCancelledCaption = "Info";
inline constexpr const char* kPowerCycleText = "Power cycle QARN.";
// The box of a line that failed or fell silent during a transfer.
inline constexpr const char* kLineFaultCaption = "Communication Error";
inline constexpr const char* kUploadLineFaultText =
    "Upload Aborted\nPlease Power Cycle QARN\nCheck the cable, the port and the baud rate.\n";
inline constexpr const char* kDownloadLineFaultText =
    "Download Aborted\nPlease Power Cycle QARN\nCheck the cable, the port and the baud rate.\n";

}  // namespace TransferProtocol
