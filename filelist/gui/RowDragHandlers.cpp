// Reordering the file list by dragging a row: the dragged path travels with
// the pointer, changing places with each row it enters.
#include "shell/gui/EventHook.h"
#include "shell/gui/Form1.h"
#include "shell/gui/ListControl.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPixmap>

namespace orv {

void Form1::hookRowDragging() {
    EventHook::install(m_listView1->viewport(), [this](QEvent* event) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            ListView1_MouseDown();
            break;
        case QEvent::MouseButtonRelease:
            ListView1_MouseUp();
            break;
        case QEvent::MouseMove:
            ListView1_MouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
            break;
        default:
            break;
        }
        return false;
    });
}

void Form1::ListView1_ItemClick() {
    QImageReader reader(m_services.programFolder + QStringLiteral("/drag.ico"));
    const QImage image = reader.read();
    if (!image.isNull()) // a missing or unreadable icon keeps the list's pointer
        m_listView1->setPointer(QCursor(QPixmap::fromImage(image)));
    m_listView1->setDragOut(false); // pressing on a row never drags it out of the list
    m_draggedItem = m_listView1->selectedIndex();
}

QCursor Form1::fileListPointer() const {
    return m_listView1->viewport()->cursor();
}

void Form1::ListView1_MouseUp() {
    m_isDraggingRow = false;
    m_listView1->setPointer(std::nullopt);
}

void Form1::ListView1_MouseMove(const QPoint& viewportPos) {
    Form_MouseMove();
    if (!m_isDraggingRow)
        return;
    const int under = m_listView1->hitTest(viewportPos);
    if (under == 0 || m_draggedItem == 0 || m_draggedItem > m_listView1->count())
        return;
    const QString dragged = m_listView1->text(m_draggedItem);
    const QString other = m_listView1->text(under);
    if (dragged == other)
        return;
    m_listView1->setText(m_draggedItem, other);
    m_listView1->setText(under, dragged);
    m_listView1->select(under);
    m_draggedItem = under;
    // Near the list's top or bottom edge the neighbouring row scrolls into
    // view, so a path can travel past what is visible; the middle stays still.
    const int height = m_listView1->viewport()->height();
    if (viewportPos.y() < height / 3 && under > 1)
        m_listView1->ensureVisible(under - 1);
    else if (viewportPos.y() >= height - height / 3 && m_listView1->count() >= under + 1)
        m_listView1->ensureVisible(under + 1);
}

} // namespace orv
