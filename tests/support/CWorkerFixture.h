#pragma once

#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "support/CRecordingView.h"
#include "support/CTestConfig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

class CWorkerFixture : public ::testing::Test {
protected:
    void SetUp() override { g_recordList.RemoveAll(); }
    void TearDown() override { g_recordList.RemoveAll(); }

    void Prepare(CRecordingHost& host, ETransferMode nMode, const std::string& device) {
        host.m_pDoc = &m_doc;
        host.m_nMode = nMode;
        host.m_strDevice = device;
        host.m_timing = CTestConfig::Timing();
        host.m_nTotal = 0;
    }

    // Starts the worker as the dialog does and waits for its end.
    static void RunToEnd(CRecordingHost& host, int timeoutMs = 4000) {
        ASSERT_TRUE(host.StartWorker());
        ASSERT_TRUE(host.WaitForEnd(timeoutMs)) << "worker did not end";
    }

    static bool Contains(const std::vector<std::string>& log, const std::string& event) {
        return std::find(log.begin(), log.end(), event) != log.end();
    }

    CQARNCfgDoc m_doc;
};
