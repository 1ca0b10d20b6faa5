#include "base/Failure.h"
#include "shell/gui/ListControl.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QTest>
#include <QWidget>

#include <functional>

using namespace orv;

namespace {

// Each call must fail with the list's own description.
void expectOutOfBounds(const std::function<void()>& call) {
    try {
        call();
        QFAIL("no failure");
    } catch (const Failure& f) {
        QCOMPARE(QString::fromStdString(f.what()), QStringLiteral("Index out of bounds"));
    }
}

QStringList texts(const ListControl& list) {
    QStringList out;
    for (int i = 1; i <= list.count(); ++i)
        out << list.text(i);
    return out;
}

struct Shown {
    QWidget window;
    ListControl list{&window, QStringLiteral("List")};
    Shown() {
        list.addColumn(QStringLiteral("Heading"));
        list.widget()->setGeometry(0, 0, 300, 200);
        window.resize(300, 200);
        window.show();
    }
};

} // namespace

class ListControlTest : public QObject {
    Q_OBJECT
private slots:
    void rowsCountFromOneAndLaterRowsMoveUp() {
        QWidget window;
        ListControl list(&window, QStringLiteral("List"));
        list.addColumn(QStringLiteral("Heading"));
        QCOMPARE(list.count(), 0);
        for (const char* t : {"a", "b", "c", "d"})
            list.add(QString::fromLatin1(t));
        // Appended rows count at once, before the view has been told of them.
        QCOMPARE(list.count(), 4);
        QCOMPARE(texts(list), (QStringList{"a", "b", "c", "d"}));
        list.remove(2);
        QCOMPARE(texts(list), (QStringList{"a", "c", "d"}));
        QApplication::processEvents();
        list.remove(3);
        list.setText(1, QStringLiteral("A"));
        QCOMPARE(texts(list), (QStringList{"A", "c"}));
        QCOMPARE(list.cell(2, 1), QStringLiteral("c"));
        list.clearRows();
        QCOMPARE(list.count(), 0);
        list.add(QStringLiteral("e"));
        QCOMPARE(texts(list), QStringList{"e"});
    }

    void anIndexOutsideTheRowsFails() {
        QWidget window;
        ListControl list(&window, QStringLiteral("List"));
        list.addColumn(QStringLiteral("Heading"));
        list.setCheckable(true);
        list.add(QStringLiteral("only"));
        for (int bad : {0, 2, -1}) {
            expectOutOfBounds([&] { list.text(bad); });
            expectOutOfBounds([&] { list.setText(bad, QStringLiteral("x")); });
            expectOutOfBounds([&] { list.remove(bad); });
            expectOutOfBounds([&] { list.select(bad); });
            expectOutOfBounds([&] { list.ensureVisible(bad); });
            expectOutOfBounds([&] { list.checked(bad); });
            expectOutOfBounds([&] { list.setChecked(bad, true); });
            expectOutOfBounds([&] { list.cell(bad, 1); });
        }
        expectOutOfBounds([&] { list.cell(1, 2); });
        expectOutOfBounds([&] { list.setColumnWidthTwips(2, 100); });
        QCOMPARE(texts(list), QStringList{"only"});
        list.remove(1);
        expectOutOfBounds([&] { list.text(1); });
    }

    void newRowsAreUntickedAndTicksStayWithTheirRows() {
        QWidget window;
        ListControl list(&window, QStringLiteral("Results"));
        list.addColumn(QStringLiteral("Results"));
        list.setCheckable(true);
        for (const char* t : {"a", "b", "c"})
            list.add(QString::fromLatin1(t));
        for (int i = 1; i <= 3; ++i)
            QVERIFY(!list.checked(i));
        list.setChecked(3, true); // before the view knows the row
        QApplication::processEvents();
        list.setChecked(2, true);
        list.remove(1);
        QVERIFY(list.checked(1)); // "b"
        QVERIFY(list.checked(2)); // "c"
        list.setChecked(1, false);
        list.add(QStringLiteral("d"));
        QVERIFY(!list.checked(1));
        QVERIFY(!list.checked(3));
    }

    void theUserTicksARowWithTheSpaceKey() {
        Shown s;
        s.list.setCheckable(true);
        s.list.add(QStringLiteral("a"));
        s.list.add(QStringLiteral("b"));
        s.list.select(2);
        QTest::keyClick(s.list.widget(), Qt::Key_Space);
        QVERIFY(!s.list.checked(1));
        QVERIFY(s.list.checked(2));
    }

    void selectionHitTestAndRowPlacesAgree() {
        Shown s;
        QCOMPARE(s.list.selectedIndex(), 0);
        for (int i = 1; i <= 50; ++i)
            s.list.add(QStringLiteral("row %1").arg(i));
        QCOMPARE(s.list.hitTest(s.list.rowRect(1).center()), 1);
        QCOMPARE(s.list.hitTest(s.list.rowRect(3).center()), 3);
        s.list.select(3);
        QCOMPARE(s.list.selectedIndex(), 3);
        s.list.remove(1); // the selected row moves up with the rest
        QCOMPARE(s.list.selectedIndex(), 2);
        QCOMPARE(s.list.text(2), QStringLiteral("row 3"));

        // A row far below comes into view when asked.
        QVERIFY(!s.list.viewport()->rect().contains(s.list.rowRect(45).center()));
        s.list.ensureVisible(45);
        QVERIFY(s.list.viewport()->rect().contains(s.list.rowRect(45).center()));
        QCOMPARE(s.list.hitTest(s.list.rowRect(45).center()), 45);
        QCOMPARE(s.list.hitTest(QPoint(5, s.list.viewport()->height() + 50)), 0);
    }

    void columnsHaveHeadingsAndWidthsInTwips() {
        QWidget window;
        ListControl list(&window, QStringLiteral("List"));
        QCOMPARE(list.columnCount(), 0);
        list.addColumn(QStringLiteral("First"));
        list.addColumn(QStringLiteral("Second"));
        QCOMPARE(list.columnCount(), 2);
        QCOMPARE(list.heading(2), QStringLiteral("Second"));
        list.setColumnWidthTwips(1, 1440);
        QCOMPARE(list.columnWidthTwips(1), 1440);
        list.add(QStringLiteral("a"));
        QCOMPARE(list.cell(1, 2), QString()); // sub-items are never set
    }
};

QTEST_MAIN(ListControlTest)
#include "ListControl_test.moc"
