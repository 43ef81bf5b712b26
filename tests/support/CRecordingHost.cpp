#include "support/CRecordingView.h"

#include "support/CTestConfig.h"

#include <chrono>

CRecordingHost::CRecordingHost(ISerialPort& port)
    : CTransferSession(static_cast<CRecordingView&>(*this), port) {
    m_request.strTitle = "Tovrik - QARN Data Backup/Restore";
    m_request.timing = CTestConfig::Timing();
}

CRecordingHost::~CRecordingHost() {
    RequestAbort();
    EndSession();
}

bool CRecordingHost::RunToEnd(CQARNCfgDoc& doc, int timeoutMs) {
    return Start(doc) && WaitForEnd(std::chrono::milliseconds(timeoutMs));
}
