// The results list's buttons: save as text (or, from its context menu, as CSV
// with where each address was found), save comma-delimited, copy to the
// clipboard, clear; and its Delete key and its rows' tool tips.
#include "base/SafeText.h"
#include "filelist/FileSystem.h"
#include "results/Exports.h"
#include "results/ReplaceFile.h"
#include "results/gui/ClipboardText.h"
#include "shell/gui/ButtonMenu.h"
#include "shell/gui/EventHook.h"
#include "shell/gui/Form1.h"
#include "shell/gui/Interaction.h"
#include "shell/gui/ListControl.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>

namespace orv {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Where a row's address was found, as its tool tip shows it below the
// list's own text: the file, the slide, the place and the shape's name, each
// on a line of its own, file text escaped. The list's text comes first and
// holds no markup, so the whole tip is shown as plain text.
QString SourceText(const RowSource& source) {
    QString text = QStringLiteral("File: ") + fromUtf8(PrintableText(source.file)) + QStringLiteral("\n");
    text += source.slide == 0 ? QStringLiteral("Slide: none (a master, a layout or an embedded document)")
                              : QStringLiteral("Slide: %1").arg(source.slide);
    text += QStringLiteral("\nPlace: ") + fromUtf8(PrintableText(source.place));
    if (!source.name.empty())
        text += QStringLiteral("\nShape: ") + fromUtf8(PrintableText(source.name, kQuotedFileTextLimit));
    return text;
}

std::string savedBytes(Form1::SaveFormat format, const std::vector<SourcedRow>& rows) {
    if (format == Form1::SaveFormat::WithSources)
        return CsvFileBytes(rows);
    std::vector<std::string> addresses;
    addresses.reserve(rows.size());
    for (const SourcedRow& row : rows)
        addresses.push_back(row.address);
    return format == Form1::SaveFormat::CommaDelimited ? CommaDelimitedBytes(addresses)
                                                       : TextFileBytes(addresses);
}

} // namespace

void Form1::PushButton1_Click() {
    saveResults(loc::PushButton1, SaveFormat::Text);
}

void Form1::SaveWithSources_Click() {
    saveResults(loc::SaveWithSources, SaveFormat::WithSources);
}

void Form1::PushButton2_Click() {
    saveResults(loc::PushButton2, SaveFormat::CommaDelimited);
}

// A row's tool tip: the list's own text, then where the row was found. And
// "Save With Sources..." in the context menu of "Save Results As Text File",
// the menu there for a screen reader as well.
void Form1::setUpResultSources() {
    QWidget* list = m_listView2->widget();
    m_listView2->setSourceToolTip([list](const RowSource& source) {
        return list->toolTip() + QStringLiteral("\n") + SourceText(source);
    });
    QPushButton* button = pushButton(1);
    auto* menu = new QMenu(button);
    menu->setObjectName(QStringLiteral("SaveResultsMenu"));
    menu->setAccessibleName(QStringLiteral("Save results"));
    auto* action = new QAction(QStringLiteral("Save With Sources..."), button);
    action->setObjectName(QStringLiteral("SaveWithSourcesAction"));
    menu->addAction(action);
    ExposeContextMenu(*button, *menu);
    connect(action, &QAction::triggered, this, &Form1::SaveWithSources_Click);
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(button, &QWidget::customContextMenuRequested, menu,
            [button, menu](const QPoint& at) { menu->popup(button->mapToGlobal(at)); });
}

// Every save: the dialog, the overwrite question, then the rows written with
// the hourglass up. The file is replaced only once every byte is written, so a
// failure half-way leaves whatever was there; a failure is reported once and
// ends the writing. The save with sources numbers its steps as the text save
// does and writes what `orvandel-cli --format csv` prints.
void Form1::saveResults(std::string_view location, SaveFormat format) {
    const bool commaDelimited = format == SaveFormat::CommaDelimited;
    Steps s(m_reporter, location);
    QString path;
    s.run(114, [&] {
        path = m_services.interaction.saveFile(
            QStringLiteral("Save"), format == SaveFormat::WithSources
                                        ? QStringLiteral("CSV Files (*.csv)|*.csv|All Files (*.*)|*.*|")
                                        : QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
    });
    if (path.isEmpty()) // step 118: cancelled
        return;
    // A question that could not be asked was not answered Yes.
    Interaction::Answer answer = Interaction::Answer::No;
    if (s.test(120, [&] { return PathExists(path.toStdString()); })) {
        s.run(122, [&] {
            answer =
                message(QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?"),
                        Interaction::Buttons::YesNo);
        });
    } else {
        answer = Interaction::Answer::Yes; // step 124
    }
    if (answer != Interaction::Answer::Yes) // step 126
        return;
    s.run(128, [&] { setMousePointer(PointerHourglass); });
    ReplaceFile file(path.toStdString());
    bool ok = s.run(130, [&] { file.open(); });
    std::vector<SourcedRow> rows;
    const int count = ok ? m_listView2->count() : 0;
    for (int i = 1; ok && i <= count; ++i) {
        m_services.pump.pump();
        ok = s.run(136, [&] {
            const RowSource* source = format == SaveFormat::WithSources ? m_listView2->source(i) : nullptr;
            rows.push_back({m_listView2->text(i).toStdString(),
                            source ? std::optional<RowSource>(*source) : std::nullopt});
        });
    }
    const int closeStep = commaDelimited ? 142 : 140;
    if (ok)
        ok = s.run(commaDelimited ? 140 : 136, [&] { file.write(savedBytes(format, rows)); });
    if (ok)
        s.run(closeStep, [&] { file.commit(); });
    s.run(closeStep + 2, [&] { setMousePointer(PointerDefault); });
}

// With no rows there is nothing to copy, and the clipboard keeps what it
// held: saying so, rather than that the results were copied.
void Form1::PushButton4_Click() {
    Steps s(m_reporter, loc::PushButton4);
    bool copied = true; // a copy that failed half-way has been reported already
    s.run(106,
          [&] { copied = CopyListViewToClipboard(*m_listView2, m_services.pump, m_services.clipboard); });
    s.run(108, [&] {
        message(copied
                    ? QStringLiteral("Results have been copied to the clipboard.\r\rClick a text area where "
                                     "you normally type and press Ctrl+V to paste the clipboard.")
                    : QStringLiteral("There are no results to copy."));
    });
}

void Form1::PushButton9_Click() {
    Steps s(m_reporter, loc::PushButton9);
    s.run(100, [&] { m_listView2->clearRows(); });
}

void Form1::hookResultsKeys() {
    EventHook::install(m_listView2->widget(), [this](QEvent* event) {
        if (event->type() == QEvent::KeyPress)
            ListView2_KeyDown(static_cast<QKeyEvent*>(event)->key());
        return false;
    });
}

void Form1::ListView2_KeyDown(int keyCode) {
    if (keyCode != Qt::Key_Delete)
        return;
    if (m_mousePointer == PointerHourglass || m_listView2->count() == 0)
        return;
    const int index = m_listView2->selectedIndex();
    if (index > 0)
        m_listView2->remove(index);
}

} // namespace orv
