// The example presentations beside the program: recorded at start-up, added
// to the file list by "Load Sample/Example Files".
#include "filelist/FileSystem.h"
#include "filelist/SampleFiles.h"
#include "shell/gui/Form1.h"
#include "shell/gui/ListControl.h"
#include "shell/gui/Settings.h"

#include <QUrl>

#include <algorithm>

namespace orv {

namespace {
// Scrambled bytes are stored one character per byte, so any byte survives the store.
QString storable(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
} // namespace

void Form1::RecordSampleFiles() {
    const std::string record = SampleRecord(m_services.programFolder.toStdString());
    m_services.settings.write(QStringLiteral("Snapshot"),
                              storable(ScrambleText(record, kSampleKey, [this] { m_services.pump.pump(); })));
}

void Form1::PushButton10_Click() {
    Steps s(m_reporter, loc::PushButton10);
    s.run(100, [&] { LoadSampleFiles(); });
}

QStringList Form1::recordedSamples() {
    const QByteArray stored = m_services.settings.read(QStringLiteral("Snapshot"), QString()).toLatin1();
    const std::string record =
        UnscrambleText(std::string_view(stored.constData(), static_cast<std::size_t>(stored.size())),
                       kSampleKey, [this] { m_services.pump.pump(); });
    return QString::fromStdString(record).split(QLatin1Char('|'));
}

bool Form1::SamplesNeedRecording() {
    // A record whose paths are all gone was made by a copy of the program in
    // another folder (installed since, or moved): it would load nothing.
    const QStringList parts = recordedSamples();
    return std::none_of(parts.begin(), parts.end(),
                        [](const QString& part) { return PathExists(part.toStdString()); });
}

void Form1::LoadSampleFiles() {
    for (const QString& part : recordedSamples()) {
        if (!PathExists(part.toStdString()))
            continue; // a sample deleted since it was recorded
        bool listed = false;
        for (int i = 1; i <= m_listView1->count(); ++i)
            listed = listed || m_listView1->text(i) == part;
        if (!listed)
            m_listView1->add(part);
    }
    if (message(QStringLiteral(
                    "Would you like this software to open the folder where these sample files are stored "
                    "(so that you can view them before working with them)?"),
                Interaction::Buttons::YesNo) == Interaction::Answer::Yes)
        m_services.interaction.openUrl(
            QUrl::fromLocalFile(m_services.programFolder + QStringLiteral("/Samples")).toString());
}

} // namespace orv
