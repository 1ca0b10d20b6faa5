#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace orv {

// The per-user settings: named text values under the application "Quillmoor"
// and the section "Orvandel". Keys: Snapshot, Extension, LastFolder.
class Settings {
public:
    // The user's own settings file in the per-user configuration folder.
    Settings();
    // A settings file at an explicit path (tests use a temporary folder).
    explicit Settings(const QString& iniPath);
    ~Settings();

    // The stored text, or `defaultValue` when the key was never written.
    // Throws orv::Failure when the store cannot be read.
    QString read(const QString& key, const QString& defaultValue) const;
    // Stores the text at once. Throws orv::Failure when the store refuses it.
    void write(const QString& key, const QString& value);

    QString fileName() const;

private:
    std::unique_ptr<QSettings> m_store;
};

} // namespace orv
