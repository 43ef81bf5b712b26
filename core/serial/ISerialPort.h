#pragma once

#include <string>
#include <system_error>

// What the transfer code needs of a serial port. CSerialPort is the real one;
// tests put their own behind it.
class ISerialPort {
public:
    virtual ~ISerialPort() = default;

    // 1-based port number (COM1, COM2), mapped to a device by CPortMap.
    virtual bool Open(int port, int baud) = 0;
    // A device path such as /dev/ttyUSB0 or a pseudo-terminal.
    virtual bool OpenDevice(const std::string& device, int baud) = 0;
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;

    virtual bool WriteByte(int byte) = 0;  // always true; a failure goes to GetLastError()
    virtual char ReadByte() = 0;           // 0 when no byte is waiting
    virtual int Write(const char* buf, int len) = 0;
    virtual int GetInQueue() = 0;
    // Throws away whatever has been received and not yet read, so that the
    // next byte read is one that arrives from now on.
    virtual bool FlushInput() = 0;
    // Waits until the bytes written so far have left the port, for at most the
    // time they need at the port's baud rate plus 1000 ms. False on time-out.
    virtual bool Drain() = 0;

    // The last failure since the last Open; empty when there was none.
    virtual std::error_code GetLastError() const = 0;
    // The device the port was last opened (or tried) on, for messages.
    virtual std::string GetDeviceName() const = 0;
};
