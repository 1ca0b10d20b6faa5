#include "fakes/FormFixture.h"

#include <QMimeData>
#include <QTest>
#include <QUrl>

using namespace orv;
using namespace orv::test;

namespace {

// Sends one drag-and-drop event of `type` carrying `data` to the file list.
bool sendDrag(FormFixture& f, QEvent::Type type, QMimeData& data) {
    QWidget* target = f.files().viewport();
    const QPointF at(10, 10);
    if (type == QEvent::DragEnter) {
        QDragEnterEvent e(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
        return e.isAccepted();
    }
    QDropEvent e(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier, type);
    QApplication::sendEvent(target, &e);
    return e.isAccepted();
}

QMimeData* filesData(const QStringList& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const auto& p : paths)
        urls << QUrl::fromLocalFile(p);
    data->setUrls(urls);
    return data;
}

} // namespace

class DropTest : public QObject {
    Q_OBJECT
private slots:
    void textIsRefusedAndAddsNothing() {
        FormFixture f;
        QMimeData text;
        text.setText("just words");
        QVERIFY(!sendDrag(f, QEvent::DragEnter, text));
        sendDrag(f, QEvent::Drop, text);
        QCOMPARE(f.files().count(), 0);
    }
    void filesAreAddedAsDroppedAndFoldersExpandBreadthFirst() {
        FormFixture f;
        const TempDir tree;
        tree.write("A/a.pptx", "x");
        tree.write("A/~$lock.pptx", "x");
        tree.write("A/notes.txt", "x");
        tree.write("A/sub/deep.ppt", "x");
        tree.write("B/b.pptx", "x");
        const QString root = QString::fromStdString(tree.str());
        std::unique_ptr<QMimeData> data(
            filesData({root + "/A", "/nowhere/~$x.pptx", root + "/B", root + "/A/notes.txt"}));
        QVERIFY(sendDrag(f, QEvent::DragEnter, *data));
        sendDrag(f, QEvent::Drop, *data);
        QCOMPARE(RowTexts(f.files()),
                 (QStringList{root + "/A/a.pptx", root + "/A/notes.txt", root + "/A/sub/deep.ppt",
                              "/nowhere/~$x.pptx", root + "/B/b.pptx", root + "/A/notes.txt"}));
        QVERIFY(f.interaction.messages.isEmpty());
        QCOMPARE(f.form->mousePointer(), Form1::PointerDefault);
        sendDrag(f, QEvent::DragEnter, *data); // the same drop again: the same rows again
        sendDrag(f, QEvent::Drop, *data);
        QCOMPARE(f.files().count(), 12);
    }
    void doubleClickRemovesTheSelectedRowUnlessBusy() {
        FormFixture f;
        f.form->ListView1_DblClick(); // empty list: nothing
        f.files().add("/a.pptx");
        f.files().add("/b.pptx");
        f.files().add("/c.pptx");
        f.files().select(2);
        f.form->setMousePointer(Form1::PointerHourglass);
        f.form->ListView1_DblClick();
        QCOMPARE(f.files().count(), 3);
        f.form->setMousePointer(Form1::PointerDefault);
        f.form->ListView1_DblClick();
        QCOMPARE(RowTexts(f.files()), (QStringList{"/a.pptx", "/c.pptx"}));
    }
};

QTEST_MAIN(DropTest)
#include "Drop_test.moc"
