// The progress bar and the way worker updates reach it.
#include "gui/CProgressCtrl.h"
#include "support/CTestTransferDlg.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include <thread>

namespace {

TEST(CProgressCtrlTest, ManyStepsAtOnceMoveLikeSingleSteps) {
    for (int count = 0; count <= 25; ++count) {
        SCOPED_TRACE(count);
        CProgressCtrl batch;
        CProgressCtrl single;
        for (CProgressCtrl* bar : {&batch, &single}) {
            bar->SetRange32(0, 9);
            bar->SetStep(1);
            bar->SetPos(7);
        }
        batch.StepIt(count);
        for (int i = 0; i < count; ++i) {
            single.StepIt();
        }
        EXPECT_EQ(batch.GetPos(), single.GetPos());
    }
    CProgressCtrl bar;
    bar.SetRange32(0, 9);
    bar.SetStep(1);
    bar.SetPos(9);
    bar.StepIt();
    EXPECT_EQ(bar.GetPos(), 0);  // past the end it starts again
}

TEST(CProgressCtrlTest, PositionStaysInsideTheRange) {
    CProgressCtrl bar;
    bar.SetRange32(0, 196642);
    bar.SetPos(100);
    EXPECT_EQ(bar.GetPos(), 100);
    EXPECT_EQ(bar.value(), 100);
    bar.SetPos(300000);
    EXPECT_EQ(bar.GetPos(), 196642);
    bar.SetRange32(0, 50);
    EXPECT_EQ(bar.GetPos(), 50);

    // An empty range (a download of a document with no file size) is an
    // empty bar, not a busy indicator.
    bar.SetRange32(0, 0);
    bar.SetStep(1);
    bar.StepIt(5);
    EXPECT_EQ(bar.GetPos(), 0);
    EXPECT_LT(bar.minimum(), bar.maximum());
    EXPECT_EQ(bar.value(), 0);
}

class CTransferDlgProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        CTestTransferDlg::ClearProfile();
        m_dlg.Init(&m_doc, ETransferMode::Upload);
    }

    // Runs `work` on a thread of its own while this thread serves the dialog.
    void OnWorkerThread(const std::function<void()>& work) {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            work();
            done = true;
        });
        const bool finished = CTestTransferDlg::ServeUntil([&] { return done.load(); }, 5000);
        worker.join();
        ASSERT_TRUE(finished);
    }

    CQARNCfgDoc m_doc;
    CTestTransferDlg m_dlg;
};

TEST_F(CTransferDlgProgressTest, WorkerStepsReachTheBarWithin50Ms) {
    OnWorkerThread([this] {
        for (int i = 0; i < 1000; ++i) {
            m_dlg.StepProgress();
        }
    });
    CTestTransferDlg::ServeFor(50);
    EXPECT_EQ(m_dlg.m_progress->GetPos(), 1000);
}

TEST_F(CTransferDlgProgressTest, PendingStepsComeBeforeALaterUpdate) {
    OnWorkerThread([this] {
        for (int i = 0; i < 5; ++i) {
            m_dlg.StepProgress();
        }
        m_dlg.SetProgressPos(2);
    });
    CTestTransferDlg::ServeFor(60);
    EXPECT_EQ(m_dlg.m_progress->GetPos(), 2);

    OnWorkerThread([this] {
        for (int i = 0; i < 7; ++i) {
            m_dlg.PostTransferStep();
        }
        m_dlg.PostTransferDone();
    });
    CTestTransferDlg::ServeFor(60);
    EXPECT_EQ(m_dlg.m_progress->GetUpper(), 196642);
    EXPECT_EQ(m_dlg.m_progress->GetPos(), 196642) << "a finished upload shows a full bar";
}

}  // namespace
