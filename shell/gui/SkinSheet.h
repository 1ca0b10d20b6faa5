#pragma once

#include <QByteArray>
#include <QString>

namespace orv {

// The style sheet that the skin file's bytes hold. Throws orv::Failure, naming
// `path`, when the bytes are not text or when Qt cannot parse them as a style
// sheet; a sheet that fails here is never applied.
QString StyleSheetText(const QByteArray& bytes, const QString& path);

} // namespace orv
