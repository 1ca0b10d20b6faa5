#include "shell/gui/Form1.h"

#include "base/Failure.h"
#include "shell/AppTitle.h"
#include "shell/gui/AppIcon.h"
#include "shell/gui/EventHook.h"
#include "shell/gui/Interaction.h"
#include "shell/gui/ListControl.h"
#include "shell/gui/Settings.h"
#include "shell/gui/SkinSheet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace orv {

namespace {

struct ControlPlace {
    int number; // push button number, 0 for the lists
    const char* caption;
    int left, top, width, height;
    const char* description = nullptr; // for a screen reader, where the caption alone is ambiguous
};

// Push buttons in tab order, after the two lists. Positions in twips.
constexpr ControlPlace kButtons[] = {
    {3, "Add PowerPoint File(s)", 120, 2650, 3840, 405},
    {6, "Add All PowerPnt File(s) In Folder", 4080, 2650, 3840, 405},
    {5, "Clear List", 120, 3160, 3840, 405, "Clears the PowerPoint File(s) list"},
    {8, "Start Extracting", 120, 3670, 7800, 405},
    {1, "Save Results As Text File", 120, 6200, 3840, 405},
    {2, "Save As Comma Delimited Text File", 4080, 6200, 3840, 405},
    {9, "Clear List", 4080, 6710, 3840, 405, "Clears the Results list"},
    {7, "Help", 120, 120, 7800, 405},
    {4, "Copy Results To Clipboard", 120, 6710, 3840, 405},
    {10, "Load Sample/Example Files", 4080, 3160, 3840, 405},
};

constexpr int kClientWidth = 8040;
constexpr int kClientHeight = 7215;
constexpr qint64 kMaxSkinBytes = 1 << 20;
constexpr const char* kHomePage = "https://quillmoor.example/orvandel";

QFont arialBold(double points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

} // namespace

Form1::Form1(Services services, QWidget* parent) : QWidget(parent), m_services(std::move(services)) {
    createControls();
    wire();
}

// The hooks call into this window: they go before its members do, so no event
// that arrives while the child widgets are taken down reaches a handler.
Form1::~Form1() {
    qDeleteAll(findChildren<EventHook*>());
}

void Form1::createControls() {
    const double dpi = logicalDpiX();
    auto place = [dpi](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(width, dpi),
                       TwipsToPixels(height, dpi));
    };

    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi));
    setFont(arialBold(9));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setMouseTracking(true);
    setObjectName(QStringLiteral("Form1"));

    m_listView1 = std::make_unique<ListControl>(this, QStringLiteral("ListView1"));
    place(m_listView1->widget(), 120, 630, 7800, 1935);
    m_listView1->widget()->setToolTip(
        QStringLiteral("Drag and drop files here. Double-click item to remove it. Move | line "
                       "to right and out of window to reveal full names."));

    m_listView2 = std::make_unique<ListControl>(this, QStringLiteral("ListView2"));
    m_listView2->setCheckable(true);
    place(m_listView2->widget(), 120, 4170, 7800, 1935);
    m_listView2->widget()->setToolTip(
        QStringLiteral("Move | line to right and out of window to reveal full names."));
    // A screen reader names each list after its heading, and tells the two
    // "Clear List" buttons apart by the list each one empties.
    m_listView1->widget()->setAccessibleName(QStringLiteral("PowerPoint File(s)"));
    m_listView2->widget()->setAccessibleName(QStringLiteral("Results"));

    for (auto* list : {m_listView1.get(), m_listView2.get()}) {
        list->widget()->setFont(arialBold(9));
        list->viewport()->setMouseTracking(true);
    }
    m_listView1->viewport()->setAcceptDrops(true);

    QWidget* previous = m_listView2->widget();
    setTabOrder(m_listView1->widget(), m_listView2->widget());
    for (const auto& b : kButtons) {
        auto* button = new QPushButton(QString::fromUtf8(b.caption), this);
        button->setObjectName(QStringLiteral("PushButton%1").arg(b.number));
        button->setFont(arialBold(11.25));
        button->setAutoDefault(false);
        button->setMouseTracking(true);
        if (b.description)
            button->setAccessibleDescription(QString::fromUtf8(b.description));
        place(button, b.left, b.top, b.width, b.height);
        m_buttons.at(b.number - 1) = button;
        setTabOrder(previous, button);
        previous = button;
    }
}

void Form1::wire() {
    auto on = [this](int number, void (Form1::*handler)()) {
        connect(pushButton(number), &QPushButton::clicked, this, handler);
    };
    on(1, &Form1::PushButton1_Click);
    on(2, &Form1::PushButton2_Click);
    on(3, &Form1::PushButton3_Click);
    on(4, &Form1::PushButton4_Click);
    on(5, &Form1::PushButton5_Click);
    on(6, &Form1::PushButton6_Click);
    on(7, &Form1::PushButton7_Click);
    on(8, &Form1::PushButton8_Click);
    on(9, &Form1::PushButton9_Click);
    on(10, &Form1::PushButton10_Click);
    m_listView1->onRowDoubleClicked([this] { ListView1_DblClick(); });
    m_listView1->onRowPressed([this] { ListView1_ItemClick(); });
    hookPointer();
    hookRowDragging();
    hookDrops();
    hookResultsKeys();
    setUpResultSources();
    setUpAllTextOption();
}

void Form1::Form_Load() {
    Steps s(m_reporter, loc::FormLoad);
    s.run(100, [&] { applySkin(); });
    if (s.test(104,
               [&] { return QFileInfo::exists(m_services.programFolder + QStringLiteral("/HAND-M.CUR")); }))
        s.run(106, [&] { loadHandCursor(); });
    s.run(108, [&] {
        const int draw = static_cast<int>(m_services.random.next() * 100) + 1;
        if (draw == 7)
            m_services.interaction.openUrl(QString::fromUtf8(kHomePage));
    });
    if (s.test(108, [&] { return SamplesNeedRecording(); }))
        s.run(108, [&] { RecordSampleFiles(); });
    s.run(126, [&] {
        setWindowTitle(title());
        setWindowIcon(ProgramIcon());
        // The application title is what message() puts on every box that names
        // no caption. It is deliberately not Qt's application display name:
        // the desktop would append that to every window's caption.
    });
    s.run(128, [&] { m_listView1->addColumn(QStringLiteral("PowerPoint File(s)")); });
    s.run(130, [&] { m_listView1->setColumnWidthTwips(1, 7000); });
    s.run(132, [&] { m_listView2->addColumn(QStringLiteral("Results")); });
    s.run(134, [&] { m_listView2->setColumnWidthTwips(1, 7000); });
    s.run(136, [&] {
        if (m_services.presentationAppStarts && !m_services.presentationAppStarts()) {
            message(QStringLiteral(
                "PowerPoint is not installed on this computer. You need to have it installed to "
                "use this software without error."));
            m_services.endProgram();
        }
    });
}

void Form1::applySkin() {
    const QString skin = m_services.programFolder + QStringLiteral("/x/o.cjs");
    if (!QFileInfo(skin).isFile())
        return;
    QPalette face = palette();
    face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(face);
    QFile file(skin);
    if (file.size() > kMaxSkinBytes)
        throw Failure("The skin file " + skin.toStdString() + " is too large to be a style sheet.");
    if (!file.open(QIODevice::ReadOnly))
        throw Failure("The skin file " + skin.toStdString() +
                      " cannot be read: " + file.errorString().toStdString());
    setStyleSheet(StyleSheetText(file.readAll(), skin));
    m_skinApplied = true;
}

void Form1::loadHandCursor() {
    QImageReader reader(m_services.programFolder + QStringLiteral("/HAND-M.CUR"));
    const QImage image = reader.read();
    if (image.isNull())
        return; // an unreadable cursor file is skipped like a missing one
    // The hand points up and a little left of centre: the tip of its finger is the hot spot.
    m_customCursor = QCursor(QPixmap::fromImage(image), image.width() * 10 / 32, 0);
}

void Form1::showCentred() {
    if (!m_shownOnce) {
        m_shownOnce = true;
        if (const QScreen* screen = QApplication::primaryScreen()) {
            QRect frame = geometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    show();
}

void Form1::setMousePointer(int value) {
    m_mousePointer = value;
    switch (value) {
    case PointerHourglass:
        setCursor(Qt::WaitCursor);
        break;
    case PointerCustom:
        // Without the cursor file the custom pointer has no picture of its own.
        setCursor(m_customCursor ? *m_customCursor : QCursor(Qt::ArrowCursor));
        break;
    default:
        unsetCursor();
        break;
    }
}

void Form1::Button_MouseMove() {
    if (m_mousePointer != PointerHourglass)
        setMousePointer(PointerCustom);
}

void Form1::Form_MouseMove() {
    if (m_mousePointer != PointerHourglass)
        setMousePointer(PointerDefault);
}

void Form1::ListView2_MouseMove() {
    Form_MouseMove();
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    // Buttons pass their unpressed moves on to the window; only the bare
    // window resets the pointer.
    if (!childAt(event->position().toPoint()))
        Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

void Form1::hookPointer() {
    for (QPushButton* button : m_buttons)
        EventHook::install(button, [this](QEvent* event) {
            if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)
                Button_MouseMove();
            return false;
        });
    EventHook::install(m_listView2->viewport(), [this](QEvent* event) {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter)
            ListView2_MouseMove();
        return false;
    });
    // Moves over the file list go to its own handler (row dragging), which
    // applies the hover rule itself.
    EventHook::install(m_listView1->viewport(), [this](QEvent* event) {
        if (event->type() == QEvent::Enter)
            Form_MouseMove();
        return false;
    });
}

void Form1::PushButton7_Click() {
    Steps s(m_reporter, loc::PushButton7);
    s.run(100, [&] {
        QString text =
            QStringLiteral("This program works with PowerPoint Presentations like .ppt and .pptx but "
                           "not PowerPoint Shows like .pps");
        // While the reading of all text is on, the box says so and how to turn it off.
        if (allTextChosen())
            text +=
                QStringLiteral("\n\nAll text is read: groups, tables, charts, alternative text, diagrams, "
                               "notes, comments, mailto: links, masters, layouts and embedded documents too. "
                               "Right-click "
                               "\"Start Extracting\" to turn it off.");
        if (readPdfChosen())
            text += QStringLiteral("\n\nPDF files are read too, each page as a slide. Right-click "
                                   "\"Start Extracting\" to turn it off.");
        if (readPicturesChosen())
            text += QStringLiteral("\n\nPictures are read too, by text recognition, while \"Read Pictures\" "
                                   "is checked. Right-click \"Start Extracting\" to turn it off.");
        message(text);
    });
}

void Form1::Form_Unload() {
    hide(); // gone at once, even while the clipboard is handed over
    m_services.endProgram();
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_Unload();
}

QString Form1::title() const {
    return QString::fromUtf8(kProductTitle.data(), static_cast<qsizetype>(kProductTitle.size()));
}

QString Form1::applicationTitle() const {
    return QString::fromStdString(ApplicationTitle(kProductTitle));
}

Interaction::Answer Form1::message(const QString& text, Interaction::Buttons buttons) {
    return m_services.interaction.messageBox(text, applicationTitle(), buttons, Interaction::Icon::None);
}

void Form1::Reporter::report(std::string_view location, std::int32_t step, const std::string& description) {
    m_form.m_services.interaction.messageBox(
        QString::fromStdString(ErrorReportText(location, step, description)),
        QStringLiteral("Application Error"), Interaction::Buttons::Ok, Interaction::Icon::Warning);
}

} // namespace orv
