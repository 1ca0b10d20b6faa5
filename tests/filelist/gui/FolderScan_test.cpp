#include "fakes/FormFixture.h"
#include "shell/gui/ProgressCaption.h"

#include <QTest>

using namespace orv;
using namespace orv::test;

class FolderScanTest : public QObject {
    Q_OBJECT
private slots:
    void cancellingThePromptSavesNothing() {
        FormFixture f;
        f.form->PushButton6_Click();
        QCOMPARE(f.interaction.inputPrompts,
                 QStringList{
                     "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all "
                     "doc files, etc.)"});
        QCOMPARE(f.interaction.inputDefaults, QStringList{"*"});
        QVERIFY(f.interaction.folderStarts.isEmpty());
        QCOMPARE(f.settings.read("Extension", "unset"), QStringLiteral("unset"));
    }
    void cancellingTheBrowserKeepsTheExtensionAndNotTheFolder() {
        FormFixture f;
        f.settings.write("LastFolder", "/earlier");
        f.interaction.inputAnswers.push_back("ppt");
        f.form->PushButton6_Click();
        QCOMPARE(f.settings.read("Extension", "*"), QStringLiteral("ppt"));
        QCOMPARE(f.settings.read("LastFolder", ""), QStringLiteral("/earlier"));
        QCOMPARE(f.interaction.folderStarts, QStringList{"/earlier"});
        QCOMPARE(f.interaction.dialogTitles, QStringList{"Please select folder:"});
        QCOMPARE(f.files().count(), 0);

        // The next scan offers what was typed last.
        f.form->PushButton6_Click();
        QCOMPARE(f.interaction.inputDefaults.last(), QStringLiteral("ppt"));
    }
    void aScanAddsTheTreeLevelByLevelAndRemembersTheFolder() {
        FormFixture f;
        const TempDir tree;
        tree.write("F/one.pptx", "x");
        tree.write("F/~$one.pptx", "x");
        tree.write("F/.hidden.pptx", "x");
        tree.write("F/notes.txt", "x");
        tree.write("F/A/two.PPTX", "x");
        tree.write("F/B/three.pptx", "x");
        tree.write("F/A/A1/four.pptx", "x");
        tree.write("F/bad\xFF.pptx", "x");         // not UTF-8: a row would name no file
        tree.write("F/B/back\\\\slash.pptx", "x"); // backslashes are part of the name
        const QString folder = QString::fromStdString((tree.path() / "F").string());
        f.interaction.inputAnswers.push_back("pptx");
        f.interaction.folderAnswers.push_back(folder);
        int pointerDuringScan = -1;
        f.pump.at[1] = [&] { pointerDuringScan = f.form->mousePointer(); };
        f.form->PushButton6_Click();
        QCOMPARE(RowTexts(f.files()),
                 (QStringList{folder + "/one.pptx", folder + "/A/two.PPTX", folder + "/B/back\\\\slash.pptx",
                              folder + "/B/three.pptx", folder + "/A/A1/four.pptx"}));
        QCOMPARE(f.settings.read("LastFolder", ""), folder);
        QCOMPARE(pointerDuringScan, Form1::PointerHourglass);
        QCOMPARE(f.form->mousePointer(), Form1::PointerDefault);
        QVERIFY(f.interaction.messages.isEmpty());
    }
    void aLongScanTellsInTheCaptionWhatItFoundSoFar() {
        FormFixture f;
        const TempDir tree;
        for (const char* name : {"A/1.pptx", "A/2.pptx", "B/3.pptx", "C/4.pptx", "D/5.pptx", "6.pptx"})
            tree.write(std::string("F/") + name, "x");
        f.clock.step = ProgressCaption::kDelayMs / 2; // every look at the clock: a quarter second later
        QStringList captions;
        f.pump.each = [&] { captions << f.form->windowTitle(); };
        f.interaction.inputAnswers.push_back("pptx");
        f.interaction.folderAnswers.push_back(QString::fromStdString((tree.path() / "F").string()));
        f.form->PushButton6_Click();
        QCOMPARE(f.files().count(), 6);
        QVERIFY(captions.size() >= 5); // the window repaints while files are listed, too
        QCOMPARE(captions.first(), QStringLiteral("Orvandel"));
        QCOMPARE(captions.last(), QStringLiteral("Scanning: 5 folders, 6 files found \u2014 Orvandel"));
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Orvandel"));
    }
};

QTEST_MAIN(FolderScanTest)
#include "FolderScan_test.moc"
