#pragma once

#include "shell/ErrorReport.h"
#include "shell/gui/Interaction.h"
#include "shell/gui/Platform.h"

#include <QCursor>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QMenu;
class QMimeData;
class QPushButton;

namespace orv {

class ListControl;
class ProgressCaption;
class ReadAhead;
class ResultCache;
struct CachedRead;
struct ReadOptions;

// The local file paths a drag carries, in order; empty for anything else.
QStringList DroppedPaths(const QMimeData* data);

// The one window: the file list, the results list and ten push buttons. Each
// handler is short and reads like its numbered steps; the work lives in the
// folder that owns the behaviour (filelist/, extract/, results/), where most
// handlers are defined as well.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // Mouse pointer values other code reads and sets (the busy mark).
    static constexpr int PointerDefault = 0;
    static constexpr int PointerHourglass = 11;
    static constexpr int PointerCustom = 99;

    // What a save of the results writes: the text file, the comma-delimited
    // line, or the CSV with each address's source.
    enum class SaveFormat { Text, CommaDelimited, WithSources };

    explicit Form1(Services services, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up: skin, hand cursor, home page, caption, icon, list columns and
    // the presentation reader check. Runs once, before the window is shown.
    void Form_Load();
    // Shows the window centred on the screen (the first time).
    void showCentred();

    int mousePointer() const { return m_mousePointer; }
    void setMousePointer(int value);
    bool hasCustomCursor() const { return m_customCursor.has_value(); }

    ListControl* ListView1() const { return m_listView1.get(); }
    ListControl* ListView2() const { return m_listView2.get(); }
    QPushButton* pushButton(int number) const { return m_buttons.at(number - 1); }
    bool skinApplied() const { return m_skinApplied; }
    bool extractRunning() const { return m_extractRunning; }

    // Button handlers.
    void PushButton1_Click();     // "Save Results As Text File"
    void SaveWithSources_Click(); // its context menu's "Save With Sources..."
    void PushButton2_Click();     // "Save As Comma Delimited Text File"
    void PushButton3_Click();     // "Add PowerPoint File(s)"
    void PushButton4_Click();     // "Copy Results To Clipboard"
    void PushButton5_Click();     // file-list "Clear List"
    void PushButton6_Click();     // "Add All PowerPnt File(s) In Folder"
    void PushButton7_Click();     // "Help"
    void PushButton8_Click();     // "Start Extracting"
    void PushButton9_Click();     // results "Clear List"
    void PushButton10_Click();    // "Load Sample/Example Files"
    // Records the sample files beside the program in the setting Snapshot.
    void RecordSampleFiles();
    // True when Snapshot is empty or none of the paths it records exists any
    // more: start-up then records the samples again.
    bool SamplesNeedRecording();
    // Adds the recorded samples not yet listed and offers to show their folder.
    void LoadSampleFiles();
    // Files and folders dropped on the file list, in drop order.
    void ListView1_OLEDragDrop(const QStringList& paths);
    // Files and folders named on the command line, added as a drop adds them;
    // arguments that name nothing existing are passed over.
    void AddStartupPaths(const QStringList& arguments);
    // Double-click on the file list removes the selected row.
    void ListView1_DblClick();
    // Dragging a row up or down the file list swaps it with each row it passes.
    void ListView1_ItemClick();
    void ListView1_MouseDown() { m_isDraggingRow = true; }
    void ListView1_MouseUp();
    void ListView1_MouseMove(const QPoint& viewportPos);
    // The pointer the file list shows: the drag pointer after a row click, else the arrow.
    QCursor fileListPointer() const;
    // Results list key handler: Delete removes the selected row.
    void ListView2_KeyDown(int keyCode);

    // Hover rule: the hand over buttons, the arrow elsewhere, never over the hourglass.
    void Button_MouseMove();
    void Form_MouseMove();
    void ListView2_MouseMove();

    // Closing the window ends the program at once, even inside a handler.
    void Form_Unload();

    // The caption of every message box that names none.
    QString applicationTitle() const;
    // A plain message box with the application's title as caption.
    Interaction::Answer message(const QString& text, Interaction::Buttons buttons = Interaction::Buttons::Ok);

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void createControls();
    void wire();
    // Each list behaviour watches the events it needs, next to its handlers.
    void hookPointer();     // the hover rule over buttons and lists
    void hookRowDragging(); // pressing, moving and releasing on the file list
    void hookDrops();       // files and folders dragged onto the file list
    void hookResultsKeys(); // the Delete key on the results list
    // The results rows' sources: their tool tips and "Save With Sources...".
    void setUpResultSources();
    // The caption while nothing long is going on.
    QString title() const;
    void applySkin();
    void loadHandCursor();
    void saveResults(std::string_view location, SaveFormat format);
    std::unique_ptr<ProgressCaption> harvestFileList();
    QAction* settingItem(QMenu& menu, const QString& text, const QString& objectName, const QString& key);
    std::unique_ptr<ReadAhead> readAhead(int n, const ReadOptions& options, ResultCache* cache);
    std::optional<CachedRead> takeReadAhead(ReadAhead* ahead, int index, const std::string& path,
                                            const bool& stopped, const std::function<void()>& waiting);
    void setUpAllTextOption(); // the "all text" opt-in on "Start Extracting" (RunHandler.cpp)
    // The reading options the menu of "Start Extracting" has on.
    bool allTextChosen() const;
    bool readPdfChosen() const;
    bool readPicturesChosen() const;
    ReadOptions readOptionsChosen() const;
    QStringList recordedSamples(); // the paths in Snapshot, unscrambled (SampleHandlers.cpp)

    class Reporter : public ErrorReporter {
    public:
        explicit Reporter(Form1& form) : m_form(form) {}
        void report(std::string_view location, std::int32_t step, const std::string& description) override;

    private:
        Form1& m_form;
    };

    Services m_services;
    Reporter m_reporter{*this};
    std::unique_ptr<ListControl> m_listView1;
    std::unique_ptr<ListControl> m_listView2;
    std::array<QPushButton*, 10> m_buttons{};
    int m_mousePointer = PointerDefault;
    std::optional<QCursor> m_customCursor;
    bool m_skinApplied = false;
    bool m_extractRunning = false;
    bool m_shownOnce = false;
    bool m_isDraggingRow = false;
    int m_draggedItem = 0; // index of the row holding the dragged path, 0 for none
};

} // namespace orv
