#pragma once

#include <QString>
#include <QStringList>

namespace orv {

// Every modal conversation with the user and every launch of another program
// goes through this interface, so that the window can be driven by a script in
// tests without a display and without blocking.
class Interaction {
public:
    enum class Buttons { Ok, YesNo };
    enum class Icon { None, Warning };
    enum class Answer { Ok, Yes, No };

    virtual ~Interaction() = default;

    // A message box. Texts may break lines with CR, LF or CR LF.
    virtual Answer messageBox(const QString& text, const QString& caption, Buttons buttons, Icon icon) = 0;
    // A one-line input box; "" when cancelled.
    virtual QString inputBox(const QString& prompt, const QString& caption, const QString& defaultText) = 0;
    // The file-open dialog with multiple selection; the full paths of the picked
    // files in the dialog's order, empty when cancelled. `filter` is given as
    // "Description|pattern|Description|pattern|".
    virtual QStringList openFiles(const QString& title, const QString& filter) = 0;
    // The save dialog; the chosen path, "" when cancelled.
    virtual QString saveFile(const QString& title, const QString& filter) = 0;
    // The folder browser preselecting `startFolder`; the chosen folder, "" when cancelled.
    virtual QString browseForFolder(const QString& title, const QString& startFolder) = 0;
    // Opens a web page or a folder with the desktop's handler; does not wait.
    virtual void openUrl(const QString& url) = 0;
};

} // namespace orv
