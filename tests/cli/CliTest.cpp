#include "res/Version.h"
#include "tests/support/CProcess.h"
#include "tests/support/CTempDir.h"
#include "tests/support/CTestConfig.h"

#include <gtest/gtest.h>

#include <vector>

TEST(CliConvert, WritesWhatSaveAsWrites) {
    CTempDir dir;
    const auto r = CProcess::RunCli({TOVRIK_SAMPLE_S19, dir.File("copy.s19")});
    ASSERT_EQ(r.nStatus, 2) << "a file name is not a command";

    const auto ok = CProcess::RunCli({"convert", TOVRIK_SAMPLE_S19, dir.File("copy.s19")});
    EXPECT_EQ(ok.nStatus, 0) << ok.strErr;
    EXPECT_EQ(CTempDir::Read(dir.File("copy.s19")), CTempDir::Read(TOVRIK_SAMPLE_S19));
    EXPECT_EQ(ok.strOut, std::string("Converted ") + TOVRIK_SAMPLE_S19 + " to " +
                             dir.File("copy.s19") + ": 2457 data records, 196642 bytes.\n");
    EXPECT_EQ(ok.strErr, "");

    dir.Write("lf.s19", "S70500000000FA\nS9030000FC\nS0AB\nS30600000000AABB");
    const auto lf = CProcess::RunCli({"convert", dir.File("lf.s19"), dir.File("lf.s19")});
    EXPECT_EQ(lf.nStatus, 0) << lf.strErr;
    EXPECT_EQ(CTempDir::Read(dir.File("lf.s19")), "S0AB\r\nS30600000000AABB\r\nS70500000000FA\r\n");
    EXPECT_EQ(lf.strOut.find(": 1 data record, 40 bytes.\n") != std::string::npos, true)
        << lf.strOut;
}

TEST(CliConvert, FailuresNameTheFileAndLeaveTheOutputAlone) {
    CTempDir dir;
    dir.Write("out.s19", "old");
    const auto missing = CProcess::RunCli({"convert", dir.File("gone.s19"), dir.File("out.s19")});
    EXPECT_EQ(missing.nStatus, 2);
    EXPECT_EQ(missing.strErr,
              "tovrik-cli: Cannot open " + dir.File("gone.s19") + ": No such file or directory.\n");
    EXPECT_EQ(missing.strOut, "");
    EXPECT_EQ(CTempDir::Read(dir.File("out.s19")), "old");

    const auto unwritable =
        CProcess::RunCli({"convert", TOVRIK_SAMPLE_S19, dir.File("no/out.s19")});
    EXPECT_EQ(unwritable.nStatus, 2);
    EXPECT_EQ(unwritable.strErr, "tovrik-cli: Cannot save " + dir.File("no/out.s19") +
                                     ": No such file or directory.\n");

    const auto dirIn = CProcess::RunCli({"convert", dir.Path(), dir.File("out.s19")});
    EXPECT_EQ(dirIn.nStatus, 2);
    EXPECT_NE(dirIn.strErr.find("Is a directory"), std::string::npos) << dirIn.strErr;
    EXPECT_EQ(CTempDir::Read(dir.File("out.s19")), "old");

    // A line that reads as S7 by its second character is not yet a record.
    const std::string notes =
        dir.Write("notes.txt", "Site 0117: check the pump.\r\nto do:\r\nS7 is the plan\r\n");
    const auto text = CProcess::RunCli({"convert", notes, dir.File("out.s19")});
    EXPECT_EQ(text.nStatus, 2);
    EXPECT_EQ(text.strErr, "tovrik-cli: " + notes + " is not an S-record configuration.\n");
    EXPECT_EQ(CTempDir::Read(dir.File("out.s19")), "old");
}

TEST(CliConvert, ProblemsAreWarningsAndTheFileIsStillConverted) {
    CTempDir dir;
    std::string bad = CTestConfig::DataLine(0);
    bad[12] = bad[12] == '0' ? '1' : '0';
    const std::string good = CTestConfig::DataLine(16);
    const std::string commented = good.substr(0, good.size() - 2) + " ; comment\r\n";
    const std::string in = dir.Write("in.s19", CTestConfig::HeaderLine() + bad + commented);

    const auto r = CProcess::RunCli({"convert", in, dir.File("out.s19")});

    EXPECT_EQ(r.nStatus, 0);
    const std::string warning = "tovrik-cli convert: warning: " + in + ": ";
    EXPECT_EQ(r.strErr, warning + "no S7 line\n" + warning + "line 2: checksum A2, should be 92\n" +
                            warning + "line 3: 10 characters past the byte count\n");
    EXPECT_EQ(CTempDir::Read(dir.File("out.s19")), CTestConfig::HeaderLine() + bad + good)
        << "the records as they are held";
}

TEST(CliVerify, ReportsEachFileAndExitsWithTheWorstFinding) {
    CTempDir dir;
    const std::string small = dir.Write("small.s19", CTestConfig::Joined(CTestConfig::Lines(2)));
    std::string bad = CTestConfig::DataLine(16);
    bad[12] = bad[12] == '0' ? '1' : '0';
    const std::string damaged =
        dir.Write("damaged.s19", CTestConfig::HeaderLine() + CTestConfig::DataLine(0) + bad +
                                     CTestConfig::EndLine());
    const std::string notes = dir.Write("notes.txt", "\r\n");
    const std::string size = std::to_string(CTestConfig::Joined(CTestConfig::Lines(2)).size());

    const auto whole = CProcess::RunCli({"verify", TOVRIK_SAMPLE_S19, small});
    EXPECT_EQ(whole.nStatus, 0) << "warnings leave the status alone";
    EXPECT_EQ(whole.strOut, std::string(TOVRIK_SAMPLE_S19) +
                                ": whole\n"
                                "  Header: QARN-4 CFG V2.14 SITE 0117\n"
                                "  Data records: 2457\n"
                                "  Data bytes: 78624\n"
                                "  Addresses: 00000000 to 0001331F\n"
                                "  Total: 196642 bytes with line ends\n" +
                                small +
                                ": valid, 1 warning\n"
                                "  Header: TEST\n"
                                "  Data records: 2\n"
                                "  Data bytes: 32\n"
                                "  Addresses: 00000000 to 0000001F\n"
                                "  Total: " +
                                size +
                                " bytes with line ends\n"
                                "  warning: " +
                                size + " bytes instead of 196642\n");

    const auto problems = CProcess::RunCli({"verify", small, damaged});
    EXPECT_EQ(problems.nStatus, 1);
    EXPECT_NE(problems.strOut.find(damaged + ": NOT VALID, 1 problem, 1 warning\n"),
              std::string::npos)
        << problems.strOut;
    EXPECT_NE(problems.strOut.find("  problem: line 3: checksum 92, should be A2\n"),
              std::string::npos);

    const auto notAConfiguration = CProcess::RunCli({"verify", small, damaged, notes});
    EXPECT_EQ(notAConfiguration.nStatus, 2) << "not a configuration at all";
    EXPECT_NE(notAConfiguration.strOut.find(notes + ": not an S-record configuration\n"),
              std::string::npos);

    const auto unreadable = CProcess::RunCli({"verify", damaged, dir.File("gone.s19")});
    EXPECT_EQ(unreadable.nStatus, 2);
    EXPECT_EQ(unreadable.strErr, "tovrik-cli verify: Cannot open " + dir.File("gone.s19") +
                                     ": No such file or directory.\n");
    EXPECT_EQ(CProcess::RunCli({"verify"}).nStatus, 2);
}

TEST(Cli, UsageHelpAndVersion) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"convert"}, {"convert", "a.s19"}, {"convert", "a", "b", "c"}}) {
        const auto r = CProcess::RunCli(args);
        EXPECT_EQ(r.nStatus, 2) << testing::PrintToString(args);
        EXPECT_NE(r.strErr.find("tovrik-cli"), std::string::npos);
        EXPECT_EQ(r.strOut, "");
    }
    const auto help = CProcess::RunCli({"--help"});
    EXPECT_EQ(help.nStatus, 0);
    for (const char* usage : {"convert IN.s19 OUT.s19", "download FILE.s19 [--port P] [--baud B]",
                              "upload OUT.s19 [--port P] [--baud B]", "verify FILE.s19..."}) {
        EXPECT_NE(help.strOut.find(usage), std::string::npos) << usage;
    }
    EXPECT_NE(help.strOut.find("143 by SIGTERM"), std::string::npos);
    std::istringstream lines(help.strOut);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LT(line.size(), 80u) << line;
    }
    EXPECT_EQ(CProcess::RunCli({"--version"}).strOut, "tovrik-cli " TOVRIK_VERSION "\n");
}

// Every subcommand reads its arguments alike: an argument that starts with a
// dash is an option until "--", and everything after "--" is a file name.
TEST(Cli, DoubleDashEndsTheOptionsOfEverySubcommand) {
    CTempDir dir;
    const std::string config = "S0030000FC\r\nS30700000000AABBCC\r\nS70500000000FA\r\n";
    dir.Write("-in.s19", config);
    const CChildSetup inDir = CChildSetup::In(dir.Path());
    const std::string noPort = "/nonexistent/ttyQARN";
    const std::string portRefused = "Cannot open port " + noPort +
                                    ": No such file or directory.\n"
                                    "There is no such device: check the port setting.\n";
    struct Case {
        std::vector<std::string> args;
        int nStatus;
        std::string strOut;
        std::string strErrStart;
    };
    const Case cases[] = {
        {{"convert", "--", "-in.s19", "-out.s19"},
         0,
         "Converted -in.s19 to -out.s19: 1 data record, " + std::to_string(config.size()) +
             " bytes.\n",
         ""},
        {{"convert", "-in.s19", "out.s19"},
         2,
         "",
         "tovrik-cli convert: unknown option '-in.s19'\n"},
        {{"download", "-in.s19"}, 2, "", "tovrik-cli download: unknown option '-in.s19'\n"},
        {{"upload", "-up.s19"}, 2, "", "tovrik-cli upload: unknown option '-up.s19'\n"},
        {{"download", "--force", "--port", noPort, "--", "-in.s19"}, 1, portRefused, ""},
        {{"upload", "--port=" + noPort, "--", "-up.s19"}, 1, portRefused, ""},
        {{"download", "--", "-in.s19", "--port", noPort},
         2,
         "",
         "tovrik-cli download: unexpected argument '--port'\n"},
    };
    for (const Case& c : cases) {
        const auto r = CProcess::RunCli(c.args, {}, "", 15000, inDir);
        EXPECT_EQ(r.nStatus, c.nStatus) << testing::PrintToString(c.args) << r.strErr;
        EXPECT_EQ(r.strOut, c.strOut) << testing::PrintToString(c.args);
        EXPECT_TRUE(r.strErr.starts_with(c.strErrStart)) << r.strErr;
    }
    EXPECT_EQ(CTempDir::Read(dir.File("-out.s19")), config);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"-in.s19", "-out.s19"}));
}
