#include "base/Failure.h"
#include "shell/gui/Settings.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

using namespace orv;

namespace {

void writeRaw(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readRaw(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Values that need the INI format's quotes and escapes, and the scrambled
// sample record's bytes 1 to 255 stored one character each.
QStringList awkwardValues() {
    QString everyCode;
    for (int c = 1; c <= 255; ++c)
        everyCode += QChar(c);
    return {QStringLiteral("txt"),
            QString(),
            QStringLiteral("@home"),
            QStringLiteral("@@twice"),
            QStringLiteral("a,b;c=d"),
            QStringLiteral(" lead and trail "),
            QStringLiteral("quote\" back\\slash"),
            QStringLiteral("\x01\x02"
                           "abc\x1f"
                           "9"),
            QStringLiteral("/home/u/Präsentationen ü 😀"),
            QStringLiteral("\tx\t"),
            everyCode};
}

} // namespace

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
        QVERIFY(readRaw(path).contains("[Orvandel]"));
    }
    void aStoreThatCannotBeWrittenFails() {
        test::TempDir dir;
        // The store's folder is a file: nothing can be saved there.
        dir.write("blocked", "x");
        Settings s(QString::fromStdString(dir.str()) + "/blocked/Quillmoor.ini");
        QVERIFY_THROWS_EXCEPTION(Failure, s.write("Extension", "ppt"));
    }
    void eachOperationSucceedsOrFailsOnItsOwn() {
        test::TempDir dir;
        const QString folder = QString::fromStdString(dir.str()) + "/store";
        const QString path = folder + "/Quillmoor.ini";
        Settings s(path);
        writeRaw(folder, "a file where the folder belongs");
        QVERIFY_THROWS_EXCEPTION(Failure, s.write("Extension", "ppt"));
        QVERIFY(QFile::remove(folder));
        s.write("Extension", "doc"); // saved, and not reported as failed
        QCOMPARE(s.read("Extension", "*"), QStringLiteral("doc"));

        for (const QByteArray& damage :
             {QByteArray("[Orvandel\nExtension=doc\n"), QByteArray("[Orvandel]\nExtension=d\0c\n", 24),
              QByteArray("[Orvandel]\nExtension=\xff\xfe\n")}) {
            writeRaw(path, damage);
            QVERIFY_THROWS_EXCEPTION(Failure, s.read("Extension", "*"));
            QVERIFY_THROWS_EXCEPTION(Failure, s.read("Extension", "*")); // as long as it stays damaged
            writeRaw(path, "[Orvandel]\nExtension=pptx\n");
            QCOMPARE(s.read("Extension", "*"), QStringLiteral("pptx"));
        }
    }
    void theLastWriteWinsAlsoForReads() {
        test::TempDir dir;
        const QString path = QString::fromStdString(dir.str()) + "/Quillmoor.ini";
        Settings mine(path);
        Settings theirs(path);
        mine.write("Extension", "ppt");
        QCOMPARE(mine.read("Extension", "*"), QStringLiteral("ppt"));
        theirs.write("Extension", "doc");
        QCOMPARE(mine.read("Extension", "*"), QStringLiteral("doc"));
        // Another copy rewrites the file within the same instant and at the same size.
        writeRaw(path, "[Orvandel]\nExtension=xls\n");
        QCOMPARE(mine.read("Extension", "*"), QStringLiteral("xls"));
        mine.write("LastFolder", "/decks");
        QCOMPARE(theirs.read("Extension", "*"), QStringLiteral("xls")); // a write keeps the other keys
        QCOMPARE(theirs.read("LastFolder", ""), QStringLiteral("/decks"));
    }
    void theFileStaysInTheFormatQSettingsReadsAndWrites() {
        test::TempDir dir;
        int n = 0;
        for (const QString& value : awkwardValues()) {
            // A fresh file for each value: QSettings keeps what it read per file.
            const QString ours = QString::fromStdString(dir.str()) + QStringLiteral("/ours%1.ini").arg(++n);
            writeRaw(ours,
                     "[General]\nother=1\n\n[Orvandel]\nLastFolder=/x\n\n[Elsewhere]\nExtension=keep\n");
            Settings(ours).write("Extension", value);
            QSettings reader(ours, QSettings::IniFormat);
            QCOMPARE(reader.value("Orvandel/Extension", "unset").toString(), value);
            QCOMPARE(reader.value("Orvandel/LastFolder").toString(), QStringLiteral("/x"));
            QCOMPARE(reader.value("Elsewhere/Extension").toString(), QStringLiteral("keep"));
            QCOMPARE(reader.value("other").toString(), QStringLiteral("1"));

            const QString theirs = QString::fromStdString(dir.str()) + QStringLiteral("/theirs%1.ini").arg(n);
            {
                QSettings writer(theirs, QSettings::IniFormat);
                writer.setValue("Orvandel/Snapshot", value);
            }
            QCOMPARE(Settings(theirs).read("Snapshot", "unset"), value);
        }
    }
};

QTEST_MAIN(SettingsTest)
#include "Settings_test.moc"
