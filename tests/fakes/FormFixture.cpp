#include "fakes/FormFixture.h"

#include <QDir>

namespace orv::test {

FormFixture::FormFixture(bool load)
    : settings(QString::fromStdString(dir.str()) + QStringLiteral("/settings/Quillmoor.ini")) {
    QDir().mkpath(programFolder());
    form = std::make_unique<Form1>(
        Services{interaction, pump, clipboard, random, host, settings, programFolder(), [this] { ++endProgramCalls; }});
    if (load)
        form->Form_Load();
}

void FormFixture::addResults(const QStringList& rows) {
    for (const auto& row : rows)
        results().add(row);
}

} // namespace orv::test
