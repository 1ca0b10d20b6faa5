#include "fakes/FormFixture.h"

#include <QTest>

using namespace orv;
using namespace orv::test;

class AddFilesTest : public QObject {
    Q_OBJECT
private slots:
    void dialogTitleAndFilter() {
        FormFixture f;
        f.form->PushButton3_Click();
        QCOMPARE(f.interaction.dialogTitles,
                 QStringList{"Add File(s) - Use Ctrl & Shift to select multiple files"});
        QCOMPARE(f.interaction.dialogFilters,
                 QStringList{"PowerPoint Files (*.p*)|*.p*;*.odp;*.otp;*.fodp;*.key|All Files (*.*)|*.*|"});
    }
    void cancelAddsNothingAndSaysNothing() {
        FormFixture f;
        f.form->PushButton3_Click();
        QCOMPARE(f.files().count(), 0);
        QVERIFY(f.interaction.messages.isEmpty());
    }
    void oneFileIsAddedExactlyAsReturned() {
        FormFixture f;
        f.interaction.openAnswers.push_back({"/home/u//odd dir/Deck.PPTX"});
        f.form->PushButton3_Click();
        QCOMPARE(RowTexts(f.files()), QStringList{"/home/u//odd dir/Deck.PPTX"});
    }
    void severalFilesAtTheRootGetOneSeparatorInDialogOrder() {
        FormFixture f;
        f.interaction.openAnswers.push_back({"/c.pptx", "/a.pptx", "/b.pptx"});
        f.form->PushButton3_Click();
        QCOMPARE(RowTexts(f.files()), (QStringList{"/c.pptx", "/a.pptx", "/b.pptx"}));
    }
    void severalFilesInAFolderAndTheSameFileTwiceAppendsDuplicates() {
        FormFixture f;
        f.interaction.openAnswers.push_back({"/d/x.ppt", "/d/y.ppt"});
        f.interaction.openAnswers.push_back({"/d/x.ppt"});
        f.form->PushButton3_Click();
        f.form->PushButton3_Click();
        QCOMPARE(RowTexts(f.files()), (QStringList{"/d/x.ppt", "/d/y.ppt", "/d/x.ppt"}));
    }
    void filesFromSeveralFoldersAreEachAddedWithTheirOwnFolder() {
        FormFixture f;
        // Recent files and typed paths let one selection span folders.
        f.interaction.openAnswers.push_back({"/decks/2023/a.pptx", "/decks/2024/a.pptx", "/b.pptx"});
        f.form->PushButton3_Click();
        QCOMPARE(RowTexts(f.files()), (QStringList{"/decks/2023/a.pptx", "/decks/2024/a.pptx", "/b.pptx"}));
        QVERIFY(f.interaction.messages.isEmpty());
    }
    void aSelectionPastTheBufferAddsNoRowAndSaysSo() {
        FormFixture f;
        // Folder (5) + 300 names of 99 characters + separators + terminators > 30000.
        QStringList picked;
        for (int i = 0; i < 300; ++i)
            picked << QStringLiteral("/deck/%1").arg(i, 99, 10, QLatin1Char('0'));
        f.interaction.openAnswers.push_back(picked);
        f.form->PushButton3_Click();
        QCOMPARE(f.files().count(), 0);
        QCOMPARE(
            f.interaction.texts(),
            QStringList{
                "You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button."});
        QCOMPARE(f.interaction.messages[0].caption, QStringLiteral("Orvandel"));

        // Just inside the limit: 5 + 1 + 299 * (99 + 1) + 1 + 1 characters.
        picked.removeLast();
        f.interaction.openAnswers.push_back(picked);
        f.form->PushButton3_Click();
        QCOMPARE(f.files().count(), 299);
    }
    void clearEmptiesTheListButNotUnderTheHourglass() {
        FormFixture f;
        f.files().add("/a.pptx");
        f.files().add("/b.pptx");
        f.form->setMousePointer(Form1::PointerHourglass);
        f.form->PushButton5_Click();
        QCOMPARE(f.files().count(), 2);
        f.form->setMousePointer(Form1::PointerDefault);
        f.form->PushButton5_Click();
        QCOMPARE(f.files().count(), 0);
        f.form->PushButton5_Click(); // on an empty list: nothing, no report
        QVERIFY(f.interaction.messages.isEmpty());
    }
};

QTEST_MAIN(AddFilesTest)
#include "AddFiles_test.moc"
