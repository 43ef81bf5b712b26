#pragma once

#include <string>

// The command line of qarn-sim.
class CSimOptions {
public:
    // What is wrong with the command line; empty when nothing is.
    [[nodiscard]] std::string Parse(int argc, char** argv);
    static std::string Usage();

    bool m_bHelp = false;
    std::string m_strLink;
    std::string m_strConfig;
    std::string m_strReceived;
    std::string m_strLog;
    int m_nBaud = 9600;         // 0: send as fast as the line takes it
    long m_nSilenceAfter = -1;  // -1: never
    long m_nHangupAfter = -1;   // -1: never
    bool m_bNoise = false;
    bool m_bNoiseInside = false;
    bool m_bEcho = false;
    bool m_bGarbage = false;
    long m_nFlood = 0;             // printable bytes without a line feed before each answer
    long m_nStale = 0;             // bytes of an earlier answer waiting before each request
    long m_nBitflip = 0;           // the line (from 1) with one hex digit changed; 0: none
    long m_nDropLine = 0;          // the line (from 1) never sent; 0: none
    long m_nRepeatLine = 0;        // the line (from 1) sent twice; 0: none
    long m_nExtraText = 0;         // the line (from 1) sent with a comment before its line end
    long m_nEndAfter = 0;          // the S7 line follows this many lines; 0: all of them
    bool m_bLogLines = false;      // answer with time-stamped text lines
    bool m_bEndless = false;       // data lines forever, never an S7 line
    bool m_bKeepReceived = false;  // answer with the last download that reached its S7 line
    long m_nStoreBitflip = 0;      // the kept line (from 1) with one hex digit changed; 0: none
};
