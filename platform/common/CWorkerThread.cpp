#include "platform/common/CWorkerThread.h"

CWorkerThread::~CWorkerThread() {
    Join();
}

void CWorkerThread::Join() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) {
        m_thread.join();
    }
}
