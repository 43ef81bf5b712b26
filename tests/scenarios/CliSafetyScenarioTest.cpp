// tovrik-cli run as root, as another user, by a script that stops it and with
// too little memory: it replaces only regular files and keeps their owner, a
// save stopped by a signal leaves the old file and no temporary file, a
// transfer stopped by SIGTERM or SIGHUP leaves the port free and as it was,
// and a profile that is not a file is ignored.
#include "tests/support/CAddressSpace.h"
#include "tests/support/CFileDescriptor.h"
#include "tests/support/CProcess.h"
#include "tests/support/CSimProcess.h"
#include "tests/support/CTempDir.h"
#include "tests/support/CTestConfig.h"
#include "tests/support/CWait.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kNobody = 65534;  // a user and group that own nothing of the test's
const std::string kOld = "S0030000FC\r\nold\r\n";
constexpr unsigned long long kMiB = 1024ULL * 1024;

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st;
}

}  // namespace

class CliSafetyScenario : public ::testing::Test {
protected:
    void SetUp() override {
        if (CProcess::CliProgram().empty() || CSimProcess::ProgramPath().empty()) {
            GTEST_SKIP() << "TOVRIK_CLI or QARN_SIM not set: tovrik-cli or qarn-sim not built";
        }
        m_config = CTestConfig::Joined(CTestConfig::Lines(4));
        m_in = m_dir.Write("in.s19", m_config);
    }

    // A user other than root may use the test's folder and read its input.
    void OpenToEveryone() {
        ASSERT_EQ(chmod(m_dir.Path().c_str(), 0777), 0);
        ASSERT_EQ(chmod(m_in.c_str(), 0644), 0);
    }

    CTempDir m_dir;
    std::string m_config;
    std::string m_in;
};

// A device node, a FIFO, a socket and a link to the program's own output are
// refused as they are, by convert and by upload before its transfer.
TEST_F(CliSafetyScenario, OnlyARegularFileIsEverReplaced) {
    const std::string device = m_dir.File("null");
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
        GTEST_SKIP() << "cannot make a device node: " << std::strerror(errno);
    }
    const std::string fifo = m_dir.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const std::string socketPath = m_dir.File("socket");
    {
        const CFileDescriptor sock(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
        ASSERT_EQ(bind(sock.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    }
    const std::string toOutput = m_dir.File("stdout");
    std::filesystem::create_symlink("/proc/self/fd/1", toOutput);
    const std::vector<std::string> before = m_dir.Names();
    CSimProcess sim({"--config", m_in, "--baud", "0"});
    ASSERT_TRUE(sim.Start()) << sim.Error();

    for (const std::string& target : {device, fifo, socketPath, toOutput}) {
        const mode_t type = StatOf(target).st_mode & S_IFMT;
        const auto convert = CProcess::RunCli({"convert", m_in, target});
        const auto upload = CProcess::RunCli({"upload", target, "--port", sim.DevicePath()});

        const std::string refused = "Cannot save " + target + ": it is not a regular file.\n";
        EXPECT_EQ(convert.nStatus, 2) << target;
        EXPECT_EQ(convert.strErr, "tovrik-cli: " + refused);
        EXPECT_EQ(convert.strOut, "");
        EXPECT_EQ(upload.nStatus, 2) << target;
        EXPECT_EQ(upload.strErr, "tovrik-cli upload: " + refused);
        EXPECT_EQ(upload.strOut, "") << "no transfer was started";
        EXPECT_EQ(StatOf(target).st_mode & S_IFMT, type) << target << " was replaced";
    }
    EXPECT_EQ(m_dir.Names(), before) << "no temporary file left";
}

TEST_F(CliSafetyScenario, ADanglingLinkIsSavedThroughAndCreatesItsFile) {
    const std::string link = m_dir.File("link.s19");
    std::filesystem::create_symlink("made.s19", link);

    const auto r = CProcess::RunCli({"convert", m_in, link});

    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(CTempDir::Read(m_dir.File("made.s19")), m_config);
}

// Root saving over another user's file leaves it theirs; a user who cannot
// give the file its owner back is refused and the file is kept.
TEST_F(CliSafetyScenario, ASavedFileKeepsItsOwnerAndGroup) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "changing owners needs root";
    }
    OpenToEveryone();
    const std::string theirs = m_dir.Write("theirs.s19", kOld);
    ASSERT_EQ(chown(theirs.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(chmod(theirs.c_str(), 0640), 0);
    const std::string roots = m_dir.Write("roots.s19", kOld);
    ASSERT_EQ(chmod(roots.c_str(), 0666), 0);

    const auto byRoot = CProcess::RunCli({"convert", m_in, theirs});
    const auto byNobody =
        CProcess::RunCli({"convert", m_in, roots}, {}, "", 15000, CChildSetup::AsUser(kNobody));

    EXPECT_EQ(byRoot.nStatus, 0) << byRoot.strErr;
    EXPECT_EQ(CTempDir::Read(theirs), m_config);
    const struct stat st = StatOf(theirs);
    EXPECT_EQ(st.st_uid, static_cast<uid_t>(kNobody));
    EXPECT_EQ(st.st_gid, static_cast<gid_t>(kNobody));
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    EXPECT_EQ(byNobody.nStatus, 2);
    EXPECT_EQ(byNobody.strErr, "tovrik-cli: Cannot save " + roots +
                                   ": its owner and group could not be kept; save under another "
                                   "name.\n");
    EXPECT_EQ(CTempDir::Read(roots), kOld);
    EXPECT_EQ(StatOf(roots).st_uid, 0u);
    EXPECT_EQ(m_dir.Names(), (std::vector<std::string>{"in.s19", "roots.s19", "theirs.s19"}));
}

// OUT is looked at itself before the device is asked for minutes of data:
// a file the user may not write, and one the user may write but whose owner
// and group a save could not keep.
TEST_F(CliSafetyScenario, UploadRefusesAnOutThatCannotBeWrittenBeforeTheTransfer) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "running as another user needs root";
    }
    OpenToEveryone();
    const std::string readOnly = m_dir.Write("read-only.s19", kOld);
    ASSERT_EQ(chmod(readOnly.c_str(), 0644), 0);
    const std::string roots = m_dir.Write("roots.s19", kOld);
    ASSERT_EQ(chmod(roots.c_str(), 0666), 0);
    CSimProcess sim({"--config", m_in, "--baud", "0"});
    ASSERT_TRUE(sim.Start()) << sim.Error();

    for (const auto& [out, reason] :
         {std::pair{readOnly, std::string("Permission denied")},
          std::pair{roots, std::string("its owner and group could not be kept; save under "
                                       "another name")}}) {
        const auto r = CProcess::RunCli({"upload", out, "--port", sim.DevicePath()}, {}, "", 15000,
                                        CChildSetup::AsUser(kNobody));

        EXPECT_EQ(r.nStatus, 2);
        EXPECT_EQ(r.strErr, "tovrik-cli upload: Cannot save " + out + ": " + reason + ".\n");
        EXPECT_EQ(r.strOut, "") << "no transfer was started";
        EXPECT_EQ(CTempDir::Read(out), kOld);
    }
}

// With its standard output closed, tovrik-cli must not open the port in its
// place: what it prints would go to the device.
TEST_F(CliSafetyScenario, AClosedStandardOutputNeverBecomesThePort) {
    const std::string log = m_dir.File("sim.log");
    CSimProcess sim({"--config", m_in, "--baud", "0", "--log", log});
    ASSERT_TRUE(sim.Start()) << sim.Error();

    const auto r =
        CProcess::Run("/bin/sh", {"-c", R"(exec "$0" upload "$1" --port "$2" >&-)",
                                  CProcess::CliProgram(), m_dir.File("out.s19"), sim.DevicePath()});
    sim.Stop();

    EXPECT_EQ(r.nStatus, 1) << "the small configuration is not whole: " << r.strErr;
    const std::string received = CTempDir::Read(log);
    EXPECT_NE(received.find("#CD"), std::string::npos) << received;
    EXPECT_EQ(received.find("Uploading data."), std::string::npos) << received;
}

// The program's own output is no target, also when it is a regular file, by
// whatever name it is reached.
TEST_F(CliSafetyScenario, TheProgramsOwnOutputIsNeverReplaced) {
    const std::string output = m_dir.Write("output.txt", kOld);
    const std::string errors = m_dir.File("errors.txt");
    const std::string link = m_dir.File("link.s19");
    std::filesystem::create_symlink(output, link);
    CSimProcess sim({"--config", m_in, "--baud", "0"});
    ASSERT_TRUE(sim.Start()) << sim.Error();

    for (const std::string target : {"/dev/stdout", "/proc/self/fd/1", "/dev/fd/1", "/dev/stderr",
                                     output.c_str(), link.c_str()}) {
        // For /dev/stderr the file is the error stream instead.
        const bool bErr = target == "/dev/stderr";
        const std::string redirect = R"(exec "$0" "$@" >>")" + (bErr ? errors : output) +
                                     R"(" 2>>")" + (bErr ? output : errors) + "\"";
        for (const auto& command : std::vector<std::vector<std::string>>{
                 {"convert", m_in, target}, {"upload", target, "--port", sim.DevicePath()}}) {
            std::vector<std::string> args{"-c", redirect, CProcess::CliProgram()};
            args.insert(args.end(), command.begin(), command.end());
            m_dir.Write("errors.txt", "");

            const auto r = CProcess::Run("/bin/sh", args);

            EXPECT_EQ(r.nStatus, 2) << command[0] << " " << target;
            EXPECT_TRUE(CTempDir::Read(bErr ? output : errors)
                            .ends_with("Cannot save " + target +
                                       ": it is the program's own standard input, output or "
                                       "error.\n"))
                << command[0] << " " << target;
            EXPECT_EQ(CTempDir::Read(bErr ? errors : output), bErr ? "" : kOld)
                << "nothing printed: no transfer";
            EXPECT_TRUE(CTempDir::Read(output).starts_with(kOld));
            m_dir.Write("output.txt", kOld);
        }
    }
}

// SIGTERM (a service stop, `timeout`) and SIGHUP (a closed terminal) cancel a
// transfer as Ctrl+C does: the port is closed, no longer exclusive and set as
// it was found, and the exit status is 128 + the signal.
TEST_F(CliSafetyScenario, SigtermAndSighupCancelATransferAndFreeThePort) {
    CSimProcess sim({"--config", m_in, "--baud", "1200", "--received", m_dir.File("received")});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const CFileDescriptor line(
        open(sim.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    ASSERT_GE(line.Get(), 0);
    termios before{};
    ASSERT_EQ(tcgetattr(line.Get(), &before), 0);
    const std::string out = m_dir.File("out.s19");

    const auto up =
        CProcess::RunCli({"upload", out, "--port", sim.DevicePath(), "--baud", "9600"}, {},
                         "Uploading data.", 15000, CChildSetup::Interrupting(SIGTERM));
    const auto down = CProcess::RunCli(
        {"download", m_in, "--force", "--port", sim.DevicePath(), "--baud", "9600"}, {},
        "Downloading data.", 15000, CChildSetup::Interrupting(SIGHUP));

    EXPECT_EQ(up.nStatus, 128 + SIGTERM);
    EXPECT_EQ(up.strErr, "Info: Upload aborted.\nPlease power cycle QARN.\n");
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(down.nStatus, 128 + SIGHUP);
    EXPECT_EQ(down.strErr, "Info: Download aborted.\nPlease power cycle QARN.\n");
    int exclusive = -1;
    ASSERT_EQ(ioctl(line.Get(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0) << "the next run would find the port busy";
    termios after{};
    ASSERT_EQ(tcgetattr(line.Get(), &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
}

// Ctrl+C, SIGTERM or SIGHUP while a large file is being saved: the save stops,
// its temporary file goes, and the target keeps its old content.
TEST_F(CliSafetyScenario, ASignalDuringASaveLeavesTheOldFileAndNoTemporaryFile) {
    const std::string big = m_dir.Write("big.s19", CTestConfig::Joined(CTestConfig::Lines(300000)));
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const std::string target = m_dir.Write("target.s19", kOld);
        int errFd = -1;
        const pid_t pid =
            CProcess::Spawn(CProcess::CliProgram(), {"convert", big, target}, {}, nullptr, &errFd);
        ASSERT_GT(pid, 0);
        // Caught between the temporary file's creation and its rename.
        auto saving = [&] { return m_dir.Names().size() == 4; };
        CWait::Until(saving, std::chrono::seconds(20));
        kill(pid, SIGSTOP);
        const bool caught = saving();
        kill(pid, signal);
        kill(pid, SIGCONT);
        const int status = CProcess::Wait(pid, 20000);
        std::string err(4096, '\0');
        err.resize(
            static_cast<std::size_t>(std::max<ssize_t>(0, read(errFd, err.data(), err.size()))));
        close(errFd);

        ASSERT_TRUE(caught) << "the save was not caught while it ran";
        EXPECT_EQ(status, 128 + signal);
        EXPECT_EQ(err, "tovrik-cli: Cannot save " + target + ": the save was interrupted.\n");
        EXPECT_EQ(CTempDir::Read(target), kOld);
        EXPECT_EQ(m_dir.Names(), (std::vector<std::string>{"big.s19", "in.s19", "target.s19"}));
    }
}

// Whatever the memory left, a conversion either succeeds or says that memory
// ran out, leaving OUT as it was; it never aborts.
TEST_F(CliSafetyScenario, RunningOutOfMemoryIsReportedAndLeavesTheOutputAlone) {
    if (const char* sanitizer = CAddressSpace::ReservingSanitizer()) {
        GTEST_SKIP() << "built with " << sanitizer
                     << ", which reserves terabytes of address space at start: a process with "
                        "its address space limited cannot start";
    }
    const std::string content = CTestConfig::Joined(CTestConfig::Lines(350000));
    const std::string big = m_dir.Write("big.s19", content);
    const std::string out = m_dir.File("out.s19");
    auto runWithin = [&](unsigned long long bytes, const std::vector<std::string>& args) {
        return CProcess::RunCli(args, {}, "", 60000, CChildSetup::WithAddressSpace(bytes));
    };
    // The least address space in which the program starts at all.
    unsigned long long low = 1;
    unsigned long long high = 4096;
    while (high - low > 1) {
        const unsigned long long mid = (low + high) / 2;
        (runWithin(mid * kMiB, {"--version"}).nStatus == 0 ? high : low) = mid;
    }
    int nRefused = 0;
    int nConverted = 0;
    for (unsigned long long extra = 0; extra <= 8 * content.size(); extra += content.size() / 2) {
        m_dir.Write("out.s19", kOld);
        const auto r = runWithin(high * kMiB + extra, {"convert", big, out});
        if (r.nStatus == 0) {
            ++nConverted;
            EXPECT_EQ(CTempDir::Read(out), content);
            continue;
        }
        ++nRefused;
        EXPECT_EQ(r.nStatus, 2) << "with " << extra << " bytes to spare: " << r.strErr;
        EXPECT_TRUE(r.strErr == "tovrik-cli: " + big + ": not enough memory\n" ||
                    r.strErr == "tovrik-cli: " + out + ": not enough memory\n")
            << r.strErr;
        EXPECT_EQ(CTempDir::Read(out), kOld);
    }
    EXPECT_GT(nRefused, 0);
    EXPECT_GT(nConverted, 0);
    EXPECT_EQ(m_dir.Names(), (std::vector<std::string>{"big.s19", "in.s19", "out.s19"}));
}

// A profile that is a FIFO used to hang every transfer, --port or not.
TEST_F(CliSafetyScenario, AProfileThatIsNotAFileIsIgnoredWithAWarning) {
    CTempDir config;
    const std::string folder = config.File("Local AppWizard-Generated Applications");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    const std::string profile = folder + "/Tovrik.conf";
    ASSERT_EQ(mkfifo(profile.c_str(), 0644), 0);
    CSimProcess sim({"--config", m_in, "--baud", "0"});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const std::string out = m_dir.File("out.s19");

    const auto r = CProcess::RunCli({"upload", out, "--port", sim.DevicePath()},
                                    {"XDG_CONFIG_HOME=" + config.Path()}, "", 10000);

    // The device answered in full: the small configuration is not whole.
    EXPECT_EQ(r.nStatus, 1) << r.strErr;
    EXPECT_EQ(r.strOut, "Uploading data.\nUpload incomplete: " + std::to_string(m_config.size()) +
                            " bytes instead of 196642.\n");
    EXPECT_TRUE(r.strErr.starts_with(
        "tovrik-cli: warning: The profile " + profile +
        " is not a regular file: it is ignored, and no choice is remembered.\n"
        "tovrik-cli: using 9600 baud, from the profile; --baud chooses another\n"))
        << r.strErr;
    EXPECT_TRUE(S_ISFIFO(StatOf(profile).st_mode));
}
