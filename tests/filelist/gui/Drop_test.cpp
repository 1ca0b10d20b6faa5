#include "fakes/FormFixture.h"

#include <QDir>
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
    // A Keynote deck stored as a folder: dropped itself or inside a dropped
    // folder, it is one row, and what it holds is not added.
    void aPackageFolderIsOneFile() {
        FormFixture f;
        const TempDir tree;
        tree.write("a.key/Index.zip", "x");
        tree.write("F/b.key/Index/Document.iwa", "x");
        tree.write("F/b.key/Data/inner.pptx", "x");
        tree.write("F/c.pptx", "x");
        const QString root = QString::fromStdString(tree.str());
        std::unique_ptr<QMimeData> data(filesData({root + "/a.key", root + "/F"}));
        QVERIFY(sendDrag(f, QEvent::DragEnter, *data));
        sendDrag(f, QEvent::Drop, *data);
        QCOMPARE(RowTexts(f.files()), (QStringList{root + "/a.key", root + "/F/b.key", root + "/F/c.pptx"}));
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
    // "Open with" from a file manager: the paths on the command line.
    void pathsGivenAtStartUpJoinTheListAsADropWould() {
        FormFixture f;
        const TempDir tree;
        tree.write("F/one.pptx", "x");
        tree.write("F/sub/two.ppt", "x");
        tree.write("notes.txt", "not a presentation");
        const QString root = QString::fromStdString(tree.str());
        const QString deck = root + "/F/one.pptx";
        f.host.files[deck.toStdString()] = SlidesOfText({{"hello@example.org"}});
        QDir::setCurrent(root);
        f.form->AddStartupPaths(
            {"F/one.pptx", "--an-option", root + "/missing.pptx", "", root + "/F", "notes.txt"});
        QCOMPARE(RowTexts(f.files()),
                 (QStringList{deck, deck, root + "/F/sub/two.ppt", root + "/notes.txt"}));
        QVERIFY(f.interaction.messages.isEmpty());

        f.form->PushButton8_Click();
        QCOMPARE(RowTexts(f.results()), QStringList{"hello@example.org"});
        const QStringList reports = f.interaction.errorReports();
        // The two files that are no presentations, each reported as any such
        // row: the failed open, then the slide count on nothing.
        QCOMPARE(reports.size(), 4);
        QVERIFY(reports[0].contains("DoItByFile at line 106"));
        QVERIFY(reports[2].contains("DoItByFile at line 106"));
        QCOMPARE(f.interaction.texts().last(), QStringLiteral("Done."));
    }
};

QTEST_MAIN(DropTest)
#include "Drop_test.moc"
