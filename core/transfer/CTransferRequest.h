#pragma once

#include "core/data/CQARNCfgDoc.h"
#include "core/serial/CPortChoice.h"
#include "core/transfer/CTransferTiming.h"

#include <string>

// What a front end asks of one transfer: its direction, the port and baud
// rate, the caption the dialog had before it (which the worker puts back),
// and the protocol's pauses.
struct CTransferRequest {
    ETransferMode eMode = ETransferMode::Download;
    CPortChoice port;
    int nBaudRate = 9600;
    std::string strTitle;
    CTransferTiming timing;
    // Compare with Device: an upload, finished or not, never replaces the
    // configuration in memory, which comes back exactly as it was; what was
    // received stays aside in the session's Received().
    bool bKeepDocument = false;
};
