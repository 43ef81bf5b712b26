#pragma once

// The upload worker: asks the device for its configuration and builds the
// document's records from its answer. pParam is the CTransferSession of the
// transfer. Always returns 0.
unsigned UploadThreadProc(void* pParam);
