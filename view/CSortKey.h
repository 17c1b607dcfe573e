#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

struct CUserStatus;

// The user list's order on one column: texts ascending without regard to
// case, times newest first, the operating system by its number, highest
// first; "Old Version" does not order at all. Keys are made once per row
// so that a sort only compares them.
class CSortKey
{
public:
    enum class Kind { Text, Time, Number, None };

    static Kind KindOf(int nField);
    // The key of a text: case folded, compared by code points. An ASCII
    // text needs no decoding and, already in lower case, not even a copy:
    // its key then refers to text, which must outlive it.
    static QByteArray TextKey(QByteArrayView text);
    // The number a time or number column sorts by; larger comes first.
    static qint64 NumberKey(const CUserStatus &status, int nField);
    // -1, 0 or 1 in the list's order of texts.
    static int CompareTexts(QByteArrayView a, QByteArrayView b);

    // A text key with its first eight bytes packed into a number, so that
    // most comparisons compare two numbers and touch no text. Ties go by
    // row, which keeps rows of equal texts in their order. The key text
    // must outlive it.
    struct Packed
    {
        quint64 nPrefix;
        const QByteArray *pKey;
        int nRow;

        static Packed Make(const QByteArray &key, int nRow);
        bool operator<(const Packed &other) const;
    };
};
