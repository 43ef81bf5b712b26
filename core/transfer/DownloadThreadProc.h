#pragma once

class CTransferSession;

// The download worker: sends the configuration held in memory to the device.
// Always returns 0.
unsigned DownloadThreadProc(CTransferSession& session);
