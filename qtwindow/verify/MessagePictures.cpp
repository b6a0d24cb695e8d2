#include "qtwindow/verify/MessagePictures.h"

#include <QColor>
#include <QPainter>
#include <QRadialGradient>

namespace {

QColor ToQColor(const BoardColour& colour)
{
    return QColor(colour.r, colour.g, colour.b, colour.a);
}

} // namespace

QImage DrawBoard(const LedBoard& board, bool amber)
{
    const BoardPalette& palette = LedPalette(amber);
    const BoardGeometry geometry = BoardGeometryFor(board, 1.0);
    const double pitch = geometry.pitch;
    const int bezel = geometry.nBezel;
    const int width = geometry.nWidth;
    const int height = geometry.nHeight;
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The sign's case and its black LED field.
    painter.setPen(QPen(ToQColor(kBoardCaseRim), 2));
    painter.setBrush(ToQColor(kBoardCase));
    painter.drawRoundedRect(QRectF(1, 1, width - 2, height - 2), 8, 8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ToQColor(kBoardField));
    painter.drawRect(QRectF(bezel - 4, bezel - 4, geometry.nFieldWidth + 8, geometry.nFieldHeight + 8));

    const QColor glow = ToQColor(palette.glow);
    const double radius = pitch * 0.40;
    for (int y = 0; y < board.nHeight; ++y) {
        for (int x = 0; x < board.nWidth; ++x) {
            const QPointF centre(bezel + (x + 0.5) * pitch, bezel + (y + 0.5) * pitch);
            if (!board.IsLit(x, y)) {
                painter.setBrush(ToQColor(palette.unlit));
                painter.drawEllipse(centre, radius * 0.85, radius * 0.85);
                continue;
            }
            if (geometry.bGlow) {
                QRadialGradient halo(centre, pitch * 0.95);
                halo.setColorAt(0, glow);
                halo.setColorAt(1, QColor(glow.red(), glow.green(), glow.blue(), 0));
                painter.setBrush(halo);
                painter.drawEllipse(centre, pitch * 0.95, pitch * 0.95);
                QRadialGradient dot(centre, radius);
                dot.setColorAt(0, ToQColor(palette.core));
                dot.setColorAt(1, ToQColor(palette.edge));
                painter.setBrush(dot);
            } else {
                painter.setBrush(ToQColor(palette.edge));
            }
            painter.drawEllipse(centre, radius, radius);
        }
    }
    painter.end();
    return image;
}
