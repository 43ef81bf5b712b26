#include "core/serial/ISerialPort.h"

#include "core/serial/CPortChoice.h"

bool ISerialPort::Fail(std::error_code error) {
    if (error) {
        m_lastError = error;
    }
    return static_cast<bool>(error);
}

bool ISerialPort::Open(const CPortChoice& port, int baud) {
    if (IsOpen()) {
        return true;
    }
    m_strDevice = port.DevicePath();
    m_lastError.clear();
    return !Fail(OpenDevice(m_strDevice, baud));
}

bool ISerialPort::Close() {
    if (IsOpen()) {
        CloseDevice();
    }
    return true;
}

bool ISerialPort::WriteByte(int byte) {
    if (IsOpen()) {
        Fail(PutByte(static_cast<unsigned char>(byte & 0xFF)));
    }
    return true;
}

char ISerialPort::ReadByte() {
    if (!IsOpen()) {
        return 0;
    }
    unsigned char byte = 0;
    bool got = false;
    if (Fail(GetByte(byte, got)) || !got) {
        return 0;
    }
    return static_cast<char>(static_cast<signed char>(byte));
}

int ISerialPort::Write(const char* buf, int len) {
    if (!IsOpen() || buf == nullptr || len <= 0) {
        return 0;
    }
    for (int i = 0; i < len; ++i) {
        WriteByte(static_cast<unsigned char>(buf[i]));
    }
    return len;
}

int ISerialPort::GetInQueue() {
    int count = 0;
    if (!IsOpen() || Fail(CountInput(count))) {
        return 0;
    }
    return count;
}

bool ISerialPort::FlushInput() {
    return IsOpen() && !Fail(DiscardInput());
}

bool ISerialPort::Drain() {
    return IsOpen() && !Fail(WaitUntilSent());
}
