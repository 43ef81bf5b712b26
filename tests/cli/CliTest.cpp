#include "Version.h"
#include "tests/support/CTempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <cstdlib>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

struct Result {
    int exitCode = -1;
    std::string out, err;
};

// Runs the built tovrik-cli with 'args', capturing its output.
Result RunCli(const std::vector<std::string>& args) {
    const char* cli = std::getenv("TOVRIK_CLI");
    if (cli == nullptr) {
        cli = TOVRIK_CLI_BUILT;
    }
    CTempDir capture;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (capture.File("out")).c_str(), O_WRONLY | O_CREAT,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, (capture.File("err")).c_str(), O_WRONLY | O_CREAT,
                                     0600);
    std::vector<char*> argv{const_cast<char*>(cli)};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    Result result;
    if (posix_spawn(&pid, cli, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = CTempDir::Read(capture.File("out"));
    result.err = CTempDir::Read(capture.File("err"));
    return result;
}

}  // namespace

TEST(CliConvert, WritesWhatSaveAsWrites) {
    CTempDir dir;
    const Result r = RunCli({TOVRIK_SAMPLE_S19, dir.File("copy.s19")});
    ASSERT_EQ(r.exitCode, 2) << "a file name is not a command";

    const Result ok = RunCli({"convert", TOVRIK_SAMPLE_S19, dir.File("copy.s19")});
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(CTempDir::Read(dir.File("copy.s19")), CTempDir::Read(TOVRIK_SAMPLE_S19));
    EXPECT_EQ(ok.out, std::string("Converted ") + TOVRIK_SAMPLE_S19 + " to " +
                          dir.File("copy.s19") + ": 2457 data records, 196642 bytes.\n");
    EXPECT_EQ(ok.err, "");

    dir.Write("lf.s19", "S70500000000FA\nS9030000FC\nS0AB\nS30600000000AABB");
    const Result lf = RunCli({"convert", dir.File("lf.s19"), dir.File("lf.s19")});
    EXPECT_EQ(lf.exitCode, 0) << lf.err;
    EXPECT_EQ(CTempDir::Read(dir.File("lf.s19")), "S0AB\r\nS30600000000AABB\r\nS70500000000FA\r\n");
    EXPECT_EQ(lf.out.find(": 1 data record, 40 bytes.\n") != std::string::npos, true) << lf.out;
}

TEST(CliConvert, FailuresNameTheFileAndLeaveTheOutputAlone) {
    CTempDir dir;
    dir.Write("out.s19", "old");
    const Result missing = RunCli({"convert", dir.File("gone.s19"), dir.File("out.s19")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err,
              "tovrik-cli: Cannot open " + dir.File("gone.s19") + ": No such file or directory.\n");
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(CTempDir::Read(dir.File("out.s19")), "old");

    const Result unwritable = RunCli({"convert", TOVRIK_SAMPLE_S19, dir.File("no/out.s19")});
    EXPECT_EQ(unwritable.exitCode, 2);
    EXPECT_EQ(unwritable.err, "tovrik-cli: Cannot save " + dir.File("no/out.s19") +
                                  ": No such file or directory.\n");

    const Result dirIn = RunCli({"convert", dir.Path(), dir.File("out.s19")});
    EXPECT_EQ(dirIn.exitCode, 2);
    EXPECT_NE(dirIn.err.find("Is a directory"), std::string::npos) << dirIn.err;
    EXPECT_EQ(CTempDir::Read(dir.File("out.s19")), "old");
}

TEST(Cli, UsageHelpAndVersion) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"convert"}, {"convert", "a.s19"}, {"convert", "a", "b", "c"}}) {
        const Result r = RunCli(args);
        EXPECT_EQ(r.exitCode, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("tovrik-cli"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    const Result help = RunCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* usage : {"convert IN.s19 OUT.s19", "download FILE.s19 [--port P] [--baud B]",
                              "upload OUT.s19 [--port P] [--baud B]"}) {
        EXPECT_NE(help.out.find(usage), std::string::npos) << usage;
    }
    EXPECT_EQ(RunCli({"--version"}).out, "tovrik-cli " TOVRIK_VERSION "\n");
}
