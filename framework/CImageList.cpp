#include "framework/CImageList.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

CImageList::CImageList(QSize size) : m_size(size)
{
}

QIcon CImageList::LoadSvgIcon(const QString &svgPath, QList<int> sizes)
{
    QSvgRenderer renderer(svgPath);
    if (!renderer.isValid())
        return {};
    QIcon icon;
    for (int nSize : sizes) {
        // Drawn at twice the size as well, for high-density screens.
        for (int nScale : {1, 2}) {
            QPixmap pixmap(nSize * nScale, nSize * nScale);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            renderer.render(&painter);
            painter.end();
            pixmap.setDevicePixelRatio(nScale);
            icon.addPixmap(pixmap);
        }
    }
    return icon;
}

bool CImageList::Add(const QString &svgPath)
{
    QIcon icon = LoadSvgIcon(svgPath, {m_size.width()});
    if (icon.isNull())
        return false;
    m_icons.append(icon);
    return true;
}

void CImageList::Append(const CImageList &other)
{
    m_icons.append(other.m_icons);
}

QIcon CImageList::GetIcon(int nImage) const
{
    return nImage >= 0 && nImage < m_icons.size() ? m_icons.at(nImage) : QIcon();
}
