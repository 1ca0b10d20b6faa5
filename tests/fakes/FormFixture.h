#pragma once

#include "fakes/Fakes.h"
#include "shell/gui/Form1.h"
#include "shell/gui/ListControl.h"
#include "shell/gui/Settings.h"
#include "support/TempDir.h"

#include <memory>

namespace orv::test {

// A main window wired to scripted stand-ins, with its settings and program
// folder in a fresh temporary folder. Form_Load has run unless told not to.
struct FormFixture {
    explicit FormFixture(bool load = true);

    TempDir dir;
    ScriptedInteraction interaction;
    CountingPump pump;
    FakeClipboard clipboard;
    FixedRandom random;
    FakeHost host;
    Settings settings;
    SteppingClock clock;
    int endProgramCalls = 0;
    std::unique_ptr<Form1> form;

    ListControl& files() { return *form->ListView1(); }
    ListControl& results() { return *form->ListView2(); }
    QString programFolder() const { return QString::fromStdString(dir.str()) + QStringLiteral("/program"); }
    void addResults(const QStringList& rows);
};

// The texts of a list's rows, in order.
QStringList RowTexts(const ListControl& list);

} // namespace orv::test
