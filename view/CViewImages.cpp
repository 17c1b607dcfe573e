#include "view/CViewImages.h"

#include "view/CUserListModel.h"

#include <QPixmap>

static void InitViewResources()
{
    Q_INIT_RESOURCE(view);
}

namespace {

const char *const kSmallFiles[] = {
    "plug-yellow", "plug-green", "plug-red", "plug-white", "upgrade", "group", "user",
};
const char *const kNormalFiles[] = {
    "computers-yellow", "computers-green", "computers-red", "ticked",
};

CImageList Load(QSize size, const char *const *files, int nCount)
{
    InitViewResources();
    CImageList images(size);
    for (int i = 0; i < nCount; ++i) {
        const QString path = QStringLiteral(":/view/icons/%1.svg").arg(QLatin1String(files[i]));
        if (!images.Add(path))
            qWarning("user list: the image %s cannot be read", qPrintable(path));
    }
    return images;
}

} // namespace

CImageList CViewImages::LoadSmall()
{
    static_assert(std::size(kSmallFiles) == CUserListModel::ImageCount);
    return Load(QSize(16, 16), kSmallFiles, int(std::size(kSmallFiles)));
}

CImageList CViewImages::LoadNormal()
{
    return Load(QSize(32, 32), kNormalFiles, int(std::size(kNormalFiles)));
}

int CViewImages::NormalImageFor(int nSmallImage)
{
    switch (nSmallImage) {
    case CUserListModel::ImgNeverLoggedOn: return NormalNeverLoggedOn;
    case CUserListModel::ImgConnected: return NormalConnected;
    case CUserListModel::ImgNotConnected: return NormalNotConnected;
    case CUserListModel::ImgUpgradePending: return NormalTicked;
    default: return -1;
    }
}

QIcon CViewImages::MarkIcon(const CImageList &small, const CImageList &normal, int nImage)
{
    const QIcon smallIcon = small.GetIcon(nImage);
    if (smallIcon.isNull())
        return {};
    QIcon icon;
    icon.addPixmap(smallIcon.pixmap(QSize(16, 16)));
    const QIcon largeIcon = normal.GetIcon(NormalImageFor(nImage));
    if (!largeIcon.isNull())
        icon.addPixmap(largeIcon.pixmap(QSize(32, 32)));
    return icon;
}
