#include "platform/common/CSerialDevice.h"

#include <windows.h>

#include <cwctype>

#include "Win32Error.h"
#include "platform/common/Win32Text.h"

namespace {

constexpr DWORD kQueueBytes = 10000;          // driver input and output queues
constexpr DWORD kWriteTotalTimeoutMs = 5000;  // the driver's limit on one write
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

// Reads return at once with what is waiting, possibly nothing; a write may
// take the driver up to five seconds.
COMMTIMEOUTS TransferTimeouts() {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kWriteTotalTimeoutMs;
    return timeouts;
}

// Why CreateFile refused a port, in the terms the POSIX side uses. Windows
// says "access denied" for a port another program holds.
std::error_code OpenError(DWORD code) {
    switch (code) {
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return Win32Error::Of(std::errc::device_or_resource_busy);
        default:
            return Win32Error::FromCode(code);
    }
}

// The driver's queues; clears the line errors, which are not reported.
std::error_code QueueStatus(HANDLE hComm, COMSTAT& status) {
    DWORD errors = 0;
    status = COMSTAT{};
    return ClearCommError(hComm, &errors, &status) ? std::error_code() : Win32Error::Last();
}

// A name for the claim on a device, the same for every spelling of its path
// that differs only in case. Kernel object names take no backslash.
std::wstring ClaimName(const std::wstring& device) {
    std::wstring name = L"Local\\Tovrik.SerialPort.";
    for (wchar_t c : device) {
        name += c == L'\\' ? L'/' : static_cast<wchar_t>(towupper(c));
    }
    return name;
}

}  // namespace

struct CSerialDevice::Impl {
    // One direction of overlapped I/O: its record, its completion event and
    // the byte it moves. The byte lives here, not on a caller's stack, and a
    // pending operation is cancelled and waited for before either is reused,
    // so a late completion never lands in storage that is gone or in use.
    struct Direction {
        OVERLAPPED os{};
        unsigned char byte = 0;
    };

    std::error_code ApplyLineSettings(int baud);
    // Issues a one-byte ReadFile or WriteFile and waits up to timeoutMs for it.
    std::error_code Transfer(Direction& d, bool bWrite, DWORD timeoutMs, DWORD& moved);
    void Release();
    // The number of bytes in one of the driver's queues.
    std::error_code QueueCount(DWORD COMSTAT::*queue, int& count) {
        count = 0;
        if (hComm == INVALID_HANDLE_VALUE) {
            return Win32Error::Of(std::errc::bad_file_descriptor);
        }
        COMSTAT status{};
        const std::error_code err = QueueStatus(hComm, status);
        count = static_cast<int>(status.*queue);
        return err;
    }

    HANDLE hComm = INVALID_HANDLE_VALUE;
    // Held while the port is open. The driver of a real port admits one
    // opener only, but not every driver does (Wine's does not): the claim
    // keeps out at least every other Tovrik, as flock() does on Linux.
    HANDLE hClaim = nullptr;
    Direction read;
    Direction write;
    DCB dcbFound{};
    COMMTIMEOUTS timeoutsFound{};
    bool bFound = false;
};

// Windows has no system console on a serial port to refuse.
CSerialDevice::CSerialDevice(const CSystemPaths& /*paths*/) : m_pImpl(std::make_unique<Impl>()) {}

CSerialDevice::~CSerialDevice() {
    Close(true);
}

std::string CSerialDevice::DefaultPath(int port) {
    // The device namespace form works for every port number; "COM10" and up
    // are not found without it.
    return port < 1 ? std::string() : "\\\\.\\COM" + std::to_string(port);
}

std::string CSerialDevice::ExamplePath() {
    return "\\\\.\\COM5";
}

bool CSerialDevice::IsOpen() const {
    return m_pImpl->hComm != INVALID_HANDLE_VALUE;
}

std::error_code CSerialDevice::Open(const std::string& path, int baud) {
    Impl& d = *m_pImpl;
    if (IsOpen()) {
        return {};
    }
    const std::wstring name = Win32Text::Widen(path);
    if (name.empty()) {
        return Win32Error::Of(std::errc::no_such_file_or_directory);
    }
    d.hClaim = CreateMutexW(nullptr, FALSE, ClaimName(name).c_str());
    if (d.hClaim == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
        const std::error_code busy = d.hClaim == nullptr
                                         ? Win32Error::Last()
                                         : Win32Error::Of(std::errc::device_or_resource_busy);
        if (d.hClaim != nullptr) {
            CloseHandle(d.hClaim);
            d.hClaim = nullptr;
        }
        return busy;
    }
    // Exclusive (share mode 0), for overlapped I/O.
    d.hComm = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (d.hComm == INVALID_HANDLE_VALUE) {
        const std::error_code err = OpenError(GetLastError());
        CloseHandle(d.hClaim);
        d.hClaim = nullptr;
        return err;
    }
    std::error_code err;
    d.dcbFound.DCBlength = sizeof(DCB);
    if (GetFileType(d.hComm) != FILE_TYPE_CHAR || !GetCommState(d.hComm, &d.dcbFound) ||
        !GetCommTimeouts(d.hComm, &d.timeoutsFound)) {
        err = Win32Error::Of(std::errc::inappropriate_io_control_operation);
    } else {
        d.bFound = true;
        err = d.ApplyLineSettings(baud);
    }
    if (err) {
        Close(true);
        return err;
    }
    return {};
}

std::error_code CSerialDevice::Impl::ApplyLineSettings(int baud) {
    if (baud <= 0) {
        return Win32Error::Of(std::errc::invalid_argument);
    }
    // Whatever another program left queued or half-done is not ours.
    PurgeComm(hComm, kPurgeAll);
    ClearCommBreak(hComm);
    COMMTIMEOUTS timeouts = TransferTimeouts();
    if (!SetCommTimeouts(hComm, &timeouts)) {
        return Win32Error::Last();
    }
    for (Direction* pDir : {&read, &write}) {
        pDir->os = OVERLAPPED{};
        // Manual reset, not signalled: each ReadFile or WriteFile resets it.
        pDir->os.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (pDir->os.hEvent == nullptr) {
            return Win32Error::Last();
        }
    }
    // 8 data bits, no parity, 1 stop bit at the rate asked for; flow control
    // and the rest stay as the port had them.
    DCB dcb = dcbFound;
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.fParity = TRUE;  // with no parity bit there is nothing to check
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;  // the only mode Windows supports
    if (!SetCommState(hComm, &dcb)) {
        const DWORD code = GetLastError();
        // A driver that cannot make the rate refuses the parameter.
        return code == ERROR_INVALID_PARAMETER ? Win32Error::Of(std::errc::invalid_argument)
                                               : Win32Error::FromCode(code);
    }
    DCB got{};
    got.DCBlength = sizeof(DCB);
    if (GetCommState(hComm, &got) && got.BaudRate != dcb.BaudRate) {
        return Win32Error::Of(std::errc::invalid_argument);
    }
    if (!SetupComm(hComm, kQueueBytes, kQueueBytes)) {
        return Win32Error::Last();
    }
    return {};
}

void CSerialDevice::Close(bool discardUnsent) {
    Impl& d = *m_pImpl;
    if (!IsOpen()) {
        return;
    }
    if (discardUnsent) {
        PurgeComm(d.hComm, PURGE_TXABORT | PURGE_TXCLEAR);
    }
    d.Release();
}

void CSerialDevice::Impl::Release() {
    // Every operation has been cancelled and waited for when it timed out, so
    // none is pending here; the port gets back the settings it came with.
    if (bFound) {
        SetCommState(hComm, &dcbFound);
        SetCommTimeouts(hComm, &timeoutsFound);
        bFound = false;
    }
    for (Direction* pDir : {&read, &write}) {
        if (pDir->os.hEvent != nullptr) {
            CloseHandle(pDir->os.hEvent);
            pDir->os.hEvent = nullptr;
        }
    }
    CloseHandle(hComm);
    hComm = INVALID_HANDLE_VALUE;
    CloseHandle(hClaim);
    hClaim = nullptr;
}

std::error_code CSerialDevice::Impl::Transfer(Direction& d, bool bWrite, DWORD timeoutMs,
                                              DWORD& moved) {
    moved = 0;
    const BOOL done = bWrite ? WriteFile(hComm, &d.byte, 1, &moved, &d.os)
                             : ReadFile(hComm, &d.byte, 1, &moved, &d.os);
    if (done) {
        return {};
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        return Win32Error::Last();
    }
    if (WaitForSingleObject(d.os.hEvent, timeoutMs) == WAIT_OBJECT_0) {
        return GetOverlappedResult(hComm, &d.os, &moved, FALSE) ? std::error_code()
                                                                : Win32Error::Last();
    }
    // Not finished in time: cancel it and wait until the system has let go of
    // the byte and the record. It may still have finished meanwhile.
    CancelIoEx(hComm, &d.os);
    if (GetOverlappedResult(hComm, &d.os, &moved, TRUE) && moved == 1) {
        return {};
    }
    moved = 0;
    return Win32Error::Of(std::errc::timed_out);
}

std::error_code CSerialDevice::WriteByte(unsigned char byte, int timeoutMs) {
    Impl& d = *m_pImpl;
    if (!IsOpen()) {
        return Win32Error::Of(std::errc::bad_file_descriptor);
    }
    d.write.byte = byte;
    DWORD moved = 0;
    const std::error_code err =
        d.Transfer(d.write, true, static_cast<DWORD>(timeoutMs < 0 ? 0 : timeoutMs), moved);
    if (err) {
        return err;
    }
    // The driver's own write limit ran out with the byte unsent.
    return moved == 1 ? std::error_code() : Win32Error::Of(std::errc::timed_out);
}

std::error_code CSerialDevice::ReadByte(unsigned char& byte, bool& got) {
    Impl& d = *m_pImpl;
    got = false;
    if (!IsOpen()) {
        return Win32Error::Of(std::errc::bad_file_descriptor);
    }
    // The time-outs make a read return at once, but a driver may still hold
    // a read of an empty queue pending (Wine's does, for the whole wait). So
    // a read waits its second only for a byte that is there; otherwise it is
    // cancelled at once. It is still issued: a dropped line fails it.
    constexpr DWORD kReadWaitMs = 1000;
    COMSTAT status{};
    const bool waiting = !QueueStatus(d.hComm, status) && status.cbInQue > 0;
    DWORD moved = 0;
    const std::error_code err = d.Transfer(d.read, false, waiting ? kReadWaitMs : 0, moved);
    if (err) {
        // A read that found nothing in time is no failure: nothing was waiting.
        return err == std::errc::timed_out ? std::error_code() : err;
    }
    got = moved == 1;
    byte = d.read.byte;
    return {};
}

std::error_code CSerialDevice::InQueue(int& count) {
    return m_pImpl->QueueCount(&COMSTAT::cbInQue, count);
}

std::error_code CSerialDevice::FlushInput() {
    if (m_pImpl->hComm == INVALID_HANDLE_VALUE) {
        return Win32Error::Of(std::errc::bad_file_descriptor);
    }
    // No read is pending here: every read has ended or been cancelled before
    // ReadByte returned.
    return PurgeComm(m_pImpl->hComm, PURGE_RXCLEAR) ? std::error_code() : Win32Error::Last();
}

std::error_code CSerialDevice::OutQueue(int& count) {
    return m_pImpl->QueueCount(&COMSTAT::cbOutQue, count);
}
