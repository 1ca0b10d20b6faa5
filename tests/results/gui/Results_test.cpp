#include "base/Failure.h"
#include "fakes/FormFixture.h"
#include "results/gui/ClipboardText.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTest>

using namespace orv;
using namespace orv::test;

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
const QString kListTip = QStringLiteral("Move | line to right and out of window to reveal full names.");

// Rows as a run adds them, each with where it was found.
void addSourcedResults(FormFixture& f) {
    f.results().add("a@b.cc", RowSource{"/d/one.pptx", 2, "table", "Table 1"});
    f.results().add("m@n.oo", RowSource{"/d/two\x1b.odp", 0, "master", ""});
    f.results().add("z@y.xx", RowSource{"/d/=three,x.ppt", 1, "shape", "-Title 1"});
}
} // namespace

class ResultsTest : public QObject {
    Q_OBJECT
private slots:
    void savedBytes_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text, empty") << QStringList{} << false << QByteArray("");
        QTest::newRow("comma, empty") << QStringList{} << true << QByteArray("\r\n");
        QTest::newRow("text, one") << QStringList{"A@b.cc"} << false << QByteArray("A@b.cc\r\n");
        QTest::newRow("comma, one") << QStringList{"A@b.cc"} << true << QByteArray("A@b.cc,\r\n");
        QTest::newRow("text, several in list order") << QStringList{"z@x.org", "a@x.org", "m@x.org"} << false
                                                     << QByteArray("z@x.org\r\na@x.org\r\nm@x.org\r\n");
        QTest::newRow("comma, several in list order") << QStringList{"z@x.org", "a@x.org", "m@x.org"} << true
                                                      << QByteArray("z@x.org,a@x.org,m@x.org,\r\n");
        QTest::newRow("utf-8, no byte-order mark")
            << QStringList{"ü@x.org"} << false << QByteArray("\xC3\xBC@x.org\r\n");
    }
    void savedBytes() {
        QFETCH(QStringList, rows);
        QFETCH(bool, comma);
        QFETCH(QByteArray, bytes);
        FormFixture f;
        f.addResults(rows);
        const QString path = QString::fromStdString(f.dir.str()) + "/out"; // typed without extension
        f.interaction.saveAnswers.push_back(path);
        comma ? f.form->PushButton2_Click() : f.form->PushButton1_Click();
        QCOMPARE(readAll(path), bytes);
        QVERIFY(f.interaction.messages.isEmpty()); // new file: no question, no confirmation
        QCOMPARE(f.form->mousePointer(), Form1::PointerDefault);
        QCOMPARE(f.interaction.dialogTitles, QStringList{"Save"});
        QCOMPARE(f.interaction.dialogFilters, QStringList{"Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"});
        QCOMPARE(f.pump.count, rows.size()); // one pump per row
    }
    void overwriteQuestionAndItsAnswers() {
        FormFixture f;
        f.addResults({"a@b.cc"});
        const QString path = QString::fromStdString(f.dir.str()) + "/old.txt";
        writeAll(path, "precious");
        f.interaction.saveAnswers.push_back(path);
        f.interaction.answers.push_back(Interaction::Answer::No);
        f.form->PushButton1_Click();
        QCOMPARE(readAll(path), QByteArray("precious"));
        QCOMPARE(f.interaction.texts(), QStringList{"Are you sure you wish to overwrite " + path + " ?"});
        QCOMPARE(f.interaction.messages[0].buttons, Interaction::Buttons::YesNo);

        f.interaction.saveAnswers.push_back(path);
        f.interaction.answers.push_back(Interaction::Answer::Yes);
        f.form->PushButton2_Click();
        QCOMPARE(readAll(path), QByteArray("a@b.cc,\r\n")); // replaced, not appended

        // A question that cannot be asked is reported and was not answered Yes.
        writeAll(path, "precious");
        f.interaction.saveAnswers.push_back(path);
        f.interaction.onMessage = [](const ScriptedInteraction::Message& m) {
            if (m.caption != QStringLiteral("Application Error"))
                throw Failure("the question cannot be shown");
        };
        f.form->PushButton1_Click();
        QCOMPARE(f.interaction.errorReports().size(), 1);
        QVERIFY(f.interaction.errorReports()[0].contains("PushButton1_Click at line 122"));
        QCOMPARE(readAll(path), QByteArray("precious"));
        QCOMPARE(f.form->mousePointer(), Form1::PointerDefault);
    }
    void cancelCreatesNothing() {
        FormFixture f;
        f.addResults({"a@b.cc"});
        f.form->PushButton1_Click();
        QVERIFY(f.interaction.messages.isEmpty());
        QCOMPARE(QDir(QString::fromStdString(f.dir.str())).entryList(QDir::Files).size(), 0);
    }
    void aSaveThatCannotBeWrittenReportsOnceAndKeepsTheOldFile() {
        FormFixture f;
        f.addResults({"a@b.cc", "c@d.ee", "e@f.gg"});
        f.interaction.saveAnswers.push_back(QString::fromStdString(f.dir.str()) + "/missing/folder/out.txt");
        f.form->PushButton1_Click();
        QCOMPARE(f.interaction.errorReports().size(), 1);
        QVERIFY(f.interaction.errorReports()[0].contains(
            "in Kestrelon2021/08/31.Form1.PushButton1_Click at line 130"));
        QCOMPARE(f.form->mousePointer(), Form1::PointerDefault);

        // The list is cleared while the save lets the event loop run: one report,
        // and the existing file keeps its content.
        FormFixture g;
        g.addResults({"a@b.cc", "c@d.ee", "e@f.gg"});
        const QString path = QString::fromStdString(g.dir.str()) + "/keep.txt";
        writeAll(path, "precious");
        g.interaction.saveAnswers.push_back(path);
        g.interaction.answers.push_back(Interaction::Answer::Yes);
        g.pump.at[2] = [&] { g.form->PushButton9_Click(); };
        g.form->PushButton2_Click();
        QCOMPARE(g.interaction.errorReports().size(), 1);
        QVERIFY(g.interaction.errorReports()[0].contains("PushButton2_Click at line 136"));
        QCOMPARE(readAll(path), QByteArray("precious"));
        QCOMPARE(QDir(QString::fromStdString(g.dir.str())).entryList(QDir::Files), QStringList{"keep.txt"});
        QCOMPARE(g.form->mousePointer(), Form1::PointerDefault);
    }
    void clipboardTakesTickedRowsOrAllAndSaysWhenThereAreNone() {
        FormFixture f;
        f.form->PushButton4_Click(); // empty list: the clipboard untouched, and said so
        QCOMPARE(f.clipboard.text, QStringLiteral("previous content"));
        QCOMPARE(f.clipboard.clearAttempts + f.clipboard.setAttempts, 0);
        QCOMPARE(f.interaction.texts(), QStringList{"There are no results to copy."});
        QCOMPARE(f.interaction.messages[0].caption, QStringLiteral("Orvandel"));
        QCOMPARE(f.interaction.messages[0].buttons, Interaction::Buttons::Ok);
        QCOMPARE(f.interaction.messages[0].icon, Interaction::Icon::None);

        f.addResults({"A@x.org", "B@x.org", "C@x.org"});
        f.form->PushButton4_Click();
        QCOMPARE(f.clipboard.text, QStringLiteral("A@x.org\r\nB@x.org\r\nC@x.org\r\n"));
        QCOMPARE(f.interaction.texts().last(),
                 QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area "
                                "where you normally type and press Ctrl+V to paste the clipboard."));
        f.results().setChecked(1, true);
        f.results().setChecked(3, true);
        f.form->PushButton4_Click();
        QCOMPARE(f.clipboard.text, QStringLiteral("A@x.org\r\nC@x.org\r\n"));
    }
    void rowsRemovedDuringTheCopyGiveOneReportAndKeepTheClipboard() {
        FormFixture f;
        f.addResults({"A@x.org", "B@x.org", "C@x.org"});
        f.pump.at[2] = [&] { f.form->PushButton9_Click(); }; // the list is cleared meanwhile
        f.form->PushButton4_Click();
        QCOMPARE(f.interaction.errorReports().size(), 1);
        QVERIFY(f.interaction.errorReports()[0].contains("PushButton4_Click at line 106"));
        QCOMPARE(f.clipboard.text, QStringLiteral("previous content"));
        QCOMPARE(f.clipboard.clearAttempts + f.clipboard.setAttempts, 0);
        QCOMPARE(f.interaction.texts().last(),
                 QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area "
                                "where you normally type and press Ctrl+V to paste the clipboard."));
    }
    // A row keeps where it was found, beside its cells, through Delete; Clear
    // takes the sources with the rows. The tool tip is the list's own text,
    // then the source, file text escaped.
    void rowsKeepTheirSourcesAndShowThemInTheirToolTips() {
        FormFixture f;
        addSourcedResults(f);
        QCOMPARE(f.results().toolTip(1),
                 kListTip + "\nFile: /d/one.pptx\nSlide: 2\nPlace: table\nShape: Table 1");
        QCOMPARE(f.results().toolTip(2),
                 kListTip + "\nFile: /d/two\\x1b.odp\nSlide: none (a master, a layout or an embedded "
                            "document)\nPlace: master");
        QCOMPARE(f.results().cell(1, 1), QStringLiteral("a@b.cc"));
        f.results().select(2);
        QTest::keyClick(f.form->ListView2()->widget(), Qt::Key_Delete);
        QCOMPARE(RowTexts(f.results()), (QStringList{"a@b.cc", "z@y.xx"}));
        QCOMPARE(*f.results().source(1), (RowSource{"/d/one.pptx", 2, "table", "Table 1"}));
        QCOMPARE(*f.results().source(2), (RowSource{"/d/=three,x.ppt", 1, "shape", "-Title 1"}));
        QVERIFY(f.results().toolTip(2).endsWith("\nShape: -Title 1"));
        f.results().setChecked(2, true); // the copy takes the cells alone
        f.form->PushButton4_Click();
        QCOMPARE(f.clipboard.text, QStringLiteral("z@y.xx\r\n"));
        f.form->PushButton9_Click();
        f.addResults({"bare@b.cc"}); // a row without a source shows the list's text alone
        QCOMPARE(f.results().source(1), nullptr);
        QCOMPARE(f.results().toolTip(1), kListTip);
    }
    // "Save With Sources..." in the menu of "Save Results As Text File":
    // the save's dialog and question, and the command line's CSV.
    void saveWithSourcesWritesTheCsv() {
        FormFixture f;
        addSourcedResults(f);
        f.addResults({"bare@b.cc"});
        const QString path = QString::fromStdString(f.dir.str()) + "/old.csv";
        writeAll(path, "precious");
        f.interaction.saveAnswers.push_back(path);
        f.interaction.answers.push_back(Interaction::Answer::Yes);
        auto* action = f.form->pushButton(1)->findChild<QAction*>(QStringLiteral("SaveWithSourcesAction"));
        QVERIFY(action);
        QCOMPARE(action->text(), QStringLiteral("Save With Sources..."));
        QVERIFY(f.form->pushButton(1)->findChild<QMenu*>()->actions().contains(action));
        action->trigger();
        QCOMPARE(f.interaction.texts(), QStringList{"Are you sure you wish to overwrite " + path + " ?"});
        QCOMPARE(f.interaction.dialogTitles, QStringList{"Save"});
        QCOMPARE(readAll(path), QByteArray("address,file,slide,place,name\r\n"
                                           "a@b.cc,/d/one.pptx,2,table,Table 1\r\n"
                                           "m@n.oo,/d/two\xEF\xBF\xBD.odp,0,master,\r\n"
                                           "z@y.xx,\"/d/=three,x.ppt\",1,shape,'-Title 1\r\n"
                                           "bare@b.cc,,,,\r\n"));
        QCOMPARE(f.pump.count, 4); // one pump per row
        QCOMPARE(f.form->mousePointer(), Form1::PointerDefault);

        // A failure is reported under the save's own name, with the text save's steps.
        f.interaction.saveAnswers.push_back(QString::fromStdString(f.dir.str()) + "/missing/out.csv");
        f.form->SaveWithSources_Click();
        QCOMPARE(f.interaction.errorReports().size(), 1);
        QVERIFY(f.interaction.errorReports()[0].contains(
            "in Kestrelon2021/08/31.Form1.SaveWithSources_Click at line 130"));
    }
    void clipboardTableIsPaddedAndTabbed() {
        QVector<CopiedRow> rows{{{"ab", "x"}, true}, {{"abcd", "yz"}, true}};
        QCOMPARE(ClipboardTableText(rows, 2), QStringLiteral("ab  \tx\r\nabcd\tyz\r\n"));
        // An empty row gives an empty line; blanks are trimmed only at a row's end.
        QVector<CopiedRow> empty{{{""}, true}, {{" lead  "}, true}};
        QCOMPARE(ClipboardTableText(empty, 1), QStringLiteral("\r\n lead\r\n"));
        QVector<CopiedRow> blanks{{{"", ""}, true}, {{" lead", "trail  "}, true}};
        QCOMPARE(ClipboardTableText(blanks, 2), QStringLiteral("     \t\r\n lead\ttrail\r\n"));
    }
    void clipboardRetriesUntilItSucceeds() {
        FakeClipboard board;
        board.refuseClears = 5;
        board.refuseSets = 999;
        ClearClipboard(board);
        QVERIFY(SetClipboardText(board, "x"));
        QCOMPARE(board.clearAttempts, 6);
        QCOMPARE(board.setAttempts, 1000);
        QCOMPARE(board.text, QStringLiteral("x"));
        board.refuseSets = 1000;
        QVERIFY(!SetClipboardText(board, "y"));
        QCOMPARE(board.text, QStringLiteral("x"));
    }
    void deleteKeyAndClear() {
        FormFixture f;
        f.form->PushButton9_Click(); // empty: nothing, no report
        QVERIFY(f.interaction.messages.isEmpty());
        f.addResults({"a@b.cc", "c@d.ee"});
        f.results().select(2);
        f.form->setMousePointer(Form1::PointerHourglass);
        QTest::keyClick(f.form->ListView2()->widget(), Qt::Key_Delete);
        QCOMPARE(f.results().count(), 2);
        f.form->setMousePointer(Form1::PointerDefault);
        QTest::keyClick(f.form->ListView2()->widget(), Qt::Key_Backspace);
        QCOMPARE(f.results().count(), 2);
        QTest::keyClick(f.form->ListView2()->widget(), Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(f.results().count(), 1);
        QCOMPARE(f.results().text(1), QStringLiteral("a@b.cc"));
        f.results().select(1);
        QTest::keyClick(f.form->ListView2()->widget(), Qt::Key_Delete);
        QCOMPARE(f.results().count(), 0);
        QTest::keyClick(f.form->ListView2()->widget(), Qt::Key_Delete); // on an empty list: nothing at all
        QCOMPARE(f.results().count(), 0);
        QVERIFY(f.interaction.messages.isEmpty());
        f.addResults({"x@y.zz"});
        f.form->PushButton9_Click();
        QCOMPARE(f.results().count(), 0);
    }
};

QTEST_MAIN(ResultsTest)
#include "Results_test.moc"
