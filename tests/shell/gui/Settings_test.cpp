#include "shell/Failure.h"
#include "shell/gui/Settings.h"
#include "support/TempDir.h"

#include <QFile>
#include <QTest>

using namespace orv;

class SettingsTest : public QObject {
    Q_OBJECT
private slots:
    void freshStoreGivesDefaults() {
        test::TempDir dir;
        Settings s(QString::fromStdString(dir.str()) + "/Quillmoor.ini");
        QCOMPARE(s.read("Snapshot", ""), QString());
        QCOMPARE(s.read("Extension", "*"), QStringLiteral("*"));
        QCOMPARE(s.read("LastFolder", ""), QString());
    }
    void writtenValuesSurviveANewInstanceUnderTheSection() {
        test::TempDir dir;
        const QString path = QString::fromStdString(dir.str()) + "/Quillmoor.ini";
        {
            Settings s(path);
            s.write("Extension", "txt");
            s.write("LastFolder", "/home/user/Decks, 2024");
        }
        Settings again(path);
        QCOMPARE(again.read("Extension", "*"), QStringLiteral("txt"));
        QCOMPARE(again.read("LastFolder", ""), QStringLiteral("/home/user/Decks, 2024"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("[Orvandel]"));
    }
    void aStoreThatCannotBeWrittenFails() {
        test::TempDir dir;
        // The store's folder is a file: nothing can be saved there.
        dir.write("blocked", "x");
        Settings s(QString::fromStdString(dir.str()) + "/blocked/Quillmoor.ini");
        QVERIFY_THROWS_EXCEPTION(Failure, s.write("Extension", "ppt"));
    }
};

QTEST_MAIN(SettingsTest)
#include "Settings_test.moc"
