#include "app/CErrorText.h"

#include "core/serial/CPortChoice.h"
#include "platform/common/ETovrikError.h"

std::string CErrorText::OpenFailed(const std::string& path, std::error_code error) {
    if (error == ETovrikError::NotConfiguration) {
        return path + " is not an S-record configuration.";
    }
    if (error == ETovrikError::NotEnoughMemory) {
        return path + ": not enough memory";
    }
    return "Cannot open " + path + ": " + error.message() + ".";
}

std::string CErrorText::SaveFailed(const std::string& path, std::error_code error) {
    if (error == ETovrikError::NotEnoughMemory) {
        return path + ": not enough memory";
    }
    return "Cannot save " + path + ": " + error.message() + ".";
}

std::vector<std::string> CErrorText::PortNotOpened(const CPortChoice& port, std::error_code error) {
    std::vector<std::string> lines{"Cannot open port " + port.Describe() + ": " + error.message() +
                                   "."};
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
        lines.emplace_back("Permission denied: is the user in the dialout group?");
    } else if (error == std::errc::device_or_resource_busy ||
               error == std::errc::resource_unavailable_try_again) {
        lines.emplace_back("The port is in use by another program.");
    } else if (error == std::errc::no_such_file_or_directory ||
               error == std::errc::no_such_device ||
               error == std::errc::no_such_device_or_address) {
        lines.emplace_back("There is no such device: check the port setting.");
    } else if (error == std::errc::inappropriate_io_control_operation) {
        lines.emplace_back("That device is not a serial port.");
    }
    return lines;
}
