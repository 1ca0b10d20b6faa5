#pragma once

#include <QString>

namespace orv {

// The per-user settings: named text values under the application "Quillmoor"
// and the section "Orvandel". Keys: Snapshot, Extension, LastFolder.
//
// Every read goes to the file and every write replaces the file at once, so
// two running copies see each other's values (the last write wins), and each
// operation succeeds or fails on its own: nothing is cached between calls.
// The file is in the INI format QSettings uses, and other sections and keys
// in it are kept as they are.
class Settings {
public:
    // The user's own settings file in the per-user configuration folder.
    Settings();
    // A settings file at an explicit path (tests use a temporary folder).
    explicit Settings(const QString& iniPath);

    // The stored text, or `defaultValue` when the key was never written.
    // Throws orv::Failure when the file cannot be read or is damaged.
    QString read(const QString& key, const QString& defaultValue) const;
    // Stores the text at once. Throws orv::Failure when the store refuses it.
    void write(const QString& key, const QString& value);

    QString fileName() const { return m_path; }

private:
    QString m_path;
};

} // namespace orv
