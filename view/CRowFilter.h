#pragma once

#include <QByteArrayView>
#include <QString>

class CUserListModel;

// Decides whether a row of the user list matches the text typed in the
// filter box: its login, its real name or any cell shown contains the text,
// without regard to case. Texts are the clients' bytes; a text that is plain
// ASCII is searched as it is, any other is decoded in the clients' code page
// as the list shows it and then compared, so an accented letter matches only
// itself in either case.
class CRowFilter
{
public:
    // An empty text matches every row.
    void SetText(const QString &text);
    QString GetText() const { return m_text; }
    bool IsEmpty() const { return m_text.isEmpty(); }

    // Notes which texts the model's columns show already; call it before
    // Matches and again after the columns changed.
    void Prepare(const CUserListModel &model);
    bool Matches(const CUserListModel &model, int nRow) const;
    // Whether one text of the clients contains the filter text.
    bool Contains(QByteArrayView text) const;

    // Whether every row that matches newer also matches older, so that a
    // keystroke that adds to the text need only look at the rows shown.
    static bool Narrows(const QString &older, const QString &newer);

private:
    QString m_text;
    QString m_folded;       // m_text case folded, for decoded texts
    QByteArray m_asciiKey;  // the text in lower case when it is plain ASCII
    bool m_bAscii = false;
    bool m_bLoginShown = false;
    bool m_bNameShown = false;
};
