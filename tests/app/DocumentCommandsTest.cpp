// The file commands of the desktop program over its document: what each does,
// asks and says, answered by a scripted user.
#include "app/CDocumentCommands.h"
#include "app/CRecentFileList.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "settings/CSystemContext.h"
#include "tests/support/CScriptedPrompter.h"
#include "tests/support/CTempDir.h"
#include "tests/support/CTestConfig.h"
#include "tests/support/CTestContext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>

namespace {

const std::string kConfig = CTestConfig::Joined(CTestConfig::Lines(2));
const std::string kOther = CTestConfig::Joined(
    {CTestConfig::HeaderLine("OTHER"), CTestConfig::DataLine(0), CTestConfig::EndLine()});

class DocumentCommandsTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(m_user.ScriptUsed()) << "an answer was not asked for"; }

    std::string Write(const std::string& name, const std::string& content) {
        return m_dir.Write(name, content);
    }
    static std::string Read(const std::string& path) { return CTempDir::Read(path); }

    CTempDir m_dir;
    CQARNCfgDoc m_doc;
    CScriptedPrompter m_user;
    CRecentFileList m_recent;
    CDocumentCommands m_commands{m_doc, m_user, m_recent, m_dir.Path()};
};

TEST_F(DocumentCommandsTest, OpenStartsInTheFolderLastUsedAndRefusesWhatIsNoConfiguration) {
    const std::string first = Write("first.s19", kConfig);
    const std::string notes = Write("notes.txt", "Call the site on Monday.\r\n");
    m_user.QueueFile(first);
    ASSERT_TRUE(m_commands.OnFileOpen());
    EXPECT_EQ(m_user.Dialogs()[0].strFilter, "Tovrik Files (*.s19)");

    for (const std::string& bad : {m_dir.File("missing.s19"), m_dir.Path(), notes}) {
        m_user.QueueFile(bad);
        EXPECT_FALSE(m_commands.OnFileOpen()) << bad;
        EXPECT_EQ(m_doc.GetPathName(), first);
        EXPECT_EQ(g_recordList.GetCount(), 2u);
    }
    const std::vector<std::string> told = m_user.Texts();
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0].rfind("Cannot open " + m_dir.File("missing.s19"), 0), 0u) << told[0];
    EXPECT_EQ(told[2], notes + " is not an S-record configuration.");
    EXPECT_EQ(m_recent.Files(), std::vector<std::string>{first});

    // A file saved elsewhere moves the folder Open starts in.
    std::filesystem::create_directory(m_dir.File("site"));
    m_user.QueueFile(m_dir.File("site/copy"));
    ASSERT_TRUE(m_commands.OnFileSaveAs());
    m_user.QueueFile("");
    EXPECT_FALSE(m_commands.OnFileOpen()) << "cancelled";
    EXPECT_EQ(m_user.Dialogs().back().strFolder, m_dir.File("site"));
}

TEST_F(DocumentCommandsTest, SaveAsAddsTheExtensionOnlyToANameWithoutOne) {
    m_commands.OpenDocumentFile(Write("backup.s19", kConfig));
    const std::pair<const char*, const char*> cases[] = {
        {"a", "a.s19"}, {"b.", "b.s19"}, {"c.s19", "c.s19"}, {"d.txt", "d.txt"}, {"v1.2", "v1.2"},
    };
    for (const auto& [typed, written] : cases) {
        m_user.QueueFile(m_dir.File(typed));
        ASSERT_TRUE(m_commands.OnFileSaveAs()) << typed;
        EXPECT_EQ(m_doc.GetPathName(), m_dir.File(written));
        EXPECT_EQ(Read(m_dir.File(written)), kConfig);
    }
    m_user.QueueFile(m_dir.File("no/such/folder/x.s19"));
    EXPECT_FALSE(m_commands.OnFileSaveAs());
    EXPECT_EQ(m_user.Texts().back().rfind("Cannot save ", 0), 0u);
    EXPECT_EQ(m_doc.GetPathName(), m_dir.File("v1.2")) << "a failed save keeps the file";
}

TEST_F(DocumentCommandsTest, TheFirstSaveOfAnUploadProposesANameNoFileHas) {
    m_commands.OpenDocumentFile(Write("backup.s19", kConfig));
    m_doc.SetPathName("");  // as an upload leaves it
    m_doc.SetModifiedFlag();
    const std::time_t now = std::time(nullptr);
    const std::string proposed = m_commands.ProposedUploadPath(now);
    EXPECT_TRUE(std::regex_match(proposed, std::regex(".*/qarn-\\d{8}-\\d{4}\\.s19"))) << proposed;
    EXPECT_EQ(std::filesystem::path(proposed).parent_path(), m_dir.Path());

    Write(std::filesystem::path(proposed).filename().string(), "taken");
    const std::string second = m_commands.ProposedUploadPath(now);
    EXPECT_EQ(second, proposed.substr(0, proposed.size() - 4) + "-2.s19");
    Write(std::filesystem::path(second).filename().string(), "taken");
    EXPECT_EQ(m_commands.ProposedUploadPath(now),
              proposed.substr(0, proposed.size() - 4) + "-3.s19");

    m_user.QueueFile("");
    EXPECT_FALSE(m_commands.OnFileSave()) << "Save goes through Save As";
    EXPECT_EQ(m_user.Dialogs().back().eKind, CFileDialog::SaveAs);
    const std::string offered = m_user.Dialogs().back().strProposed;
    EXPECT_TRUE(std::regex_match(offered, std::regex(".*/qarn-\\d{8}-\\d{4}(-\\d)?\\.s19")))
        << offered;
    EXPECT_FALSE(std::filesystem::exists(offered));
    EXPECT_EQ(Read(m_dir.File("backup.s19")), kConfig);
}

// New, Open, a drop and closing ask only about unsaved changes, and go on
// only when the user saved them or let them go.
TEST_F(DocumentCommandsTest, TheSaveQuestionGuardsUnsavedChanges) {
    const std::string backup = Write("backup.s19", kConfig);
    const std::string other = Write("other.s19", kOther);
    ASSERT_TRUE(m_commands.OnFileNew()) << "nothing to ask";
    ASSERT_TRUE(m_commands.OpenDocumentFile(backup));
    m_doc.SetModifiedFlag();

    m_user.QueueAnswer(EAnswer::Cancel);
    EXPECT_FALSE(m_commands.OnFileNew());
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_user.Boxes().back().strText, "Save changes to backup.s19?");
    EXPECT_EQ(m_user.Boxes().back().eButtons, EBoxButtons::SaveDiscardCancel);
    EXPECT_EQ(m_user.Boxes().back().eDefault, EAnswer::Save);

    m_user.QueueAnswer(EAnswer::Cancel);
    m_commands.OnDropFiles({other, backup});
    EXPECT_EQ(m_doc.GetPathName(), backup) << "a cancelled question stops the rest of a drop";

    std::filesystem::remove(backup);
    m_user.QueueAnswer(EAnswer::Save);
    m_user.QueueFile(other);
    ASSERT_TRUE(m_commands.OnFileOpen());
    EXPECT_EQ(Read(backup), kConfig) << "saved before going on";
    EXPECT_EQ(m_doc.GetPathName(), other);

    m_doc.SetModifiedFlag();
    m_doc.SetPathName(m_dir.File("no/such/folder/x.s19"));
    m_user.QueueAnswer(EAnswer::Save);
    EXPECT_FALSE(m_commands.SaveModified()) << "a failed save keeps the program open";
    EXPECT_TRUE(m_doc.IsModified());

    m_user.QueueAnswer(EAnswer::Discard);
    ASSERT_TRUE(m_commands.OnFileNew());
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_TRUE(g_recordList.IsEmpty());
}

TEST_F(DocumentCommandsTest, DroppedFilesOpenOneAfterTheOtherWhateverTheirName) {
    const std::string first = Write("first.s19", kConfig);
    const std::string second = Write("second.TXT", kOther);
    m_commands.OnDropFiles({first, m_dir.File("gone.s19"), second});
    ASSERT_EQ(m_user.Texts().size(), 1u);
    EXPECT_NE(m_user.Texts()[0].find("gone.s19"), std::string::npos);
    EXPECT_EQ(m_doc.GetPathName(), second);
    EXPECT_EQ(m_recent.Files(), (std::vector<std::string>{second, first}));
}

// Saving over the file that was opened asks first when the file holds more
// than the configuration that would be written.
TEST_F(DocumentCommandsTest, SavingOverItsFileAsksWhenItWouldLoseLines) {
    struct CCase {
        const char* name;
        std::string content;
        std::string question;  // "" when Save asks nothing
    };
    std::vector<std::string> damaged = CTestConfig::Lines(2);
    damaged[2][12] = damaged[2][12] == '0' ? '1' : '0';  // its checksum no longer fits
    const CCase cases[] = {
        {"plain.s19", kConfig, ""},
        {"comment.s19", "# site 17\r\n" + kConfig + "\r\n",
         "comment.s19 holds 2 lines that Tovrik leaves out (line 1: \"# site 17\", …). Saving "
         "writes the configuration without them. Save anyway?"},
        {"one.s19", kConfig + "S9030000FC\r\n",
         "one.s19 holds 1 line that Tovrik leaves out (line 5: \"S9030000FC\"). Saving writes the "
         "configuration without it. Save anyway?"},
        {"damaged.s19", CTestConfig::Joined(damaged),
         "damaged.s19 holds 1 problem (line 3: checksum"},
    };
    for (const CCase& c : cases) {
        const std::string path = Write(c.name, c.content);
        ASSERT_TRUE(m_commands.OpenDocumentFile(path)) << c.name;
        if (c.question.empty()) {
            EXPECT_TRUE(m_commands.OnFileSave()) << c.name;
            continue;
        }
        m_user.QueueAnswer(EAnswer::No);
        EXPECT_FALSE(m_commands.OnFileSave()) << c.name;
        const std::string asked = m_user.Boxes().back().strText;
        EXPECT_EQ(asked.substr(0, c.question.size()), c.question);
        EXPECT_TRUE(asked.ends_with(". Save anyway?")) << asked;
        EXPECT_EQ(m_user.Boxes().back().eDefault, EAnswer::No);
        EXPECT_EQ(Read(path), c.content) << "No leaves the file as it is";

        m_user.QueueFile(m_dir.File(std::string("as-") + c.name));
        EXPECT_TRUE(m_commands.OnFileSaveAs()) << "another file asks nothing";
        ASSERT_TRUE(m_commands.OpenDocumentFile(path));
        m_user.QueueAnswer(EAnswer::Yes);
        EXPECT_TRUE(m_commands.OnFileSave());
        // Only the left-out lines go; a wrong checksum is written as it was.
        EXPECT_EQ(Read(path) == c.content, std::string(c.name) == "damaged.s19");
    }
}

TEST(RecentFileList, KeepsTheLatestFourNewestFirstAcrossRuns) {
    CTempDir dir;
    CSystemContext context = CTestContext::Make();
    CRecentFileList list;
    list.Load(context.Profile());
    for (const char* name : {"a.s19", "b.s19", "c.s19", "d.s19", "e.s19", "c.s19"}) {
        list.Add(dir.File(name));
    }
    const std::vector<std::string> expected{dir.File("c.s19"), dir.File("e.s19"), dir.File("d.s19"),
                                            dir.File("b.s19")};
    EXPECT_EQ(list.Files(), expected);
    ASSERT_FALSE(list.Save(context.Profile()));
    CRecentFileList next;
    next.Load(context.Profile());
    EXPECT_EQ(next.Files(), expected);
    EXPECT_EQ(context.Profile().GetProfileString(CRecentFileList::kSection, "File1"),
              dir.File("c.s19"));

    // A profile that refuses the list as the program closes: the user is told.
    auto refusing = std::make_unique<CMemoryProfileStore>();
    refusing->m_bRefuseWrites = true;
    CSystemContext refused = CTestContext::Make(std::move(refusing));
    next.Add(dir.File("f.s19"));
    EXPECT_EQ(
        next.SaveOnExit(refused.Profile()).rfind("The recent-file list was not remembered: ", 0),
        0U);
}

}  // namespace
