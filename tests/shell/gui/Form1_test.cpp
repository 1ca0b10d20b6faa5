#include "base/Failure.h"
#include "fakes/FormFixture.h"
#include "shell/gui/AppIcon.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

using namespace orv;
using namespace orv::test;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void moveOver(QWidget* w) {
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

} // namespace

class Form1Test : public QObject {
    Q_OBJECT
private slots:
    void layoutMatchesTheControlsTable_data();
    void layoutMatchesTheControlsTable();
    void windowCaptionFontsTooltipsAndTabOrder();
    void screenReaderTellsTheListsAndClearButtonsApart_data();
    void screenReaderTellsTheListsAndClearButtonsApart();
    void iconHasTheFourSizes();
    void startUpWithoutSkinOrCursorStaysPlain();
    void skinFileAppliesStyleAndButtonFace();
    void unreadableSkinIsReportedAtStep100AndStartUpGoesOn();
    void skinQtCannotParseIsReportedAtStep100AndNotApplied_data();
    void skinQtCannotParseIsReportedAtStep100AndNotApplied();
    void aDamagedSettingsFileStillRecordsTheSamples();
    void homePageOpensOnlyOnTheSeventhDraw();
    void boxesKeepTheirOwnCaptions();
    void missingReaderShowsTheMessageAndEnds();
    void helpShowsItsMessage();
    void hoverRuleLeavesTheHourglassAlone();
    void closingEndsTheProgram();
};

void Form1Test::layoutMatchesTheControlsTable_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("ListView1") << "ListView1" << QRect(120, 630, 7800, 1935);
    QTest::newRow("ListView2") << "ListView2" << QRect(120, 4170, 7800, 1935);
    QTest::newRow("PushButton3") << "PushButton3" << QRect(120, 2650, 3840, 405);
    QTest::newRow("PushButton6") << "PushButton6" << QRect(4080, 2650, 3840, 405);
    QTest::newRow("PushButton5") << "PushButton5" << QRect(120, 3160, 3840, 405);
    QTest::newRow("PushButton8") << "PushButton8" << QRect(120, 3670, 7800, 405);
    QTest::newRow("PushButton1") << "PushButton1" << QRect(120, 6200, 3840, 405);
    QTest::newRow("PushButton2") << "PushButton2" << QRect(4080, 6200, 3840, 405);
    QTest::newRow("PushButton9") << "PushButton9" << QRect(4080, 6710, 3840, 405);
    QTest::newRow("PushButton7") << "PushButton7" << QRect(120, 120, 7800, 405);
    QTest::newRow("PushButton4") << "PushButton4" << QRect(120, 6710, 3840, 405);
    QTest::newRow("PushButton10") << "PushButton10" << QRect(4080, 3160, 3840, 405);
}

void Form1Test::layoutMatchesTheControlsTable() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    FormFixture f;
    auto* w = f.form->findChild<QWidget*>(name);
    QVERIFY(w);
    const double dpi = f.form->logicalDpiX();
    auto px = [dpi](int t) { return t * dpi / 1440.0; };
    QVERIFY(std::abs(w->x() - px(twips.x())) <= 1);
    QVERIFY(std::abs(w->y() - px(twips.y())) <= 1);
    QVERIFY(std::abs(w->width() - px(twips.width())) <= 1);
    QVERIFY(std::abs(w->height() - px(twips.height())) <= 1);
    QVERIFY(std::abs(f.form->width() - px(8040)) <= 1);
    QVERIFY(std::abs(f.form->height() - px(7215)) <= 1);
}

void Form1Test::windowCaptionFontsTooltipsAndTabOrder() {
    FormFixture f;
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Orvandel"));
    QCOMPARE(f.form->minimumSize(), f.form->maximumSize()); // fixed border
    QVERIFY(!(f.form->windowFlags() & Qt::WindowMaximizeButtonHint));

    const QStringList captions{"Save Results As Text File",
                               "Save As Comma Delimited Text File",
                               "Add PowerPoint File(s)",
                               "Copy Results To Clipboard",
                               "Clear List",
                               "Add All PowerPnt File(s) In Folder",
                               "Help",
                               "Start Extracting",
                               "Clear List",
                               "Load Sample/Example Files"};
    for (int n = 1; n <= 10; ++n) {
        auto* b = f.form->pushButton(n);
        QCOMPARE(b->text(), captions[n - 1]);
        QCOMPARE(b->font().family(), QStringLiteral("Arial"));
        QVERIFY(b->font().bold());
        QCOMPARE(b->font().pointSizeF(), 11.25);
        QVERIFY(b->toolTip().isEmpty());
    }
    for (auto* list : {f.form->ListView1(), f.form->ListView2()}) {
        QCOMPARE(list->widget()->font().pointSizeF(), 9.0);
        QVERIFY(list->widget()->font().bold());
        QCOMPARE(list->columnCount(), 1);
        QCOMPARE(list->count(), 0);
        QVERIFY(std::abs(list->columnWidthTwips(1) - 7000) <= 1440 / f.form->logicalDpiX());
    }
    QCOMPARE(f.files().heading(1), QStringLiteral("PowerPoint File(s)"));
    QCOMPARE(f.results().heading(1), QStringLiteral("Results"));
    QCOMPARE(f.files().widget()->toolTip(),
             QStringLiteral("Drag and drop files here. Double-click item to remove it. Move | "
                            "line to right and out of window to reveal full names."));
    QCOMPARE(f.results().widget()->toolTip(),
             QStringLiteral("Move | line to right and out of window to reveal full names."));

    // Tab order: the two lists, then buttons 3, 6, 5, 8, 1, 2, 9, 7, 4, 10.
    QStringList order;
    QWidget* w = f.form->ListView1()->widget();
    while (order.size() < 12) {
        if (w->focusPolicy() & Qt::TabFocus &&
            (w->objectName().startsWith("PushButton") || w->objectName().startsWith("ListView")))
            order << w->objectName();
        w = w->nextInFocusChain();
    }
    QCOMPARE(order, (QStringList{"ListView1", "ListView2", "PushButton3", "PushButton6", "PushButton5",
                                 "PushButton8", "PushButton1", "PushButton2", "PushButton9", "PushButton7",
                                 "PushButton4", "PushButton10"}));
}

void Form1Test::screenReaderTellsTheListsAndClearButtonsApart_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description"); // empty: not looked at
    QTest::newRow("file list") << "ListView1"
                               << "PowerPoint File(s)"
                               << "";
    QTest::newRow("results list") << "ListView2"
                                  << "Results"
                                  << "";
    QTest::newRow("file-list Clear List") << "PushButton5"
                                          << "Clear List"
                                          << "Clears the PowerPoint File(s) list";
    QTest::newRow("results Clear List") << "PushButton9"
                                        << "Clear List"
                                        << "Clears the Results list";
}

void Form1Test::screenReaderTellsTheListsAndClearButtonsApart() {
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, description);
    FormFixture f;
    auto* w = f.form->findChild<QWidget*>(control);
    QVERIFY(w);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    QVERIFY(a && a->isValid());
    QCOMPARE(a->text(QAccessible::Name), name);
    if (!description.isEmpty())
        QCOMPARE(a->text(QAccessible::Description), description);
}

void Form1Test::iconHasTheFourSizes() {
    const QIcon icon = ProgramIcon();
    for (int size : {32, 48, 128, 256})
        QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
    FormFixture f;
    QVERIFY(!f.form->windowIcon().isNull());
}

void Form1Test::startUpWithoutSkinOrCursorStaysPlain() {
    FormFixture f;
    QVERIFY(!f.form->skinApplied());
    QCOMPARE(f.form->palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(!f.form->hasCustomCursor());
    QVERIFY(f.interaction.messages.isEmpty());
    QCOMPARE(f.endProgramCalls, 0);
    QCOMPARE(f.host.calls, (QStringList{"Create"})); // the reader check
}

void Form1Test::skinFileAppliesStyleAndButtonFace() {
    FormFixture f(false);
    QDir().mkpath(f.programFolder() + "/x");
    writeFile(f.programFolder() + "/x/o.cjs", "QPushButton { color: #123456; }");
    QFile::copy(QStringLiteral(ORVANDEL_SOURCE_DIR "/resources/HAND-M.CUR"),
                f.programFolder() + "/HAND-M.CUR");
    f.form->Form_Load();
    QVERIFY(f.form->skinApplied());
    QVERIFY(f.form->styleSheet().contains("#123456"));
    QCOMPARE(f.form->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
    QVERIFY(f.form->hasCustomCursor());
    QVERIFY(f.interaction.messages.isEmpty());

    // The skin shipped beside the program is one Qt reads.
    FormFixture shipped(false);
    QDir().mkpath(shipped.programFolder() + "/x");
    QVERIFY(QFile::copy(QStringLiteral(ORVANDEL_SOURCE_DIR "/resources/x/o.cjs"),
                        shipped.programFolder() + "/x/o.cjs"));
    shipped.form->Form_Load();
    QVERIFY(shipped.form->skinApplied());
    QVERIFY(shipped.interaction.messages.isEmpty());
}

void Form1Test::unreadableSkinIsReportedAtStep100AndStartUpGoesOn() {
    FormFixture f(false);
    QDir().mkpath(f.programFolder() + "/x");
    writeFile(f.programFolder() + "/x/o.cjs", "x");
    QVERIFY(QFile::resize(f.programFolder() + "/x/o.cjs", 5 << 20)); // no style sheet is that large
    writeFile(f.programFolder() + "/HAND-M.CUR", "not a cursor");
    f.form->Form_Load();
    const auto reports = f.interaction.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].contains("\r\nin Kestrelon2021/08/31.Form1.Form_Load at line 100\r\r"));
    QCOMPARE(f.interaction.messages[0].icon, Interaction::Icon::Warning);
    QVERIFY(!f.form->hasCustomCursor());                         // unreadable cursor: skipped silently
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Orvandel")); // later steps ran
    QCOMPARE(f.files().columnCount(), 1);
}

void Form1Test::skinQtCannotParseIsReportedAtStep100AndNotApplied_data() {
    QTest::addColumn<QByteArray>("skin");
    QTest::newRow("unbalanced braces") << QByteArray("QPushButton { color: #123456; } }");
    QTest::newRow("unclosed block") << QByteArray("QPushButton { color: #123456;");
    QTest::newRow("not text") << QByteArray("QPushButton { color: #123456; }\0\x01\x02", 34);
    QTest::newRow("not utf-8") << QByteArray("QPushButton { color: #123456; } \xff\xfe");
}

void Form1Test::skinQtCannotParseIsReportedAtStep100AndNotApplied() {
    QFETCH(QByteArray, skin);
    FormFixture f(false);
    QDir().mkpath(f.programFolder() + "/x");
    writeFile(f.programFolder() + "/x/o.cjs", skin);
    f.form->Form_Load();
    const auto reports = f.interaction.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].contains("\r\nin Kestrelon2021/08/31.Form1.Form_Load at line 100\r\r"));
    QVERIFY(!f.form->skinApplied());
    QVERIFY(f.form->styleSheet().isEmpty()); // the buttons keep their plain faces
    QVERIFY(f.form->pushButton(1)->styleSheet().isEmpty());
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Orvandel")); // later steps ran
}

void Form1Test::aDamagedSettingsFileStillRecordsTheSamples() {
    FormFixture f(false);
    f.dir.write("program/Samples/one.pptx", "x");
    f.dir.write("settings/Quillmoor.ini", "[Orvandel\nExtension=ppt\n");
    f.form->Form_Load();
    const auto reports = f.interaction.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].contains("in Kestrelon2021/08/31.Form1.Form_Load at line 108\r\r"));
    // The failed test of Snapshot goes on into the recording it guards.
    const std::string stored = test::ReadFileBytes(f.dir.path() / "settings/Quillmoor.ini");
    QVERIFY(stored.find("Snapshot=") != std::string::npos);
    QCOMPARE(f.files().columnCount(), 1);
}

void Form1Test::homePageOpensOnlyOnTheSeventhDraw() {
    for (double draw : {0.0, 0.05, 0.059, 0.06, 0.065, 0.0699, 0.07, 0.99}) {
        FormFixture f(false);
        f.random.value = draw;
        f.form->Form_Load();
        const bool seventh = draw >= 0.06 && draw < 0.07;
        QCOMPARE(f.interaction.openedUrls,
                 seventh ? QStringList{"https://quillmoor.example/orvandel"} : QStringList{});
    }
}

void Form1Test::boxesKeepTheirOwnCaptions() {
    FormFixture f;
    // Qt appends an application display name to every window's caption, so
    // the start-up must not set one: boxes show exactly their own captions.
    QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
    f.interaction.onMessage = [&](const ScriptedInteraction::Message& m) {
        if (m.caption != QStringLiteral("Application Error"))
            throw Failure("the box cannot be shown");
    };
    f.form->PushButton7_Click(); // Help fails, and the failure is reported
    QCOMPARE(f.interaction.messages.size(), 2);
    QCOMPARE(f.interaction.messages[1].caption, QStringLiteral("Application Error"));
    QCOMPARE(f.interaction.messages[0].caption, QStringLiteral("Orvandel"));
}

void Form1Test::missingReaderShowsTheMessageAndEnds() {
    FormFixture f(false);
    f.host.installed = false;
    f.form->Form_Load();
    QCOMPARE(
        f.interaction.texts(),
        QStringList{"PowerPoint is not installed on this computer. You need to have it installed to use this "
                    "software without error."});
    QCOMPARE(f.interaction.messages[0].caption, QStringLiteral("Orvandel"));
    QCOMPARE(f.interaction.messages[0].icon, Interaction::Icon::None);
    QCOMPARE(f.endProgramCalls, 1);
    QCOMPARE(f.results().columnCount(), 1); // the lists were set up first
}

void Form1Test::helpShowsItsMessage() {
    FormFixture f;
    QTest::mouseClick(f.form->pushButton(7), Qt::LeftButton);
    QCOMPARE(f.interaction.messages.size(), 1);
    const auto& m = f.interaction.messages[0];
    const QString designed = QStringLiteral("This program works with PowerPoint Presentations like .ppt and "
                                            ".pptx but not PowerPoint Shows like .pps");
    QCOMPARE(m.text, designed);
    QCOMPARE(m.caption, QStringLiteral("Orvandel"));
    QCOMPARE(m.buttons, Interaction::Buttons::Ok);
    QCOMPARE(m.icon, Interaction::Icon::None);
    QVERIFY(f.interaction.openedUrls.isEmpty());

    // With the reading of all text turned on, the box says so and how to turn it off.
    f.form->pushButton(8)->findChild<QAction*>(QStringLiteral("AllTextAction"))->setChecked(true);
    QTest::mouseClick(f.form->pushButton(7), Qt::LeftButton);
    QCOMPARE(f.interaction.messages[1].text,
             designed +
                 QStringLiteral("\n\nAll text is read: groups, tables, charts, alternative text, diagrams, "
                                "notes, comments, mailto: links, masters, layouts and embedded documents "
                                "too. Right-click \"Start Extracting\" to turn it off."));
}

void Form1Test::hoverRuleLeavesTheHourglassAlone() {
    FormFixture f;
    for (int n = 1; n <= 10; ++n) {
        f.form->setMousePointer(Form1::PointerDefault);
        moveOver(f.form->pushButton(n));
        QCOMPARE(f.form->mousePointer(), Form1::PointerCustom);
    }
    moveOver(f.form.get());
    QCOMPARE(f.form->mousePointer(), Form1::PointerDefault);
    f.form->setMousePointer(Form1::PointerCustom);
    moveOver(f.results().viewport());
    QCOMPARE(f.form->mousePointer(), Form1::PointerDefault);

    f.form->setMousePointer(Form1::PointerHourglass);
    QCOMPARE(f.form->cursor().shape(), Qt::WaitCursor);
    for (QWidget* w : {static_cast<QWidget*>(f.form->pushButton(8)), static_cast<QWidget*>(f.form.get()),
                       f.results().viewport(), f.files().viewport()}) {
        moveOver(w);
        QCOMPARE(f.form->mousePointer(), Form1::PointerHourglass);
    }
}

void Form1Test::closingEndsTheProgram() {
    FormFixture f;
    f.form->show();
    QCOMPARE(f.endProgramCalls, 0);
    f.form->close();
    QCOMPARE(f.endProgramCalls, 1);
}

QTEST_MAIN(Form1Test)
#include "Form1_test.moc"
