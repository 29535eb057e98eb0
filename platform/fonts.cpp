#include "platform/fonts.h"

#include <QString>

namespace platform {

QFont designfont(qreal points, bool bold)
{
    static const QString face = [] {
        const QString designface = QStringLiteral("MS Sans Serif");
        QFont::insertSubstitution(designface, QStringLiteral("Liberation Sans"));
        return designface;
    }();
    QFont font(face);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace platform
