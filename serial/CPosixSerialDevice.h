#pragma once

#include <string>

// The POSIX side of a serial port: one terminal device opened exclusively,
// non-blocking, in raw 8N1 mode. Every operation returns 0 on success or the
// errno value of the failure; nothing here records or reports errors.
class CPosixSerialDevice {
public:
    CPosixSerialDevice() = default;
    ~CPosixSerialDevice();
    CPosixSerialDevice(const CPosixSerialDevice&) = delete;
    CPosixSerialDevice& operator=(const CPosixSerialDevice&) = delete;

    int Open(const std::string& path, int baud);
    // Discards unsent output, gives up the exclusive claim and closes.
    // Drops bytes still queued when discardUnsent is set, so that close() does
    // not wait out the driver's closing time on a stalled line.
    void Close(bool discardUnsent);
    bool IsOpen() const { return m_nFd >= 0; }

    // Waits up to `timeoutMs` for room when the driver's queue is full.
    int WriteByte(unsigned char byte, int timeoutMs);
    // *pGot is false when no byte was waiting (not a failure).
    int ReadByte(unsigned char* pByte, bool* pGot);
    int InQueue(int* pCount);
    int OutQueue(int* pCount);

private:
    int ApplyLineSettings(int baud);

    int m_nFd = -1;
    bool m_bExclusive = false;
};
