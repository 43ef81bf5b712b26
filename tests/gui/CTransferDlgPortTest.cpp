// The port list of the transfer dialog against a machine of the test's own
// making: COM1 and COM2 with their devices, the ports found, "Other…", the
// port remembered beside "CPSEL", and the ports that cannot be used.
#include "serial/CPortMap.h"
#include "support/CFakeSysfs.h"
#include "support/CPtyPair.h"
#include "support/CTestTransferDlg.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

const CFakeSysfs::CUsbDevice& kFtdi = CFakeSysfs::kFtdi;
const CFakeSysfs::CUsbDevice kArduino{"2341", "0043", "Arduino (www.arduino.cc)", "Arduino Uno",
                                      ""};
const std::string kFtdiById = CFakeSysfs::kFtdiById;
const QString kFtdiEntry =
    QString::fromStdString(kFtdiById + " – FTDI FT232R USB UART (0403:6001, serial A50285BI)");

QStringList Items(const QComboBox* cb) {
    QStringList items;
    for (int i = 0; i < cb->count(); ++i) {
        items << cb->itemText(i);
    }
    return items;
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A machine with a USB adapter, a modem and a mainboard UART that is the
// console; COM1 is that UART and COM2 a UART that is not there.
class CTransferDlgPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        CTestTransferDlg::ClearProfile();
        m_sys.AddUsbSerial("ttyUSB0", "1-1", kFtdi, kFtdiById);
        m_sys.AddAcmModem("ttyACM0", "1-2", kArduino);
        m_sys.AddUart("ttyS0");
        m_sys.SetConsole("ttyS0");
        CPortMap::SetDevice(1, m_sys.Node("ttyS0"));
        CPortMap::SetDevice(2, m_sys.Node("ttyS1"));
    }
    void TearDown() override { CPortMap::Reset(); }

    void Open(CTestTransferDlg& dlg) { dlg.Init(&m_doc, ETransferMode::Upload); }

    // Chooses "Other…" as the user does.
    static void ChooseOther(CTestTransferDlg& dlg) {
        dlg.m_cbPort->setCurrentIndex(dlg.m_cbPort->count() - 1);
    }

    // Chooses the entry as the user does.
    static void Choose(CTestTransferDlg& dlg, const QString& entry) {
        const int index = dlg.m_cbPort->findText(entry);
        ASSERT_GE(index, 0) << entry.toStdString();
        dlg.m_cbPort->setCurrentIndex(index);
    }

    static QString Stored(const char* key) {
        return CTestTransferDlg::Profile().value(QStringLiteral("INITALISATION/") + key).toString();
    }

    CFakeSysfs m_sys;
    CQARNCfgDoc m_doc;
};

TEST_F(CTransferDlgPortTest, ListsComPortsWithTheirDevicesThenThePortsFoundThenOther) {
    CProfile::WriteProfileInt("INITALISATION", "CPSEL", 1);
    CTestTransferDlg dlg;
    Open(dlg);

    EXPECT_EQ(Items(dlg.m_cbPort),
              (QStringList{Q("COM1 (" + m_sys.Node("ttyS0") + ") [system console]"),
                           Q("COM2 (" + m_sys.Node("ttyS1") + ") [missing]"),
                           Q(m_sys.Node("ttyACM0") + " – Arduino (www.arduino.cc) Arduino Uno "
                                                     "(2341:0043)"),
                           Q(m_sys.Node("ttyS0") + " – built-in serial port [system console]"),
                           kFtdiEntry, "Other…"}));
    EXPECT_EQ(dlg.m_cbPort->currentIndex(), 1) << "CPSEL keeps its meaning";
    EXPECT_EQ(dlg.m_cbPort->ShownText(), "COM2");
    EXPECT_EQ(dlg.m_cbPort->toolTip(), Items(dlg.m_cbPort)[1]);
    EXPECT_EQ(dlg.m_session.m_nPort, 2);
    EXPECT_EQ(dlg.m_session.m_strDevice, "");
    EXPECT_EQ(dlg.StatusLines(), QStringList{"Ready to Upload."});

    // The closed list keeps its place; the open one shows whole entries.
    EXPECT_EQ(dlg.m_cbPort->width(), dlg.m_cbBaudRate->width());
    EXPECT_GT(dlg.m_cbPort->view()->minimumWidth(),
              dlg.m_cbPort->fontMetrics().horizontalAdvance(kFtdiEntry));
}

TEST_F(CTransferDlgPortTest, TheListIsReadAgainEachTimeItOpens) {
    CTestTransferDlg dlg;
    Open(dlg);
    dlg.show();
    m_sys.AddUsbSerial("ttyUSB1", "1-3", {"1a86", "7523", "", "", ""});
    m_sys.Unplug("ttyACM0");
    EXPECT_EQ(dlg.m_cbPort->count(), 6) << "nothing changes while the list is closed";

    dlg.m_cbPort->showPopup();
    const QStringList items = Items(dlg.m_cbPort);
    dlg.m_cbPort->hidePopup();
    EXPECT_EQ(items.size(), 6);
    EXPECT_TRUE(items.contains(Q(m_sys.Node("ttyUSB1") + " – USB serial adapter (1a86:7523)")));
    EXPECT_FALSE(items.join(' ').contains("Arduino"));
    EXPECT_EQ(dlg.m_cbPort->currentIndex(), 0) << "the choice stays";
    EXPECT_FALSE(CTestTransferDlg::Profile().contains("INITALISATION/CPSEL"));
}

// A port found on the machine is remembered by its by-id link, beside "CPSEL";
// the next dialog shows it, and the transfer opens it.
TEST_F(CTransferDlgPortTest, AChosenPortIsRememberedBesideCpselAndUsed) {
    CPtyPair pty;
    ASSERT_TRUE(pty.Ok()) << pty.Error();
    m_sys.LinkNode("ttyUSB0", pty.SlavePath());
    CProfile::WriteProfileInt("INITALISATION", "CPSEL", 1);
    {
        CTestTransferDlg dlg;
        Open(dlg);
        Choose(dlg, kFtdiEntry);
        EXPECT_EQ(Stored("CPDEVICE"), Q(m_sys.ById(kFtdiById)));
        EXPECT_EQ(Stored("CPSEL"), "1") << "CPSEL still names COM2";
        EXPECT_EQ(dlg.m_session.m_strDevice, m_sys.ById(kFtdiById));
        EXPECT_EQ(dlg.StatusLines(), QStringList{"Ready to Upload."});
    }
    {
        CTestTransferDlg dlg;
        Open(dlg);
        EXPECT_EQ(dlg.m_cbPort->currentText(), kFtdiEntry);
        EXPECT_EQ(dlg.m_cbPort->ShownText(), "ttyUSB0");
        EXPECT_EQ(m_doc.m_nPortIndex, 4);
        EXPECT_TRUE(dlg.m_session.OpenPort());
        EXPECT_EQ(dlg.m_port.GetDeviceName(), m_sys.ById(kFtdiById));
        dlg.m_port.Close();

        // Back to COM2: "CPSEL" as ever, and the device is forgotten.
        dlg.m_cbPort->setCurrentIndex(1);
        EXPECT_EQ(Stored("CPSEL"), "1");
        EXPECT_EQ(Stored("CPDEVICE"), "");
        EXPECT_EQ(dlg.m_session.m_strDevice, "");
        EXPECT_EQ(dlg.m_session.m_nPort, 2);
        EXPECT_EQ(dlg.StatusLines().value(1), Q("COM2 (" + m_sys.Node("ttyS1") +
                                                ") is missing: plug it in or choose another "
                                                "port."));
    }
}

TEST_F(CTransferDlgPortTest, ARememberedPortThatIsGoneIsShownMissingUntilItComesBack) {
    CProfile::WriteProfileString("INITALISATION", "CPDEVICE", m_sys.ById(kFtdiById));
    m_sys.Unplug("ttyUSB0");
    CTestTransferDlg dlg;
    Open(dlg);

    EXPECT_EQ(dlg.m_cbPort->currentText(), Q(m_sys.ById(kFtdiById) + " [missing]"));
    EXPECT_EQ(dlg.m_cbPort->currentIndex(), 4) << "after the ports found, before Other…";
    EXPECT_EQ(dlg.m_session.m_strDevice, m_sys.ById(kFtdiById)) << "not silently replaced";
    EXPECT_EQ(
        dlg.StatusLines(),
        (QStringList{"Ready to Upload.", Q(m_sys.ById(kFtdiById) +
                                           " is missing: plug it in or choose another port.")}));
    EXPECT_EQ(Stored("CPDEVICE"), Q(m_sys.ById(kFtdiById)));

    dlg.show();
    m_sys.AddUsbSerial("ttyUSB0", "1-1", kFtdi, kFtdiById);
    dlg.m_cbPort->showPopup();
    dlg.m_cbPort->hidePopup();
    EXPECT_EQ(dlg.m_cbPort->currentText(), kFtdiEntry);
    EXPECT_EQ(dlg.m_cbPort->count(), 6);
}

TEST_F(CTransferDlgPortTest, OtherAsksForADevicePathAndRemembersIt) {
    CPtyPair pty;
    ASSERT_TRUE(pty.Ok()) << pty.Error();
    CTestTransferDlg dlg;
    Open(dlg);

    // Cancelled: back to the port chosen before, nothing written.
    ChooseOther(dlg);
    EXPECT_EQ(dlg.m_nAsked, 1);
    EXPECT_EQ(dlg.m_cbPort->currentIndex(), 0);
    EXPECT_FALSE(CTestTransferDlg::Profile().contains("INITALISATION/CPDEVICE"));

    dlg.m_strTypedPath = Q(" " + pty.SlavePath() + " ");
    ChooseOther(dlg);
    EXPECT_EQ(dlg.m_nAsked, 2);
    EXPECT_EQ(dlg.m_cbPort->currentText(), Q(pty.SlavePath()));
    EXPECT_EQ(dlg.m_cbPort->currentIndex(), dlg.m_cbPort->count() - 2);
    EXPECT_EQ(dlg.m_session.m_strDevice, pty.SlavePath());
    EXPECT_EQ(Stored("CPDEVICE"), Q(pty.SlavePath()));
    EXPECT_EQ(dlg.StatusLines(), QStringList{"Ready to Upload."});

    CTestTransferDlg next;
    Open(next);
    EXPECT_EQ(next.m_cbPort->currentText(), Q(pty.SlavePath()));
    EXPECT_EQ(next.m_session.m_strDevice, pty.SlavePath());

    // A bare name is one the ports are listed under, or else a device in /dev.
    next.m_strTypedPath = Q(kFtdiById);
    ChooseOther(next);
    EXPECT_EQ(next.m_session.m_strDevice, m_sys.ById(kFtdiById));
    EXPECT_EQ(next.m_cbPort->currentText(), kFtdiEntry);
    next.m_strTypedPath = "ttyACM0";
    ChooseOther(next);
    EXPECT_EQ(next.m_session.m_strDevice, m_sys.Node("ttyACM0"));
    next.m_strTypedPath = "ttyQARN9";
    ChooseOther(next);
    EXPECT_EQ(next.m_session.m_strDevice, "/dev/ttyQARN9");
    EXPECT_EQ(next.m_cbPort->currentText(), "/dev/ttyQARN9 [missing]");
}

TEST_F(CTransferDlgPortTest, TheConsoleIsListedButRefusedWithTheReason) {
    CTestTransferDlg dlg;
    Open(dlg);
    dlg.m_cbPort->setCurrentIndex(1);
    const QString refused = Q("Cannot use " + m_sys.Node("ttyS0") + ": it is the system console.");

    Choose(dlg, Q(m_sys.Node("ttyS0") + " – built-in serial port [system console]"));
    EXPECT_EQ(dlg.m_cbPort->currentIndex(), 1) << "back to COM2";
    EXPECT_EQ(dlg.StatusLines().last(), refused);

    dlg.m_strTypedPath = Q(m_sys.Node("ttyS0"));
    ChooseOther(dlg);
    EXPECT_EQ(dlg.m_cbPort->currentIndex(), 1);
    EXPECT_EQ(dlg.StatusLines().last(), refused) << "typed, it is refused the same way";

    dlg.m_cbPort->setCurrentIndex(0);
    EXPECT_EQ(dlg.m_cbPort->currentIndex(), 1);
    EXPECT_EQ(dlg.StatusLines().last(),
              Q("Cannot use COM1 (" + m_sys.Node("ttyS0") + "): it is the system console."));
    EXPECT_EQ(dlg.m_session.m_nPort, 2);
    EXPECT_EQ(dlg.m_session.m_strDevice, "");
    EXPECT_EQ(Stored("CPSEL"), "1");
    EXPECT_FALSE(CTestTransferDlg::Profile().contains("INITALISATION/CPDEVICE"));
}

// Root may open anything, except for writing on a read-only mount: there the
// adapter's node is a file on a read-only tmpfs. Anyone else meets a node
// without permissions.
TEST_F(CTransferDlgPortTest, APortTheUserMayNotUseSaysWhyWhenChosen) {
    namespace fs = std::filesystem;
    const std::string mount = m_sys.Dir().File("ro");
    std::string reason;
    if (::geteuid() == 0) {
        fs::create_directory(mount);
        if (::mount("tovrik-test", mount.c_str(), "tmpfs", 0, "size=16k") != 0) {
            GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
        }
        m_sys.Dir().Write("ro/ttyUSB0", "x");
        ASSERT_EQ(::mount(nullptr, mount.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
        m_sys.LinkNode("ttyUSB0", mount + "/ttyUSB0");
        reason = "Read-only file system";
    } else {
        fs::permissions(m_sys.Node("ttyUSB0"), fs::perms::none);
        reason = "Permission denied: is the user in the " + CFakeSysfs::GroupName(::getegid()) +
                 " group?";
    }
    CTestTransferDlg dlg;
    Open(dlg);
    const int index = dlg.m_cbPort->findText(kFtdiEntry + " [no access]");
    EXPECT_GE(index, 0) << Items(dlg.m_cbPort).join('\n').toStdString();
    dlg.m_cbPort->setCurrentIndex(index);
    if (::geteuid() == 0) {
        ::umount2(mount.c_str(), MNT_DETACH);
    }

    EXPECT_EQ(dlg.StatusLines().last(), Q("Cannot use " + m_sys.ById(kFtdiById) + ": " + reason));
    EXPECT_EQ(dlg.m_cbPort->currentIndex(), index) << "chosen all the same: the user may fix it";
    EXPECT_EQ(Stored("CPDEVICE"), Q(m_sys.ById(kFtdiById)));
}

}  // namespace
