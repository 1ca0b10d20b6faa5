#include "fakes/Fakes.h"

#include "base/Failure.h"

namespace orv::test {

Interaction::Answer ScriptedInteraction::messageBox(const QString& text, const QString& caption,
                                                    Buttons buttons, Icon icon) {
    messages.push_back({text, caption, buttons, icon});
    if (onMessage)
        onMessage(messages.back());
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (answers.empty())
        return Answer::No;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

namespace {
template <class T> T takeFront(std::deque<T>& queue) {
    if (queue.empty())
        return T();
    T value = queue.front();
    queue.pop_front();
    return value;
}
} // namespace

QString ScriptedInteraction::inputBox(const QString& prompt, const QString&, const QString& defaultText) {
    inputPrompts << prompt;
    inputDefaults << defaultText;
    return takeFront(inputAnswers);
}

QStringList ScriptedInteraction::openFiles(const QString& title, const QString& filter) {
    dialogTitles << title;
    dialogFilters << filter;
    return takeFront(openAnswers);
}

QString ScriptedInteraction::saveFile(const QString& title, const QString& filter) {
    dialogTitles << title;
    dialogFilters << filter;
    return takeFront(saveAnswers);
}

QString ScriptedInteraction::browseForFolder(const QString& title, const QString& startFolder) {
    dialogTitles << title;
    folderStarts << startFolder;
    return takeFront(folderAnswers);
}

QStringList ScriptedInteraction::texts() const {
    QStringList out;
    for (const auto& m : messages)
        out << m.text;
    return out;
}

QStringList ScriptedInteraction::errorReports() const {
    QStringList out;
    for (const auto& m : messages)
        if (m.caption == QStringLiteral("Application Error"))
            out << m.text;
    return out;
}

bool FakeClipboard::clear() {
    ++clearAttempts;
    if (refuseClears > 0) {
        --refuseClears;
        return false;
    }
    text.clear();
    return true;
}

bool FakeClipboard::setText(const QString& value) {
    ++setAttempts;
    if (refuseSets > 0) {
        --refuseSets;
        return false;
    }
    text = value;
    return true;
}

void FakeHost::Create() {
    calls << QStringLiteral("Create");
    if (!installed)
        throw Failure("cannot start");
    m_running = true;
}

void FakeHost::Attach() {
    calls << QStringLiteral("Attach");
    if (!m_running && !otherInstanceRunning)
        throw Failure("not running");
}

void FakeHost::Open(const std::string& path) {
    calls << QStringLiteral("Open %1").arg(QString::fromStdString(path));
    if (onOpen)
        onOpen(path);
    const auto it = files.find(path);
    if (it == files.end())
        throw Failure("File not found: " + path);
    m_active.content = it->second;
}

const SlideContent& FakeHost::Document::slideAt(int slide) const {
    if (!content)
        throw Failure("No presentation is open.");
    const auto index = static_cast<std::size_t>(slide) - 1;
    return index < content->slides.size() ? content->slides.at(index)
                                          : content->masterPages.at(index - content->slides.size());
}

int FakeHost::Document::MasterPageCount() {
    return content ? static_cast<int>(content->masterPages.size()) : 0;
}

int FakeHost::Document::SlideCount() {
    if (!content)
        throw Failure("No presentation is open.");
    return static_cast<int>(content->slides.size());
}

int FakeHost::Document::ShapeCount(int slide) {
    return static_cast<int>(slideAt(slide).shapes.size());
}

const ShapeContent& FakeHost::Document::shape(int slide, int shape) const {
    return slideAt(slide).shapes.at(static_cast<std::size_t>(shape) - 1);
}

bool FakeHost::Document::HasTextFrame(int slide, int s) {
    return shape(slide, s).hasTextFrame;
}

std::string FakeHost::Document::Text(int slide, int s) {
    m_host.calls << QStringLiteral("Text %1.%2").arg(slide).arg(s);
    return shape(slide, s).text;
}

std::string FakeHost::Document::ShapeName(int slide, int s) {
    return shape(slide, s).name;
}

int FakeHost::Document::PlacedTextCount(int slide) {
    return static_cast<int>(slideAt(slide).allText.size());
}

PlacedText FakeHost::Document::PlacedTextAt(int slide, int index) {
    m_host.calls << QStringLiteral("Text %1.%2").arg(slide).arg(index);
    return slideAt(slide).allText.at(static_cast<std::size_t>(index) - 1);
}

void FakeHost::Quit() {
    calls << QStringLiteral("Quit");
    m_active.content.reset();
    m_running = false;
}

std::string FakeHost::Name() {
    return name;
}

PresentationContent SlidesOfText(const std::vector<std::vector<std::string>>& slides) {
    PresentationContent content;
    for (const auto& texts : slides) {
        SlideContent slide;
        for (const auto& text : texts)
            slide.shapes.push_back({true, text});
        content.slides.push_back(slide);
    }
    return content;
}

} // namespace orv::test
