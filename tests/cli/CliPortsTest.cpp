// tovrik-cli ports, and --port given a name that ports lists, against a
// machine of the test's own making.
#include "cli/CPortsCommand.h"
#include "cli/CTransferCommand.h"
#include "cli/CTransferOptions.h"
#include "support/CFakeSysfs.h"
#include "support/CSimProcess.h"
#include "support/CTempDir.h"
#include "support/CTestConfig.h"
#include "support/CTestContext.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

const CFakeSysfs::CUsbDevice& kFtdi = CFakeSysfs::kFtdi;
const std::string kFtdiById = CFakeSysfs::kFtdiById;

struct CRun {
    int nStatus;
    std::string strOut;
    std::string strErr;
};

class CliPorts : public ::testing::Test {
protected:
    CRun Ports(const std::vector<std::string>& args) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = CPortsCommand::Run(m_context, args, out, err);
        return {status, out.str(), err.str()};
    }

    // An FTDI adapter, a modem without a by-id link, and the console.
    void AddMachine() {
        m_sys.AddUsbSerial("ttyUSB0", "1-1", kFtdi, kFtdiById);
        m_sys.AddAcmModem("ttyACM10", "1-2", {"2341", "0043", "", "Arduino \"Uno\"", ""});
        m_sys.AddUart("ttyS0");
        m_sys.AddUart("ttyS1", "0");
        m_sys.SetConsole("ttyS0");
    }

    CFakeSysfs m_sys;
    CSystemContext m_context = CTestContext::Make(m_sys.Paths());
};

TEST_F(CliPorts, PrintsOneLinePerPortWithItsNameDescriptionAndMarks) {
    AddMachine();
    const std::string pad(m_sys.Node("ttyUSB0").size() - m_sys.Node("ttyS0").size(), ' ');
    std::string dash(kFtdiById.size(), ' ');
    dash.front() = '-';
    const CRun r = Ports({});
    EXPECT_EQ(r.nStatus, 0);
    EXPECT_EQ(r.strErr, "");
    EXPECT_EQ(r.strOut, m_sys.Node("ttyACM10") + "  " + dash + "  Arduino \"Uno\" (2341:0043)\n" +
                            m_sys.Node("ttyS0") + pad + "   " + dash +
                            "  built-in serial port [system console]\n" + m_sys.Node("ttyUSB0") +
                            pad.substr(1) + "  " + kFtdiById +
                            "  FTDI FT232R USB UART (0403:6001, serial A50285BI)\n");

    const CRun json = Ports({"--json"});
    EXPECT_EQ(json.nStatus, 0);
    EXPECT_EQ(json.strOut,
              "[\n  {\"device\": \"" + m_sys.Node("ttyACM10") +
                  "\", \"by_id\": null, \"description\": \"Arduino \\\"Uno\\\" (2341:0043)\", "
                  "\"console\": false, \"accessible\": true, \"no_access\": null},\n"
                  "  {\"device\": \"" +
                  m_sys.Node("ttyS0") +
                  "\", \"by_id\": null, \"description\": \"built-in serial port\", \"console\": "
                  "true, \"accessible\": true, \"no_access\": null},\n"
                  "  {\"device\": \"" +
                  m_sys.Node("ttyUSB0") + "\", \"by_id\": \"" + m_sys.ById(kFtdiById) +
                  "\", \"description\": \"FTDI FT232R USB UART (0403:6001, serial A50285BI)\", "
                  "\"console\": false, \"accessible\": true, \"no_access\": null}\n]\n");
}

TEST_F(CliPorts, NoPortIsNoFailureAndAnUnknownArgumentIs) {
    const CRun none = Ports({});
    EXPECT_EQ(none.nStatus, 0);
    EXPECT_EQ(none.strOut, "");
    EXPECT_EQ(none.strErr, "No serial ports found.\n");
    EXPECT_EQ(Ports({"--json"}).strOut, "[]\n");

    const CRun bad = Ports({"--jsn"});
    EXPECT_EQ(bad.nStatus, 2);
    EXPECT_EQ(bad.strOut, "");
    EXPECT_EQ(bad.strErr,
              "tovrik-cli ports: unknown option '--jsn'\nUsage: tovrik-cli ports [--json]\n");
}

TEST_F(CliPorts, PortTakesTheNamesThatPortsPrints) {
    AddMachine();
    CTransferOptions options;
    std::string error;
    EXPECT_TRUE(options.SetPort(kFtdiById, m_context, error)) << error;
    EXPECT_EQ(options.m_port.DevicePath(), m_sys.ById(kFtdiById)) << "the stable link, not ttyUSB0";
    EXPECT_TRUE(options.SetPort("ttyACM10", m_context, error)) << error;
    EXPECT_EQ(options.m_port.DevicePath(), m_sys.Node("ttyACM10"));
    EXPECT_TRUE(options.SetPort(m_sys.ById(kFtdiById), m_context, error));
    EXPECT_EQ(options.m_port.DevicePath(), m_sys.ById(kFtdiById));
    // A placeholder is no port found, and is taken as any other name.
    EXPECT_TRUE(options.SetPort("ttyS1", m_context, error));
    EXPECT_EQ(options.m_port.DevicePath(), m_sys.Node("ttyS1"));

    EXPECT_FALSE(options.SetPort(" ", m_context, error));
    EXPECT_EQ(error,
              "no port given: use 1, 2, COM1, COM2, a device path such as /dev/ttyUSB0, or a "
              "name that 'tovrik-cli ports' lists");

    // The port last chosen in the dialog, when it is a device, is the default.
    ASSERT_FALSE(
        m_context.Profile().WriteProfileString("INITALISATION", "CPDEVICE", m_sys.ById(kFtdiById)));
    EXPECT_EQ(CTransferOptions::FromProfile(m_context).m_port.DevicePath(), m_sys.ById(kFtdiById));
}

// The adapter's node leads to qarn-sim: an upload through its by-id name goes
// all the way.
TEST_F(CliPorts, UploadsThroughTheByIdName) {
    if (CSimProcess::ProgramPath().empty()) {
        GTEST_SKIP() << "QARN_SIM not set: qarn-sim not built";
    }
    const std::string config = CTestConfig::Joined(CTestConfig::WholeLines());
    CSimProcess sim({"--config", TOVRIK_SAMPLE_S19, "--baud", "0"});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    m_sys.AddUsbSerial("ttyUSB0", "1-1", kFtdi, kFtdiById);
    m_sys.LinkNode("ttyUSB0", sim.DevicePath());

    std::ostringstream out;
    std::ostringstream err;
    const std::string file = m_sys.Dir().File("backup.s19");
    const int status =
        CTransferCommand::RunUpload(m_context, {file, "--port", kFtdiById}, out, err);
    EXPECT_EQ(status, 0) << out.str() << err.str();
    EXPECT_EQ(out.str().substr(0, 33), "Uploading data.\nUpload finished.\n");
    EXPECT_EQ(CTempDir::Read(file), config);
}

}  // namespace
