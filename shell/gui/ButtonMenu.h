#pragma once

class QMenu;
class QPushButton;

namespace orv {

// Makes the right-click menu of `button`, a child of it, part of the
// accessibility tree: while the menu is open it is the button's one
// accessible child, so that a screen reader walking the window finds it and
// its items. A popup menu is otherwise no child of anything that lists it.
void ExposeContextMenu(QPushButton& button, QMenu& menu);

} // namespace orv
