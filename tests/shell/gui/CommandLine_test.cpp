// The window program as a user starts it, with no display to open a window on.
#include "shell/WindowCommandLine.h"

#include <QProcess>
#include <QTest>

namespace {

struct Outcome {
    int status = -1;
    bool normalExit = false;
    QByteArray out;
};

Outcome runProgram(const QStringList& args) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(ORVANDEL_PROGRAM_DIR "/orvandel"), args);
    if (!program.waitForFinished(60000)) {
        program.kill();
        program.waitForFinished();
    }
    return {program.exitCode(), program.exitStatus() == QProcess::NormalExit,
            program.readAllStandardOutput()};
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void helpAndVersionAnswerWithoutADisplay_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("--help") << QStringList{"--help"} << QByteArray::fromStdString(orv::WindowUsage());
        QTest::newRow("-h after a path")
            << QStringList{"/no/such.pptx", "-h"} << QByteArray::fromStdString(orv::WindowUsage());
        QTest::newRow("--version") << QStringList{"--version"}
                                   << QByteArray::fromStdString(orv::WindowVersion());
    }
    void helpAndVersionAnswerWithoutADisplay() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, out);
        const Outcome outcome = runProgram(args);
        QVERIFY(outcome.normalExit);
        QCOMPARE(outcome.status, 0);
        QCOMPARE(outcome.out, out);
    }
    // Anything else still needs the window, so without a display the program
    // cannot start: what shows that the answers above came before it.
    void anythingElseStillWantsTheWindow() {
        const Outcome outcome = runProgram({"--", "--help"});
        QVERIFY(!outcome.normalExit || outcome.status != 0);
        QVERIFY(outcome.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLine_test.moc"
