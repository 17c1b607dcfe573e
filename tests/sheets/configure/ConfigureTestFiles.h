#pragma once

#include "platform/ProfileFile.h"
#include "../../store/StoreTestFiles.h"

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QTest>
#include <QTimer>
#include <functional>

// The "key=value" lines of a section, as the file holds them now.
inline QList<QByteArray> SectionLines(const QString &path, const QByteArray &section)
{
    return ProfileFile::Parse(ReadFileBytes(path)).SectionLines(section);
}

inline QByteArray ActiveParameters(const QByteArray &lines)
{
    return "[ActiveParameters]\r\n" + lines;
}

inline void Click(QWidget &parent, const char *name)
{
    QAbstractButton *pButton = parent.findChild<QAbstractButton *>(QLatin1String(name));
    QVERIFY2(pButton, name);
    QTest::mouseClick(pButton, Qt::LeftButton);
}

// Runs a modal window's command and does the action inside its loop, once
// the window is the modal one. Whatever the action leaves open is closed, so
// that a failed check cannot hang the test.
template <typename Dialog>
int RunModal(const std::function<int()> &command, const std::function<void(Dialog &)> &action,
             const std::function<void(Dialog &)> &close)
{
    QTimer::singleShot(0, [action, close] {
        auto *pDialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        QVERIFY(pDialog);
        action(*pDialog);
        if (pDialog->isVisible())
            close(*pDialog);
    });
    return command();
}
