#include "sheets/restrictions/CRestrictionPicture.h"

#include "store/CRestrictions.h"

#include <QPainter>
#include <QPainterPath>

#include <array>

namespace {

// Every sketch is drawn on this canvas and scaled to the widget.
constexpr qreal kWidth = 300;
constexpr qreal kHeight = 230;
const QRectF kWindow(8, 8, 284, 214);

const QColor kFace(0xEC, 0xEC, 0xEC);
const QColor kEdge(0x80, 0x80, 0x80);
const QColor kTitle(0x2B, 0x57, 0x97);
const QColor kInk(0x30, 0x30, 0x30);
const QColor kFaint(0xC8, 0xC8, 0xC8);
const QColor kMarker(0xD0, 0x10, 0x10);

// --- what the sketches are made of -----------------------------------------

void SetFont(QPainter &p, qreal pixels, bool bold = false)
{
    QFont font = p.font();
    font.setPixelSize(int(pixels));
    font.setBold(bold);
    p.setFont(font);
}

void DrawWindow(QPainter &p, const QString &title)
{
    p.setPen(kEdge);
    p.setBrush(kFace);
    p.drawRect(kWindow);
    const QRectF bar(kWindow.left() + 1, kWindow.top() + 1, kWindow.width() - 1, 17);
    p.fillRect(bar, kTitle);
    SetFont(p, 10, true);
    p.setPen(Qt::white);
    p.drawText(bar.adjusted(6, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, title);
    const QRectF close(bar.right() - 15, bar.top() + 3, 12, 11);
    p.fillRect(close, kFace);
    p.setPen(kInk);
    p.drawLine(close.topLeft() + QPointF(3, 3), close.bottomRight() - QPointF(3, 3));
    p.drawLine(close.topRight() + QPointF(-3, 3), close.bottomLeft() + QPointF(3, -3));
}

void DrawButton(QPainter &p, const QRectF &r, const QString &text = {})
{
    p.setPen(kEdge);
    p.setBrush(QColor(0xF7, 0xF7, 0xF7));
    p.drawRoundedRect(r, 2, 2);
    if (!text.isEmpty()) {
        SetFont(p, 9);
        p.setPen(kInk);
        p.drawText(r, Qt::AlignCenter, text);
    }
}

void DrawField(QPainter &p, const QRectF &r, const QString &text = {})
{
    p.setPen(kEdge);
    p.setBrush(Qt::white);
    p.drawRect(r);
    if (!text.isEmpty()) {
        SetFont(p, 9);
        p.setPen(kInk);
        p.drawText(r.adjusted(4, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
    }
}

void DrawText(QPainter &p, const QRectF &r, const QString &text, qreal pixels = 9)
{
    SetFont(p, pixels);
    p.setPen(kInk);
    p.drawText(r, Qt::AlignVCenter | Qt::AlignLeft, text);
}

void DrawCheck(QPainter &p, QPointF at, const QString &text, bool checked)
{
    const QRectF box(at.x(), at.y() - 5, 10, 10);
    p.setPen(kEdge);
    p.setBrush(Qt::white);
    p.drawRect(box);
    if (checked) {
        p.setPen(QPen(kInk, 1.5));
        p.drawPolyline(QPolygonF({box.topLeft() + QPointF(2, 5), box.topLeft() + QPointF(4, 8),
                                  box.topLeft() + QPointF(8, 2)}));
    }
    DrawText(p, QRectF(at.x() + 15, at.y() - 8, 200, 16), text);
}

// Grey strokes standing for the text of a note.
void DrawTextLines(QPainter &p, const QRectF &r)
{
    p.setPen(QPen(kFaint, 3));
    const std::array<qreal, 6> lengths = {0.9, 0.75, 0.95, 0.6, 0.85, 0.4};
    qreal y = r.top() + 10;
    for (qreal length : lengths) {
        if (y > r.bottom() - 6)
            break;
        p.drawLine(QPointF(r.left() + 8, y), QPointF(r.left() + 8 + (r.width() - 16) * length, y));
        y += 12;
    }
}

void DrawMicrophone(QPainter &p, const QRectF &r)
{
    const QPointF c = r.center();
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(c.x() - 3, c.y() - 7, 6, 10), 3, 3);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - 5, c.y() - 4, 10, 10), 180 * 16, 180 * 16);
    p.drawLine(c + QPointF(0, 6), c + QPointF(0, 8));
}

void DrawClock(QPainter &p, const QRectF &r)
{
    const QPointF c = r.center();
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(Qt::white);
    p.drawEllipse(c, 6.5, 6.5);
    p.drawLine(c, c + QPointF(0, -4.5));
    p.drawLine(c, c + QPointF(3.5, 1.5));
    p.drawLine(c + QPointF(-6, -5), c + QPointF(-3, -8));
    p.drawLine(c + QPointF(6, -5), c + QPointF(3, -8));
}

void DrawHead(QPainter &p, QPointF at, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(at + QPointF(0, -3), 2.5, 2.5);
    p.drawPie(QRectF(at.x() - 4, at.y(), 8, 8), 0, 180 * 16);
}

void DrawTab(QPainter &p, const QRectF &r, const QString &text, bool active)
{
    p.setPen(kEdge);
    p.setBrush(active ? kFace : QColor(0xDA, 0xDA, 0xDA));
    p.drawRect(r);
    SetFont(p, 8);
    p.setPen(kInk);
    p.drawText(r, Qt::AlignCenter, text);
}

// --- the six sketches --------------------------------------------------------

const QRectF kToolSend(18, 32, 42, 20);
const QRectF kToolSecond(64, 32, 26, 20);
const QRectF kToolModels(94, 32, 62, 20);
const QRectF kToolUrgent(160, 32, 48, 20);

void DrawNoteWindow(QPainter &p, bool withModels, bool withAlarm = false)
{
    DrawWindow(p, QStringLiteral("New note"));
    DrawButton(p, kToolSend, QStringLiteral("Send"));
    DrawButton(p, kToolSecond);
    if (withAlarm)
        DrawClock(p, kToolSecond);
    else
        DrawMicrophone(p, kToolSecond);
    if (withModels)
        DrawButton(p, kToolModels, QStringLiteral("Models \u25BE"));
    DrawButton(p, kToolUrgent, QStringLiteral("Urgent"));
    DrawText(p, QRectF(18, 84, 24, 16), QStringLiteral("To:"));
    DrawField(p, QRectF(42, 84, 238, 16), QStringLiteral("Paul Martin; Sales"));
    const QRectF body(18, 106, 262, 106);
    DrawField(p, body);
    DrawTextLines(p, body);
}

void DrawCreation(QPainter &p)
{
    DrawNoteWindow(p, true);
}

void DrawAlarm(QPainter &p)
{
    DrawNoteWindow(p, true, true);
    // The alarm's drop-down, open under its button.
    const QRectF panel(92, 54, 150, 48);
    p.setPen(kEdge);
    p.setBrush(Qt::white);
    p.drawRect(panel);
    DrawText(p, QRectF(100, 58, 60, 16), QStringLiteral("Ring at"));
    DrawField(p, QRectF(148, 58, 50, 16), QStringLiteral("14:30"));
    DrawCheck(p, QPointF(100, 90), QStringLiteral("Every day"), false);
}

const std::array<QRectF, 4> kRecipientButtons = {
    QRectF(182, 32, 86, 20), QRectF(182, 58, 86, 20), QRectF(182, 84, 86, 20),
    QRectF(182, 110, 86, 20)};
const QPointF kEmailCheck(182, 196);

void DrawRecipients(QPainter &p)
{
    DrawWindow(p, QStringLiteral("Recipients"));
    const QRectF list(18, 32, 154, 180);
    DrawField(p, list);
    const std::array<std::pair<bool, const char *>, 8> rows = {{
        {true, "Sales"}, {true, "Support"}, {false, "Anne Dupont"}, {false, "Marc Roy"},
        {false, "Paul Martin"}, {false, "Julie Bernard"}, {false, "Luc Petit"},
        {false, "Sophie Leroy"}}};
    qreal y = list.top() + 12;
    for (const auto &[group, name] : rows) {
        DrawHead(p, QPointF(30, y), group ? QColor(0x2B, 0x8A, 0x3E) : kTitle);
        if (group)
            DrawHead(p, QPointF(36, y + 1), QColor(0x2B, 0x8A, 0x3E));
        DrawText(p, QRectF(44, y - 8, 120, 16), QString::fromLatin1(name));
        y += 20;
    }
    const std::array<const char *, 4> labels = {"Add group", "Delete group", "Users...",
                                                "Rescan list"};
    for (size_t i = 0; i < labels.size(); ++i)
        DrawButton(p, kRecipientButtons[i], QString::fromLatin1(labels[i]));
    DrawCheck(p, kEmailCheck, QStringLiteral("By e-mail"), false);
}

constexpr qreal kOptionTop = 40;
constexpr qreal kOptionStep = 24;
constexpr qreal kOptionLeft = 46;

void DrawSendOptions(QPainter &p)
{
    DrawWindow(p, QStringLiteral("Send options"));
    const std::array<const char *, 6> checks = {"Notify on receipt", "Notify when read",
                                                "Propose a reply",   "Keep a local copy",
                                                "Confidential",      "Display for"};
    for (size_t i = 0; i < checks.size(); ++i)
        DrawCheck(p, QPointF(kOptionLeft, kOptionTop + kOptionStep * qreal(i)),
                  QString::fromLatin1(checks[i]), i % 3 == 0);
    const qreal y = kOptionTop + kOptionStep * 5;
    DrawField(p, QRectF(kOptionLeft + 80, y - 8, 28, 16), QStringLiteral("10"));
    DrawText(p, QRectF(kOptionLeft + 112, y - 8, 60, 16), QStringLiteral("seconds"));
    DrawButton(p, QRectF(kOptionLeft, kOptionTop + kOptionStep * 6 - 10, 100, 20),
               QStringLiteral("Save as default"));
    DrawButton(p, QRectF(214, 196, 66, 20), QStringLiteral("Send"));
}

const QRectF kManageItem(98, 118, 124, 18);

void DrawModels(QPainter &p)
{
    DrawNoteWindow(p, false);
    // The Models menu of the note window, open.
    const QRectF menu(94, 52, 132, 88);
    p.setPen(kEdge);
    p.setBrush(Qt::white);
    p.drawRect(menu);
    DrawButton(p, kToolModels, QStringLiteral("Models \u25B4"));
    const std::array<const char *, 3> models = {"Meeting", "Phone call", "Visitor"};
    for (size_t i = 0; i < models.size(); ++i)
        DrawText(p, QRectF(106, 56 + 18 * qreal(i), 110, 16), QString::fromLatin1(models[i]));
    p.setPen(kFaint);
    p.drawLine(QPointF(100, 112), QPointF(220, 112));
    p.fillRect(kManageItem, QColor(0xCC, 0xDD, 0xF2));
    DrawText(p, kManageItem.adjusted(8, 0, 0, 0), QStringLiteral("Manage models..."));
}

// The client's configuration window: its eight tabs in two rows.
QRectF OptionTab(int index)
{
    // Each row spans the window; the long names get the wider tabs.
    const std::array<qreal, 8> widths = {52, 88, 58, 62, 74, 66, 58, 62};
    const int row = index / 4;
    qreal left = 19;
    for (int i = row * 4; i < index; ++i)
        left += widths[size_t(i)];
    return QRectF(left, row ? 66 : 48, widths[size_t(index)], 18);
}

void DrawOptions(QPainter &p)
{
    DrawWindow(p, QStringLiteral("Configuration"));
    const std::array<const char *, 8> tabs = {"Users",         "Communications", "Alarm",
                                              "Colors",        "Note creation",  "Attrac/Misc",
                                              "Special",       "Log/Debug"};
    const QRectF panel(19, 84, 260, 106);
    p.setPen(kEdge);
    p.setBrush(kFace);
    p.drawRect(panel);
    for (int i = 0; i < int(tabs.size()); ++i)
        DrawTab(p, OptionTab(i), QString::fromLatin1(tabs[size_t(i)]), i == 0);
    for (int i = 0; i < 3; ++i) {
        const std::array<const char *, 3> labels = {"Show", "Refresh", "Sound"};
        DrawText(p, QRectF(30, 112 + 22 * i, 70, 16), QString::fromLatin1(labels[size_t(i)]));
        DrawField(p, QRectF(100, 112 + 22 * i, 120, 16));
    }
    DrawButton(p, QRectF(146, 196, 64, 20), QStringLiteral("OK"));
    DrawButton(p, QRectF(216, 196, 64, 20), QStringLiteral("Cancel"));
}

// --- the markers ---------------------------------------------------------------

QPointF Bottom(const QRectF &r)
{
    return QPointF(r.center().x(), r.bottom());
}

QList<CRestrictionPicture::Marker> MarkersOf(int nGroup)
{
    using M = CRestrictionPicture::Marker;
    switch (nGroup) {
    case 0:
        return {M{QPointF(77, 68), Bottom(kToolSecond)}, M{QPointF(125, 68), Bottom(kToolModels)}};
    case 1:
        return {M{QPointF(77, 68), Bottom(kToolSecond)}};
    case 2: {
        QList<M> markers;
        for (const QRectF &button : kRecipientButtons)
            markers.append(M{QPointF(280, button.center().y()),
                             QPointF(button.right(), button.center().y())});
        markers.append(M{QPointF(280, kEmailCheck.y()), QPointF(262, kEmailCheck.y())});
        return markers;
    }
    case 3: {
        QList<M> markers;
        for (int i = 0; i < 7; ++i) {
            const qreal y = kOptionTop + kOptionStep * i;
            markers.append(M{QPointF(26, y), QPointF(kOptionLeft - 2, y)});
        }
        return markers;
    }
    case 4:
        return {M{QPointF(250, kManageItem.center().y()),
                  QPointF(kManageItem.right(), kManageItem.center().y())}};
    case 5: {
        QList<M> markers;
        for (int i = 0; i < 8; ++i) {
            const QRectF tab = OptionTab(i);
            // The first row is marked above, the second below, so no marker
            // hides a neighbouring tab.
            markers.append(i < 4 ? M{QPointF(tab.center().x(), 36), QPointF(tab.center().x(), tab.top())}
                                 : M{QPointF(tab.center().x(), 96), Bottom(tab)});
        }
        return markers;
    }
    default:
        return {};
    }
}

void DrawMarker(QPainter &p, const CRestrictionPicture::Marker &marker, const QString &text)
{
    p.setPen(QPen(kMarker, 1.5));
    p.drawLine(marker.centre, marker.target);
    p.setBrush(kMarker);
    p.drawEllipse(marker.target, 1.8, 1.8);
    p.setPen(QPen(Qt::white, 1.2));
    p.drawEllipse(marker.centre, 7.5, 7.5);
    SetFont(p, 10, true);
    p.drawText(QRectF(marker.centre - QPointF(8, 8), QSizeF(16, 16)), Qt::AlignCenter, text);
}

} // namespace

CRestrictionPicture::CRestrictionPicture(int nGroup, QWidget *parent)
    : QWidget(parent), m_nGroup(nGroup)
{
    setObjectName(QStringLiteral("Picture"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QList<CRestrictionPicture::Marker> CRestrictionPicture::GetMarkers(int nGroup)
{
    return MarkersOf(nGroup);
}

QString CRestrictionPicture::MarkerText(int nGroup, int nBit)
{
    if (CRestrictions::GetKeyCount(nGroup) < 2)
        return {};
    return QString::number(nBit + 1);
}

QSize CRestrictionPicture::sizeHint() const
{
    return QSize(int(kWidth), int(kHeight));
}

void CRestrictionPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const qreal scale = qMin(width() / kWidth, height() / kHeight);
    p.scale(scale, scale);
    switch (m_nGroup) {
    case 0: DrawCreation(p); break;
    case 1: DrawAlarm(p); break;
    case 2: DrawRecipients(p); break;
    case 3: DrawSendOptions(p); break;
    case 4: DrawModels(p); break;
    case 5: DrawOptions(p); break;
    default: return;
    }
    const QList<Marker> markers = MarkersOf(m_nGroup);
    for (int bit = 0; bit < markers.size(); ++bit)
        DrawMarker(p, markers[bit], MarkerText(m_nGroup, bit));
}
