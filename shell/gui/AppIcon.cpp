#include "shell/gui/AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace orv {

namespace {

QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;

    // The slide: a rounded sheet in warm orange with a darker title bar.
    const QRectF slide(s * 0.06, s * 0.12, s * 0.88, s * 0.68);
    QLinearGradient sheet(slide.topLeft(), slide.bottomLeft());
    sheet.setColorAt(0, QColor(0xF2, 0x8C, 0x38));
    sheet.setColorAt(1, QColor(0xD0, 0x5A, 0x1E));
    p.setPen(QPen(QColor(0x8A, 0x3A, 0x12), qMax(1.0, s / 48)));
    p.setBrush(sheet);
    p.drawRoundedRect(slide, s * 0.06, s * 0.06);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawRoundedRect(QRectF(slide.left() + s * 0.08, slide.top() + s * 0.08, slide.width() * 0.55, s * 0.07),
                      s * 0.02, s * 0.02);

    // The envelope in front, lower right.
    const QRectF env(s * 0.34, s * 0.42, s * 0.6, s * 0.44);
    p.setPen(QPen(QColor(0x2B, 0x3A, 0x55), qMax(1.0, s / 40)));
    p.setBrush(QColor(0xFA, 0xFA, 0xF7));
    p.drawRoundedRect(env, s * 0.03, s * 0.03);
    QPainterPath flap;
    flap.moveTo(env.topLeft());
    flap.lineTo(env.center().x(), env.top() + env.height() * 0.55);
    flap.lineTo(env.topRight());
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);

    // The "@" on the envelope.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    font.setPixelSize(qMax(8, static_cast<int>(s * 0.3)));
    p.setFont(font);
    p.setPen(QColor(0x1F, 0x6F, 0xC5));
    p.drawText(QRectF(env.left(), env.top() + env.height() * 0.22, env.width(), env.height() * 0.8),
               Qt::AlignCenter, QStringLiteral("@"));
    return pixmap;
}

} // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {32, 48, 128, 256})
        icon.addPixmap(drawIcon(size));
    return icon;
}

} // namespace orv
