#pragma once

#include "core/serial/CSerialPort.h"
#include "tests/support/CAddressSpace.h"
#include "tests/support/CSimProcess.h"
#include "tests/support/CTempDir.h"
#include "tests/support/CWorkerFixture.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// An upload by the real worker, through a recording host and a real serial
// port, from qarn-sim on a pseudo-terminal. The document holds an older
// configuration first, which must come back whenever the upload gives nothing
// in its place.
class CSimUploadFixture : public CWorkerFixture {
protected:
    void SetUp() override {
        if (CSimProcess::ProgramPath().empty()) {
            GTEST_SKIP() << "QARN_SIM not set: qarn-sim not built";
        }
        CWorkerFixture::SetUp();
        CTestConfig::Load(m_doc, {CTestConfig::HeaderLine("OLD"), CTestConfig::DataLine(0x8000),
                                  CTestConfig::DataLine(0x8010), CTestConfig::EndLine()});
        m_before = CTestConfig::InMemory(m_doc);
        m_lines = CTestConfig::Lines(4);
        m_config = CTestConfig::Joined(m_lines);
        m_configPath = m_dir.Write("device.s19", m_config);
    }

    // Starts qarn-sim unpaced with `extra` options and uploads from it: the
    // small configuration m_config, or the whole sample when bWhole. The time
    // the whole upload took, in milliseconds.
    long long Upload(const std::vector<std::string>& extra, bool bWhole = false) {
        std::vector<std::string> args{"--config", bWhole ? TOVRIK_SAMPLE_S19 : m_configPath,
                                      "--baud", "0"};
        args.insert(args.end(), extra.begin(), extra.end());
        m_sim = std::make_unique<CSimProcess>(args);
        if (!m_sim->Start()) {
            ADD_FAILURE() << m_sim->Error();
            return -1;
        }
        Prepare(m_host, ETransferMode::Upload, m_sim->DevicePath());
        if (bWhole) {
            // The device's own wait for the answer; a simulator built with a
            // sanitizer, on a loaded machine, takes longer to make a whole one.
            m_host.m_request.timing.nRequestPauseMs = CAddressSpace::ReservingSanitizer() != nullptr
                                                          ? 1000
                                                          : CTransferTiming().nRequestPauseMs;
        }
        const auto start = std::chrono::steady_clock::now();
        // A whole configuration goes byte by byte: time enough under a sanitizer.
        RunToEnd(m_host, 60000);
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start)
            .count();
    }

    // The length of the first `n` lines of the device's configuration.
    std::size_t Prefix(std::size_t n) const {
        return CTestConfig::Joined(
                   {m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(n)})
            .size();
    }

    CTempDir m_dir;
    std::string m_before;
    std::vector<std::string> m_lines;
    std::string m_config;
    std::string m_configPath;
    CSerialPort m_port;
    CRecordingHost m_host{m_port};
    std::unique_ptr<CSimProcess> m_sim;
};
