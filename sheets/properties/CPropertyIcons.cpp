#include "sheets/properties/CPropertyIcons.h"

#include <QIcon>

// A static library's resources are linked in only when something names
// them; the macro must not stand inside a namespace.
static void InitResources()
{
    Q_INIT_RESOURCE(properties);
}

namespace {

const char *const kConnectionFiles[] = {
    ":/properties/icons/plug-connected.svg",
    ":/properties/icons/plug-disconnected.svg",
    ":/properties/icons/plug-unknown.svg",
    ":/properties/icons/socket-empty.svg",
};

} // namespace

QPixmap CPropertyIcons::ConnectionPixmap(int nIcon)
{
    if (nIcon < 0 || nIcon >= ConnectionIconCount)
        return {};
    InitResources();
    return CImageList::LoadSvgIcon(QLatin1String(kConnectionFiles[nIcon]), {kConnectionSize})
        .pixmap(kConnectionSize, kConnectionSize);
}

CImageList CPropertyIcons::LoadColumnImages()
{
    InitResources();
    CImageList images(QSize(16, 16));
    images.Add(QStringLiteral(":/properties/icons/column-hidden.svg"));
    images.Add(QStringLiteral(":/properties/icons/column-shown.svg"));
    return images;
}
