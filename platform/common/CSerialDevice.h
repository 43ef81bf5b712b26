#pragma once

#include "platform/CSystemPaths.h"

#include <memory>
#include <string>
#include <system_error>

// One serial device of the operating system, opened exclusively and
// non-blocking in raw 8N1 mode at a chosen baud rate. Each operation reports
// its failure as an error code and records nothing; CSerialPort keeps the
// last one for the user.
class CSerialDevice {
public:
    // `paths` say where the system consoles are listed, which Open refuses.
    explicit CSerialDevice(const CSystemPaths& paths = {});
    ~CSerialDevice();  // closes, dropping unsent bytes
    CSerialDevice(const CSerialDevice&) = delete;
    CSerialDevice& operator=(const CSerialDevice&) = delete;

    // The device behind the dialog's numbered port (1 is COM1) when nothing
    // else is set for it.
    static std::string DefaultPath(int port);
    // A device path as a user of this system would type it, for help texts.
    static std::string ExamplePath();

    [[nodiscard]] std::error_code Open(const std::string& path, int baud);
    // Puts back the settings the device had when it was opened, gives up the
    // exclusive claim and closes; the destructor and a failed Open do the
    // same. Drops bytes still queued when discardUnsent is set, so that
    // closing does not wait out the driver's closing time on a stalled line.
    void Close(bool discardUnsent);
    bool IsOpen() const;

    // Waits up to timeoutMs for room when the driver's queue is full.
    [[nodiscard]] std::error_code WriteByte(unsigned char byte, int timeoutMs);
    // got is false when no byte was waiting, which is not a failure.
    [[nodiscard]] std::error_code ReadByte(unsigned char& byte, bool& got);
    [[nodiscard]] std::error_code InQueue(int& count);
    // Throws away every byte received and not yet read.
    [[nodiscard]] std::error_code FlushInput();
    [[nodiscard]] std::error_code OutQueue(int& count);

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};
