#include "fakes/FormFixture.h"

#include <QFile>
#include <QTest>

using namespace orv;
using namespace orv::test;

namespace {

struct DragFixture : FormFixture {
    DragFixture() {
        for (const char* path : {"/1.pptx", "/2.pptx", "/3.pptx", "/4.pptx", "/5.pptx"})
            files().add(QString::fromLatin1(path));
        form->show();
    }
    QPoint rowCentre(int index) { return files().rowRect(index).center(); }
    void press(int index) {
        files().select(index);
        form->ListView1_MouseDown();
        form->ListView1_ItemClick();
    }
};

} // namespace

class RowDragTest : public QObject {
    Q_OBJECT
private slots:
    void movingSlowlyDownCarriesThePathAlong() {
        DragFixture f;
        f.press(1);
        for (int row = 2; row <= 4; ++row)
            f.form->ListView1_MouseMove(f.rowCentre(row));
        f.form->ListView1_MouseUp();
        QCOMPARE(RowTexts(f.files()), (QStringList{"/2.pptx", "/3.pptx", "/4.pptx", "/1.pptx", "/5.pptx"}));
        QCOMPARE(f.files().selectedIndex(), 4);
        f.form->ListView1_MouseMove(f.rowCentre(1)); // button up: nothing moves
        QCOMPARE(f.files().text(1), QStringLiteral("/2.pptx"));
    }
    void aJumpExchangesTwoRowsOnly() {
        DragFixture f;
        f.press(1);
        f.form->ListView1_MouseMove(f.rowCentre(4));
        QCOMPARE(RowTexts(f.files()), (QStringList{"/4.pptx", "/2.pptx", "/3.pptx", "/1.pptx", "/5.pptx"}));
    }
    void equalTextsAndMovesWithoutAClickedRowChangeNothing() {
        DragFixture f;
        f.files().setText(2, "/1.pptx");
        f.form->ListView1_MouseDown(); // no row clicked yet
        f.form->ListView1_MouseMove(f.rowCentre(3));
        f.press(1);
        f.form->ListView1_MouseMove(f.rowCentre(2));
        QCOMPARE(RowTexts(f.files()), (QStringList{"/1.pptx", "/1.pptx", "/3.pptx", "/4.pptx", "/5.pptx"}));
    }
    void theDragPointerShippedBesideTheProgramShowsWhileARowIsHeld() {
        const QString shipped = QStringLiteral(ORVANDEL_PROGRAM_DIR "/drag.ico");
        QVERIFY2(QFile::exists(shipped), "the build puts drag.ico beside the program");
        DragFixture f;
        QVERIFY(QFile::copy(shipped, f.programFolder() + "/drag.ico"));
        f.press(2);
        const QCursor held = f.form->fileListPointer();
        QCOMPARE(held.shape(), Qt::BitmapCursor);
        QCOMPARE(held.pixmap().size(), QSize(32, 32));
        QVERIFY(held.pixmap().toImage().hasAlphaChannel());
        f.form->ListView1_MouseUp();
        QCOMPARE(f.form->fileListPointer().shape(), Qt::ArrowCursor);
    }
    void movingOverTheListResetsThePointerButNotTheHourglass() {
        DragFixture f;
        f.form->setMousePointer(Form1::PointerCustom);
        f.form->ListView1_MouseMove(f.rowCentre(1));
        QCOMPARE(f.form->mousePointer(), Form1::PointerDefault);
        f.form->setMousePointer(Form1::PointerHourglass);
        f.press(1); // dragging does not look at the busy mark
        f.form->ListView1_MouseMove(f.rowCentre(2));
        QCOMPARE(f.form->mousePointer(), Form1::PointerHourglass);
        QCOMPARE(f.files().text(2), QStringLiteral("/1.pptx"));
    }
};

QTEST_MAIN(RowDragTest)
#include "RowDrag_test.moc"
