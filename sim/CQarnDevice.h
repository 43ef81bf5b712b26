#pragma once

#include <string>
#include <vector>

#include "sim/CConfigImage.h"
#include "sim/CPseudoTerminal.h"
#include "sim/CSimLog.h"
#include "sim/CSimOptions.h"

// The simulated QARN device on the master end of a pseudo-terminal. It reads
// lines ending in LF; "#CD" makes it send its configuration, "#CU" makes it
// take the following lines up to the S7 line and save them (and, with
// --keep-received, send them in answer from then on). Anything else
// (the CR LF wake-ups among them) is ignored. Any byte from the client cuts an
// answer short, as does a client that stops reading for a second.
class CQarnDevice {
public:
    CQarnDevice(const CSimOptions& options, const CConfigImage& config, CPseudoTerminal& terminal,
                CSimLog& log);

    // Serves requests until a stop signal or a simulated hang-up; the exit code.
    int Run();

private:
    enum class Mode { Command, Receiving };

    bool ReadInput();
    void HandleInput();
    void OnLine(const std::string& line);
    void Answer(const std::string& request);
    // The lines of an answer, with the faults that change them played.
    std::vector<std::string> AnswerLines() const;
    // --endless: the data lines again and again until the client goes away.
    void AnswerEndlessly(const std::vector<std::string>& lines);
    // --stale: the tail of the configuration, as an earlier answer's would arrive.
    void SendStaleTail();
    bool Transmit(const std::string& bytes);
    bool InputWaiting();
    void SaveReceived();
    // --keep-received: the download just ended becomes what "#CD" sends.
    void KeepReceived();
    // The lines the device holds: the last download kept, or --config.
    const std::vector<std::string>& HeldLines() const;
    // Drops the line and ends the simulator.
    void HangUp(const std::string& why);
    // The bytes a line set to another baud rate would deliver for `bytes`.
    std::string Garbled(const std::string& bytes);

    const CSimOptions& m_options;
    const CConfigImage& m_config;
    CPseudoTerminal& m_terminal;
    CSimLog& m_log;

    Mode m_mode = Mode::Command;
    std::string m_strInput;           // read from the line, not yet handled
    std::string m_strLine;            // the line being assembled
    std::string m_strReceived;        // the download so far
    std::vector<std::string> m_kept;  // --keep-received: the last download
    bool m_bKept = false;
    bool m_bHungUp = false;
    bool m_bStaleSent = false;               // this request has had its stale bytes
    unsigned m_nGarbageState = 0x2545F491u;  // a fixed seed: every run garbles alike
};
