#include "shell/gui/Settings.h"

#include "shell/AppTitle.h"
#include "shell/Failure.h"

#include <QSettings>

namespace orv {

namespace {
QString section() {
    return QString::fromUtf8(kSettingsSection.data(), kSettingsSection.size());
}
QString keyPath(const QString& key) {
    return section() + QLatin1Char('/') + key;
}
} // namespace

Settings::Settings()
    : m_store(std::make_unique<QSettings>(
          QSettings::IniFormat, QSettings::UserScope,
          QString::fromUtf8(kSettingsApplication.data(), kSettingsApplication.size()))) {}

Settings::Settings(const QString& iniPath)
    : m_store(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

Settings::~Settings() = default;

QString Settings::read(const QString& key, const QString& defaultValue) const {
    if (m_store->status() == QSettings::FormatError)
        throw Failure("The settings file " + m_store->fileName().toStdString() +
                      " is damaged and cannot be read.");
    return m_store->value(keyPath(key), defaultValue).toString();
}

void Settings::write(const QString& key, const QString& value) {
    m_store->setValue(keyPath(key), value);
    m_store->sync();
    if (m_store->status() != QSettings::NoError)
        throw Failure("The setting " + key.toStdString() + " could not be saved to " +
                      m_store->fileName().toStdString() + ".");
}

QString Settings::fileName() const {
    return m_store->fileName();
}

} // namespace orv
