#pragma once

#include <signal.h>
#include <sys/types.h>

#include <string>
#include <vector>

// How a child process differs from the test beyond its arguments and
// environment.
struct CChildSetup {
    // Runs as this user and group, with no supplementary groups (the test must
    // be root); -1 keeps the test's own.
    int nUser = -1;
    int nGroup = -1;
    // Bytes of address space the child may use (RLIMIT_AS); 0 for no limit.
    unsigned long long nAddressSpace = 0;
    std::string strDirectory;       // working directory; "" keeps the test's
    int nInterruptSignal = SIGINT;  // what Run sends once `interruptOn` is seen

    static CChildSetup AsUser(int nUserAndGroup) {
        CChildSetup setup;
        setup.nUser = setup.nGroup = nUserAndGroup;
        return setup;
    }
    static CChildSetup WithAddressSpace(unsigned long long nBytes) {
        CChildSetup setup;
        setup.nAddressSpace = nBytes;
        return setup;
    }
    static CChildSetup In(const std::string& directory) {
        CChildSetup setup;
        setup.strDirectory = directory;
        return setup;
    }
    static CChildSetup Interrupting(int signal) {
        CChildSetup setup;
        setup.nInterruptSignal = signal;
        return setup;
    }
};

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
    // *pErr, or stay as they are when those are null. -1 on failure; a child
    // that cannot be set up as `setup` asks ends with status 126.
    static pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
                       const std::vector<std::string>& env, int* pOut, int* pErr,
                       const CChildSetup& setup = {});

    // Runs `program` to its end and collects what it prints. When `interruptOn`
    // is given, sends the setup's signal (SIGINT) once the program's standard
    // output contains it.
    static Result Run(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& env = {}, const std::string& interruptOn = "",
                      int timeoutMs = 15000, const CChildSetup& setup = {});
    // The same for tovrik-cli.
    static Result RunCli(const std::vector<std::string>& args,
                         const std::vector<std::string>& env = {},
                         const std::string& interruptOn = "", int timeoutMs = 15000,
                         const CChildSetup& setup = {});
    // Waits for a child started by Spawn; its exit status, 128 + the signal
    // that ended it, or -1 when it was still running after `timeoutMs` (it is
    // then killed).
    static int Wait(pid_t pid, int timeoutMs);
};
