#include "fakes/FormFixture.h"

#include "extract/Harvest.h"

#include <QDir>

namespace orv::test {

FormFixture::FormFixture(bool load)
    : settings(QString::fromStdString(dir.str()) + QStringLiteral("/settings/Quillmoor.ini")) {
    QDir().mkpath(programFolder());
    form = std::make_unique<Form1>(Services{
        interaction, pump, clipboard, random, host, settings, programFolder(), [this] { ++endProgramCalls; },
        [this] { return clock.read(); }, [this] { return CheckPowerPointInstalled(host); }});
    if (load)
        form->Form_Load();
}

void FormFixture::addResults(const QStringList& rows) {
    for (const auto& row : rows)
        results().add(row);
}

QStringList RowTexts(const ListControl& list) {
    QStringList out;
    for (int i = 1; i <= list.count(); ++i)
        out << list.text(i);
    return out;
}

} // namespace orv::test
