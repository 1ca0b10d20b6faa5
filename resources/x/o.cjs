/* Orvandel's skin: a Qt style sheet. Quiet greys, one accent colour. */
QWidget#Form1 {
    background-color: #eef0f3;
}
QPushButton {
    color: #1d2733;
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e3e7ec);
    border: 1px solid #a9b3bf;
    border-radius: 4px;
    padding: 0px 1px;
}
QPushButton:hover {
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #d7e6f7);
    border-color: #3b7dd8;
}
QPushButton:pressed {
    background-color: #c9daf0;
}
QPushButton:focus {
    border: 2px solid #3b7dd8;
}
QPushButton#PushButton8 {
    color: #ffffff;
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #4a8be0, stop:1 #2d6cc0);
    border-color: #24589c;
}
QPushButton#PushButton8:hover {
    background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #5b98e6, stop:1 #3577cc);
}
QTreeWidget {
    background-color: #ffffff;
    alternate-background-color: #f6f8fa;
    border: 1px solid #a9b3bf;
    selection-background-color: #3b7dd8;
    selection-color: #ffffff;
}
QTreeWidget:focus {
    border: 1px solid #3b7dd8;
}
QHeaderView::section {
    background-color: #e3e7ec;
    color: #1d2733;
    border: none;
    border-right: 1px solid #c3cad3;
    border-bottom: 1px solid #a9b3bf;
    padding: 2px 6px;
}
QToolTip {
    color: #1d2733;
    background-color: #fffbe6;
    border: 1px solid #c9b458;
}
/* Buttons of message boxes and dialogs: roomier than the window's own. */
QDialog QPushButton {
    min-width: 76px;
    min-height: 24px;
    padding: 2px 12px;
}
