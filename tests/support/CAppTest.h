#pragma once

#include "app/IPrompter.h"
#include "gui/CCommandLineInfo.h"
#include "gui/CTovrikApp.h"
#include "tests/support/CTestConfig.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

// The profile file that CProfile and the recent-file list use.
QString ProfileFilePath();
// Empties the profile.
void ClearProfile();

// A few lines of a configuration file, with CR LF line ends.
extern const char* const kSampleConfig;

// Every test starts from an empty profile with a fresh directory for its files.
// The test is the program's user: every box, question and file dialog of the
// program and its transfer dialog comes to it and is answered from the
// fields below.
class AppTest : public ::testing::Test, public IPrompter {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file into the test directory and returns its path.
    QString WriteFile(const QString& name, const QByteArray& content) const;
    QString PathOf(const QString& name) const;
    static QByteArray ReadFile(const QString& path);

    EAnswer Show(const CMessageBox& box) override;
    std::string ChooseFile(const CFileDialog& dialog) override;
    std::string AskText(const std::string& caption, const std::string& label,
                        const std::string& initial) override;
    void ShowReport(const CReportBox& report) override;

    // A program started with `args`; every dialog is answered by the fields below.
    std::unique_ptr<CTovrikApp> StartApp(const QStringList& args = {});
    bool Start(CTovrikApp& app, const QStringList& args);

    // File > Download, Upload or Compare with Device (nID) in the program: the
    // transfer dialog comes up, is pointed at `device` with short pauses
    // (`timing`), runs one transfer and is left with Exit. Its status lines.
    static QStringList TransferThroughTheProgram(CTovrikApp& app, int nID,
                                                 const std::string& device,
                                                 CTransferTiming timing = CTestConfig::Timing());

    QTemporaryDir m_dir;
    QStringList m_errors;  // what the program reported: boxes captioned "Tovrik" with OK
    QStringList m_saveQuestions;
    // What the save question answers; a question asked while this is
    // NoButton fails the test.
    QMessageBox::StandardButton m_saveAnswer = QMessageBox::NoButton;
    QString m_chosenFile;  // what the file dialog returns; empty = Cancel
    QStringList m_chooserFilters;
    QStringList m_proposedPaths;  // what Save As proposed
    // Every other box and question, as "caption|text".
    QStringList m_boxes;
    // What a Yes/No question answers; a question asked while this is NoButton
    // fails the test.
    QMessageBox::StandardButton m_questionAnswer = QMessageBox::NoButton;
};
