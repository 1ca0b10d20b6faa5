#include "fakes/FormFixture.h"
#include "filelist/SampleFiles.h"

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
    // A record is kept while one of its paths exists; one whose paths are all
    // gone (an older copy's folder) is made again from the samples here.
    void startUpRecordsAgainOnlyWhenNoRecordedPathExists_data() {
        QTest::addColumn<QStringList>("recorded"); // "gone/" names a folder that no longer exists
        QTest::addColumn<QStringList>("samples");  // the files in the samples folder now
        QTest::addColumn<QStringList>("expected");
        const QStringList here{"program/Samples/new.pptx"};
        QTest::newRow("older copy's folder gone")
            << QStringList{"gone/Samples/a.pptx", "gone/Samples/b.ppt"} << QStringList{"new.pptx"} << here;
        QTest::newRow("gone, and no samples here either")
            << QStringList{"gone/Samples/a.pptx"} << QStringList{} << QStringList{};
        QTest::newRow("one recorded path left")
            << QStringList{"gone/Samples/a.pptx", "program/Samples/new.pptx"}
            << QStringList{"new.pptx", "newer.pptx"}
            << QStringList{"gone/Samples/a.pptx", "program/Samples/new.pptx"};
    }
    void startUpRecordsAgainOnlyWhenNoRecordedPathExists() {
        QFETCH(QStringList, recorded);
        QFETCH(QStringList, samples);
        QFETCH(QStringList, expected);
        FormFixture f(false);
        const QString root = QString::fromStdString(f.dir.str()) + "/";
        auto full = [&](QStringList paths) {
            for (QString& p : paths)
                p.prepend(root);
            return paths.join('|').toStdString();
        };
        f.settings.write("Snapshot", QString::fromLatin1(ScrambleText(full(recorded), kSampleKey)));
        for (const QString& name : samples)
            f.dir.write("program/Samples/" + name.toStdString(), "x");
        f.form->Form_Load();
        const QByteArray stored = f.settings.read("Snapshot", "").toLatin1();
        QCOMPARE(UnscrambleText(stored.toStdString(), kSampleKey), full(expected));
        QVERIFY(f.interaction.errorReports().isEmpty());
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
