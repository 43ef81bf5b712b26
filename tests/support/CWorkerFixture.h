#pragma once

#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "tests/support/CRecordingView.h"
#include "tests/support/CTestConfig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

class CWorkerFixture : public ::testing::Test {
protected:
    void SetUp() override { g_recordList.RemoveAll(); }
    void TearDown() override { g_recordList.RemoveAll(); }

    // The transfer the host starts next: its direction and its device, with
    // the tests' short pauses.
    static void Prepare(CRecordingHost& host, ETransferMode eMode, const std::string& device) {
        host.m_request.eMode = eMode;
        host.m_request.port = CPortChoice::Device(device);
    }

    // Starts the worker as the dialog does and waits for its end.
    void RunToEnd(CRecordingHost& host, int timeoutMs = 4000) {
        ASSERT_TRUE(host.RunToEnd(m_doc, timeoutMs)) << "worker did not end";
    }

    static bool Contains(const std::vector<std::string>& log, const std::string& event) {
        return std::find(log.begin(), log.end(), event) != log.end();
    }

    CQARNCfgDoc m_doc;
};
