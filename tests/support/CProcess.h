#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Runs the programs under test as child processes: tovrik-cli (named by the
// environment variable TOVRIK_CLI), qarn-sim (QARN_SIM, through CSimProcess)
// or any other.
class CProcess {
public:
    struct Result {
        int nStatus = -1;  // exit status; 128 + signal when killed; -1 on time-out
        std::string strOut;
        std::string strErr;
    };

    // The program named by the environment variable, or "" when it is not set.
    static std::string CliProgram();

    // Starts `program` with `args`. `env` entries "NAME=value" are set and
    // entries "NAME" removed in the child's environment. The child's standard
    // output and error go to pipes whose reading ends are returned in *pOut and
    // *pErr, or stay as they are when those are null. -1 on failure.
    static pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
                       const std::vector<std::string>& env, int* pOut, int* pErr);

    // Runs `program` to its end and collects what it prints. When `interruptOn`
    // is given, sends SIGINT once the program's standard output contains it.
    static Result Run(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& env = {}, const std::string& interruptOn = "",
                      int timeoutMs = 15000);
    // The same for tovrik-cli.
    static Result RunCli(const std::vector<std::string>& args,
                         const std::vector<std::string>& env = {},
                         const std::string& interruptOn = "", int timeoutMs = 15000);
};
