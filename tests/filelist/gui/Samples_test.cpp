#include "fakes/FormFixture.h"

#include <QTest>

using namespace orv;
using namespace orv::test;

namespace {
const QString kQuestion =
    QStringLiteral("Would you like this software to open the folder where these sample files are "
                   "stored (so that you can view them before working with them)?");
}

class SamplesTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartRecordsTheSamplesAndTheButtonAddsEachOnce() {
        FormFixture f(false);
        const std::string program = f.programFolder().toStdString();
        f.dir.write("program/Samples/one.pptx", "x");
        f.dir.write("program/Samples/two.ppt", "x");
        f.form->Form_Load();
        const QString snapshot = f.settings.read("Snapshot", "");
        QVERIFY(!snapshot.isEmpty());
        QVERIFY(!snapshot.contains("one.pptx")); // scrambled
        QCOMPARE(f.files().count(), 0);

        f.files().add(f.programFolder() + "/Samples/ONE.pptx"); // other letter case: still added
        f.form->PushButton10_Click();
        f.form->PushButton10_Click();
        QCOMPARE(RowTexts(f.files()), (QStringList{f.programFolder() + "/Samples/ONE.pptx",
                                                   f.programFolder() + "/Samples/one.pptx",
                                                   f.programFolder() + "/Samples/two.ppt"}));
        QCOMPARE(f.interaction.texts(), (QStringList{kQuestion, kQuestion}));
        QVERIFY(f.interaction.openedUrls.isEmpty()); // answered No

        // A deleted sample is skipped; Yes opens the folder.
        std::filesystem::remove(f.dir.path() / "program/Samples/two.ppt");
        f.files().clearRows();
        f.interaction.answers.push_back(Interaction::Answer::Yes);
        f.form->PushButton10_Click();
        QCOMPARE(RowTexts(f.files()), QStringList{f.programFolder() + "/Samples/one.pptx"});
        QCOMPARE(f.interaction.openedUrls.size(), 1);
        QVERIFY(f.interaction.openedUrls[0].endsWith("/program/Samples"));
    }
    void aRecordedSnapshotIsNotRecordedAgain() {
        FormFixture f(false);
        f.settings.write("Snapshot", "kept as it was");
        f.dir.write("program/Samples/new.pptx", "x");
        f.form->Form_Load();
        QCOMPARE(f.settings.read("Snapshot", ""), QStringLiteral("kept as it was"));
    }
    void withoutSamplesNothingIsAddedButTheQuestionComes() {
        FormFixture f;
        QCOMPARE(f.settings.read("Snapshot", "unset"), QString());
        f.form->PushButton10_Click();
        QCOMPARE(f.files().count(), 0);
        QCOMPARE(f.interaction.texts(), QStringList{kQuestion});
    }
};

QTEST_MAIN(SamplesTest)
#include "Samples_test.moc"
