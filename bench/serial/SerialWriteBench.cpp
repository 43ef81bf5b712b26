// Writing a full configuration image one byte at a time, as the download does,
// into a pseudo-terminal whose device side takes every byte as it comes;
// against a bare write(2) loop of single bytes over the same kind of line.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include "serial/CPortChoice.h"
#include "serial/CSerialPort.h"
#include "support/CPtyDevice.h"

namespace {

constexpr int kImageBytes = 196642;

void BM_SerialPortWriteByte(benchmark::State& state) {
    CPtyDevice pty;
    CSerialPort port;
    if (!pty.Ok() || !port.Open(CPortChoice::Device(pty.Path()), 115200)) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    pty.CloseSlave();
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
    CPtyDevice pty;
    if (!pty.Ok()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
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
