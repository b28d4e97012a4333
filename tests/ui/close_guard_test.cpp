// Ending the program asks before unsaved work goes: a record that is in no
// file, or a description changed since the last open or save.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTextEdit>

#include "DocumentSupport.h"
#include "FakeSeams.h"
#include "app/TForm1.h"
#include "sim/ScriptedDevice.h"
#include "widgets/Chart.h"

using namespace kelvarn;

namespace {

using Answer = Seams::SaveAnswer;

// Forty levels of program A, as a live measurement started from the PC
// takes them.
void FeedLiveCurve(TForm1& w, double base = 50) {
    w.Live().Begin(1);
    for (int i = 0; i < 40; ++i) {
        LiveStep step;
        step.kind = LiveStep::kSample;
        step.raw = LevelToSample(base + i % 5);
        ASSERT_TRUE(w.Live().Accept(step));
    }
}

class CloseGuardTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FakeSeams seams;
    TForm1 form{&seams};

    // A live curve of program A taken over into the evaluation, as
    // "Zur &Auswertung" does after a start from the PC.
    void TakeOverLiveCurve() {
        FeedLiveCurve(form);
        form.TakeOverLive();
    }
};

}  // namespace

TEST_F(CloseGuardTest, NothingNewClosesWithoutAQuestion) {
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(seams.saveQuestions.isEmpty());
}

TEST_F(CloseGuardTest, EachAnswerToTheQuestion) {
    struct Case {
        const char* what;
        Answer answer;
        QString saveName;  // what the save dialog returns; empty = cancelled
        bool closes;
        bool written;
    };
    const Case cases[] = {
        {"Abbrechen keeps the window", Answer::Cancel, "kept.dba", false, false},
        {"Nein ends without saving", Answer::No, "kept.dba", true, false},
        {"Ja saves and ends", Answer::Yes, "kept.dba", true, true},
        {"Ja, then a cancelled save dialog", Answer::Yes, "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSeams caseSeams;
        TForm1 window{&caseSeams};
        FeedLiveCurve(window);
        window.TakeOverLive();
        const QString path =
            dir.filePath(QStringLiteral("%1-%2").arg(int(c.answer)).arg(c.saveName));
        caseSeams.saveName = c.saveName.isEmpty() ? QString() : path;
        caseSeams.saveAnswers = {c.answer};
        EXPECT_EQ(window.close(), c.closes);
        EXPECT_EQ(caseSeams.saveQuestions, QStringList{"Änderungen speichern?"});
        EXPECT_EQ(QFile::exists(path), c.written);
        EXPECT_TRUE(caseSeams.stops.isEmpty());
    }
}

TEST_F(CloseGuardTest, BeendenAsksAndAbbrechenKeepsTheWindow) {
    TakeOverLiveCurve();
    form.show();
    seams.saveAnswers = {Answer::Cancel};
    form.Beenden1Click();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(seams.saveQuestions, QStringList{"Änderungen speichern?"});
    // (Any other answer ends the process's event loops for good, so this
    // process does not try it: the close box covers those answers.)
}

TEST_F(CloseGuardTest, ASavedRecordClosesWithoutAQuestion) {
    TakeOverLiveCurve();
    seams.saveName = dir.filePath("m1.dba");
    form.Speichern1Click();
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(seams.saveQuestions.isEmpty());
}

TEST_F(CloseGuardTest, AnEditedDescriptionAsksAlsoAfterOpening) {
    TakeOverLiveCurve();
    seams.saveName = dir.filePath("m1.dba");
    form.Speichern1Click();

    FakeSeams otherSeams;
    TForm1 other{&otherSeams};
    otherSeams.openName = dir.filePath("m1.dba");
    other.N1Click();
    ASSERT_TRUE(otherSeams.stops.isEmpty());
    EXPECT_TRUE(other.close());  // just opened: all of it is in files
    EXPECT_TRUE(otherSeams.saveQuestions.isEmpty());

    other.Controls().RichEdit1->append("Straße nass");
    EXPECT_FALSE(other.close());
    EXPECT_EQ(otherSeams.saveQuestions.size(), 1);

    // Typed back to what was saved: nothing would be lost.
    other.Controls().RichEdit1->undo();
    EXPECT_TRUE(other.close());
    EXPECT_EQ(otherSeams.saveQuestions.size(), 1);
}

TEST_F(CloseGuardTest, AFailedSaveKeepsTheWindowOpen) {
    TakeOverLiveCurve();
    seams.saveAnswers = {Answer::Yes};
    seams.saveName = dir.filePath("no such folder/m1.dba");
    EXPECT_FALSE(form.close());
    EXPECT_EQ(seams.stops.size(), 1);
}

// Open, read-out and take-over replace the record and its description: with unsaved work they
// ask first; Abbrechen leaves record, description and cell alone, Nein goes ahead.
TEST_F(CloseGuardTest, CommandsThatReplaceTheRecordAskFirst) {
    TakeOverLiveCurve();
    const QString saved = dir.filePath("saved.dba");
    seams.saveName = saved;
    form.Speichern1Click();
    ASSERT_TRUE(QFile::exists(saved));

    struct Case {
        const char* what;
        std::function<void(TForm1&, FakeSeams&)> command;
    };
    const Case cases[] = {
        {"open",
         [&](TForm1& w, FakeSeams& s) {
             s.openName = saved;
             w.N1Click();
         }},
        {"read-out", [](TForm1& w, FakeSeams&) { w.ReadOutCell(); }},
        {"take-over",
         [](TForm1& w, FakeSeams&) {
             FeedLiveCurve(w, 70);
             w.TakeOverLive();
         }},
    };
    // A read-out without a cell says so: that notice shows it was tried.
    for (const Case& c : cases) {
        for (const Answer answer : {Answer::Cancel, Answer::No}) {
            SCOPED_TRACE(std::string(c.what) + (answer == Answer::No ? ", Nein" : ", Abbrechen"));
            ScriptedLink link;
            FakeSeams caseSeams;
            caseSeams.line = &link;
            TForm1 window{&caseSeams};
            FeedLiveCurve(window, 60);
            window.TakeOverLive();
            window.Controls().RichEdit1->setPlainText("Notiz");
            const MeasurementRecord before = window.Document().Record();
            const qsizetype sent = link.log.size();
            caseSeams.saveAnswers = {answer};
            c.command(window, caseSeams);
            EXPECT_EQ(caseSeams.saveQuestions, QStringList{"Änderungen speichern?"});
            const bool kept = window.Document().Record() == before &&
                              window.Controls().RichEdit1->toPlainText() == "Notiz" &&
                              link.log.size() == sent;
            EXPECT_EQ(kept, answer == Answer::Cancel);
        }
    }
}
