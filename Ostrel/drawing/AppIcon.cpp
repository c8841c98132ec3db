#include "drawing/AppIcon.h"

#include <QPainter>
#include <QSvgRenderer>

#include "base/AppIdentity.h"

// Resources compiled into a static library are registered only when something
// refers to them (see Symbols.cpp), so every way in registers them first.
// NOLINTNEXTLINE(misc-use-anonymous-namespace): inside one, the macro's declaration would get internal linkage
static void registerAppResources()
{
    Q_INIT_RESOURCE(app);
}

namespace ostrel::AppIcon {

QIcon icon()
{
    registerAppResources();
    return QIcon::fromTheme(QString::fromLatin1(AppIdentity::iconName), QIcon(QString::fromLatin1(resourcePath)));
}

bool paint(QPainter& painter, const QRectF& target)
{
    registerAppResources();
    QSvgRenderer renderer(QString::fromLatin1(resourcePath));
    if (!renderer.isValid()) {
        return false;
    }
    renderer.render(&painter, target);
    return true;
}

}  // namespace ostrel::AppIcon
