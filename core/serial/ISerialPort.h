#pragma once

#include <string>
#include <system_error>

class CPortChoice;

// The serial line as the transfer code uses it. A port implements the
// primitives, each reporting its own failure; the members the workers call
// (Open, WriteByte, ReadByte, Write, GetInQueue, ...) are built on them here.
// Those keep the last failure for the user and otherwise carry on, so that a
// dead line reads as silence and the worker decides what the silence means.
// Operations on a closed port do nothing and leave the last failure alone, so
// that the reason an Open failed stays readable afterwards. CSerialPort is
// the real port; tests put their own behind it. One thread at a time.
class ISerialPort {
public:
    virtual ~ISerialPort() = default;

    virtual bool IsOpen() const = 0;

    // -- what the workers call -------------------------------------------------
    // Opens the port's device. Already open: true, and the port keeps its
    // device and baud rate. False when it failed: GetLastError says why.
    bool Open(const CPortChoice& port, int baud);
    bool Close();
    // Always true: a failure goes to GetLastError().
    bool WriteByte(int byte);
    // The next byte received, 0 when none is waiting; bytes from 0x80 up come
    // back negative, as a signed char holds them.
    char ReadByte();
    // Each byte with WriteByte; the number of bytes given, 0 on a closed port.
    int Write(const char* buf, int len);
    int GetInQueue();
    bool FlushInput();
    bool Drain();

    // The last failure since the last Open; empty when there was none.
    [[nodiscard]] std::error_code GetLastError() const { return m_lastError; }
    // The device the port was last opened (or tried) on, for messages.
    const std::string& GetDeviceName() const { return m_strDevice; }

protected:
    // -- the primitives, for the members above ----------------------------------
    // Opens the device at `baud`; only called while closed.
    [[nodiscard]] virtual std::error_code OpenDevice(const std::string& device, int baud) = 0;
    // Closes the device; bytes still queued go out first where they can.
    virtual void CloseDevice() = 0;
    [[nodiscard]] virtual std::error_code PutByte(unsigned char byte) = 0;
    // got is false when no byte was waiting, which is not a failure.
    [[nodiscard]] virtual std::error_code GetByte(unsigned char& byte, bool& got) = 0;
    [[nodiscard]] virtual std::error_code CountInput(int& count) = 0;
    // Throws away whatever has been received and not yet read.
    [[nodiscard]] virtual std::error_code DiscardInput() = 0;
    // Waits until the bytes written so far have left the port, for at most the
    // time they need at the port's baud rate plus a second.
    [[nodiscard]] virtual std::error_code WaitUntilSent() = 0;

private:
    // Keeps a failure; true when there was one.
    bool Fail(std::error_code error);

    std::error_code m_lastError;
    std::string m_strDevice;
};
