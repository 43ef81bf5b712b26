#pragma once

class CTransferSession;

// The upload worker: asks the device for its configuration and builds the
// document's records from its answer. Always returns 0.
unsigned UploadThreadProc(CTransferSession& session);
