#pragma once

// Every pause of the device protocol, in milliseconds. The defaults are the
// device's own pacing; only tests shorten them.
struct CTransferTiming {
    // download
    int nWakeupPauseMs = 200;       // after each "\r\n" of the wake-up
    int nCommandPauseMs = 1000;     // after "#CU"
    int nLinePauseMs = 20;          // after each S3 line
    int nPowerCyclePauseMs = 5000;  // before "Power cycle QARN."
    // upload
    int nOpenPauseMs = 1000;        // after opening the port
    int nRequestPauseMs = 200;      // after each "\r\n" and after "#CD"
    int nInLineIdleMs = 1000;       // after an empty poll within a line
    int nBetweenLinesIdleMs = 200;  // after an empty poll between lines
};
