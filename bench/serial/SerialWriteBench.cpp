// Writing a full configuration image one byte at a time, as the download does,
// into a pseudo-terminal that a reader thread drains; against a bare write(2)
// loop of single bytes over the same kind of line.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "serial/CSerialPort.h"
#include "support/CPtyPair.h"

namespace {

constexpr int kImageBytes = 196642;

// Reads and discards everything that arrives at the device side.
class CDrainThread {
public:
    explicit CDrainThread(int fd) : m_thread([this, fd] { Run(fd); }) {}
    ~CDrainThread() {
        m_bStop = true;
        m_thread.join();
    }

private:
    void Run(int fd) {
        char buf[65536];
        while (!m_bStop) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) > 0) {
                while (read(fd, buf, sizeof buf) > 0) {
                }
            }
        }
    }

    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

void BM_SerialPortWriteByte(benchmark::State& state) {
    CPtyPair pty;
    CSerialPort port;
    if (!pty.Ok() || !port.OpenDevice(pty.SlavePath(), 115200)) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    pty.CloseSlave();
    CDrainThread drain(pty.MasterFd());
    for (auto _ : state) {
        for (int i = 0; i < kImageBytes; ++i) {
            port.WriteByte('0' + (i & 15));
        }
    }
    if (port.GetLastError().value() != 0) {
        state.SkipWithError(port.GetLastError().message().c_str());
    }
    state.SetItemsProcessed(state.iterations() * kImageBytes);
}

void BM_BareWriteLoop(benchmark::State& state) {
    CPtyPair pty;
    if (!pty.Ok()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    CDrainThread drain(pty.MasterFd());
    const int fd = pty.SlaveFd();
    for (auto _ : state) {
        for (int i = 0; i < kImageBytes; ++i) {
            char c = static_cast<char>('0' + (i & 15));
            if (write(fd, &c, 1) != 1) {
                state.SkipWithError("write failed");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kImageBytes);
}

}  // namespace

BENCHMARK(BM_SerialPortWriteByte)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareWriteLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
