#pragma once

#include <QIcon>
#include <QList>
#include <QSize>

// An ordered list of images addressed by number, as toolbars and lists use
// them. Images are drawn from SVG files through QSvgRenderer directly, so
// they appear even where Qt's SVG icon plug-in is not installed.
class CImageList
{
public:
    explicit CImageList(QSize size = QSize(16, 16));

    // Appends the image of an SVG file (usually a ":/..." resource); false,
    // and nothing appended, when the file cannot be read as SVG.
    bool Add(const QString &svgPath);
    void Append(const CImageList &other);

    int GetImageCount() const { return int(m_icons.size()); }
    QSize GetImageSize() const { return m_size; }
    // The image nImage, or an empty icon for a number outside the list.
    QIcon GetIcon(int nImage) const;

    static QIcon LoadSvgIcon(const QString &svgPath, QList<int> sizes);

private:
    QSize m_size;
    QList<QIcon> m_icons;
};
