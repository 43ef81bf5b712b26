#pragma once

#include "core/serial/CSerialPort.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

// A serial port with a gate in the worker's path: after the n-th byte written,
// byte received or line received, the worker stops until Release(), so that
// Cancel lands exactly in that phase. It gives up after five seconds, so that
// a test that never releases it fails instead of hanging.
class CGatedPort : public CSerialPort {
public:
    enum class EGate { None, SentByte, ReceivedByte, ReceivedLine };

    void HoldAt(EGate gate, int n) {
        m_gate = gate;
        m_nHoldAt = n;
    }
    bool IsHeld() const { return m_bHeld; }
    void Release() {
        const std::lock_guard lock(m_mutex);
        m_bReleased = true;
        m_released.notify_all();
    }

protected:
    std::error_code PutByte(unsigned char byte) override {
        const std::error_code error = CSerialPort::PutByte(byte);
        Pass(EGate::SentByte);
        return error;
    }
    std::error_code GetByte(unsigned char& byte, bool& got) override {
        const std::error_code error = CSerialPort::GetByte(byte, got);
        if (got) {
            Pass(EGate::ReceivedByte);
            if (byte == '\n') {
                Pass(EGate::ReceivedLine);
            }
        }
        return error;
    }

private:
    // Worker thread.
    void Pass(EGate gate) {
        if (gate != m_gate || ++m_nPassed[static_cast<int>(gate)] != m_nHoldAt) {
            return;
        }
        std::unique_lock lock(m_mutex);
        m_bHeld = true;
        m_released.wait_for(lock, std::chrono::seconds(5), [this] { return m_bReleased; });
    }

    EGate m_gate = EGate::None;
    int m_nHoldAt = 0;
    int m_nPassed[4] = {};  // worker thread only
    std::atomic<bool> m_bHeld{false};
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_bReleased = false;
};
