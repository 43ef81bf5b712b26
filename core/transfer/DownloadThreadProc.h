#pragma once

// The download worker: sends the configuration held in memory to the device.
// pParam is the CTransferSession of the transfer. Always returns 0.
unsigned DownloadThreadProc(void* pParam);
