#include "PropertiesTestShare.h"

#include "framework/CPropertySheet.h"
#include "framework/ResourceIds.h"
#include "platform/CodePage.h"
#include "sheets/properties/CColumnOrder.h"
#include "sheets/properties/CDisplayList.h"
#include "sheets/properties/CDisplayWnd.h"
#include "uilib/CClientCodePage.h"
#include "view/CColumn.h"
#include "view/CUserListModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QScrollBar>

namespace {

// Columns written as "title:position|title:position|...", in list order.
struct Rows
{
    explicit Rows(const QString &csText)
    {
        int nIndex = 0;
        for (const QString &csPart : csText.split('|')) {
            const qsizetype nColon = csPart.lastIndexOf(':');
            owned.push_back(std::make_unique<CColumn>(nIndex++, csPart.left(nColon),
                                                      csPart.mid(nColon + 1).toInt()));
            rows.append(owned.back().get());
        }
    }
    static QString Text(const QList<CColumn *> &rows)
    {
        QStringList parts;
        for (const CColumn *pColumn : rows)
            parts << QStringLiteral("%1:%2").arg(pColumn->GetTitle()).arg(pColumn->GetPosition());
        return parts.join('|');
    }
    std::vector<std::unique_ptr<CColumn>> owned;
    QList<CColumn *> rows;
};

const QString kThree = QStringLiteral("Login:0|Real Name:1|Logon:2");

QStringList ViewTitles(const CAdminView *pView)
{
    QStringList titles;
    for (int i = 0; i < pView->model()->columnCount(); ++i)
        titles << pView->model()->headerData(i, Qt::Horizontal).toString();
    return titles;
}

} // namespace

class TestDisplayWnd : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PropertiesTestShare> m_share;
    QList<int> m_beeps;

    // Runs the Options command; pAct works the page and ends the sheet.
    void Options(const std::function<void(CPropertySheet *, CDisplayWnd *)> &pAct)
    {
        WhenModal([&](QWidget *pModal) {
            auto *pSheet = qobject_cast<CPropertySheet *>(pModal);
            QVERIFY(pSheet);
            auto *pPage = pSheet->findChild<CDisplayWnd *>();
            QVERIFY(pPage && pPage->HasWindow());
            pAct(pSheet, pPage);
        });
        QVERIFY(m_share->Execute(ID_VIEW_OPTIONS));
    }
    static CDisplayList *List(CDisplayWnd *pPage) { return pPage->findChild<CDisplayList *>(); }
    static QPoint RowCenter(CDisplayWnd *pPage, int nRow)
    {
        CDisplayList *pList = List(pPage);
        return pList->visualItemRect(pList->topLevelItem(nRow)).center();
    }
    static void Click(CPropertySheet *pSheet, const char *name)
    {
        pSheet->findChild<QPushButton *>(QLatin1String(name))->click();
    }
    static void DoubleClick(CDisplayWnd *pPage, int nRow)
    {
        QWidget *pViewport = List(pPage)->viewport();
        QTest::mouseClick(pViewport, Qt::LeftButton, {}, RowCenter(pPage, nRow));
        QTest::mouseDClick(pViewport, Qt::LeftButton, {}, RowCenter(pPage, nRow));
    }
    // Presses on row nRow and moves far enough for the list to start a drag.
    static void StartDrag(CDisplayWnd *pPage, int nRow)
    {
        QWidget *pViewport = List(pPage)->viewport();
        const QPoint start = RowCenter(pPage, nRow);
        QTest::mousePress(pViewport, Qt::LeftButton, {}, start);
        QTest::mouseMove(pViewport, start + QPoint(2, 0));
        QTest::mouseMove(pViewport, start + QPoint(QApplication::startDragDistance() + 5, 0));
    }
    // The page has the mouse during a drag: moves and the release go to it.
    static void DragTo(CDisplayWnd *pPage, QPoint global)
    {
        QTest::mouseMove(pPage, pPage->mapFromGlobal(global));
    }
    static void DropAt(CDisplayWnd *pPage, QPoint global)
    {
        QTest::mouseRelease(pPage, Qt::LeftButton, {}, pPage->mapFromGlobal(global));
    }
    static QPoint RowGlobal(CDisplayWnd *pPage, int nRow)
    {
        return List(pPage)->viewport()->mapToGlobal(RowCenter(pPage, nRow));
    }
    static QList<int> Images(CDisplayWnd *pPage)
    {
        QList<int> images;
        for (const CColumn *pColumn : pPage->GetRows())
            images << (pColumn->IsVisible() ? 1 : 0);
        return images;
    }

private Q_SLOTS:
    void init()
    {
        m_share = std::make_unique<PropertiesTestShare>();
        m_share->Open("[Users]\r\nalice=Alice Adams\r\nerin=deleted\r\n");
        m_beeps.clear();
        CDisplayWnd::SetBeepHook([this](int nType) { m_beeps << nType; });
    }
    void cleanup()
    {
        CDisplayWnd::SetBeepHook({});
        m_share.reset();
    }

    // A move is "from>to"; a toggle is the row alone.
    void columnArithmetic_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("after");
        QTest::newRow("hide the middle one") << kThree << "1" << "Login:0|Logon:1|Real Name:-1000";
        QTest::newRow("show the last one after the last visible")
            << "Login:0|Logon:1|Real Name:-1000" << "2" << "Login:0|Logon:1|Real Name:2";
        QTest::newRow("hide the first one") << kThree << "0" << "Real Name:0|Logon:1|Login:-1000";
        QTest::newRow("show with none visible above")
            << "Login:-1|Real Name:1|Logon:2" << "0" << "Login:0|Real Name:2|Logon:3";
        QTest::newRow("show between two visible ones")
            << "Login:0|OS:-1|Real Name:1" << "1" << "Login:0|OS:1|Real Name:2";
        QTest::newRow("hidden one goes right after the visible ones")
            << "Login:0|Logon:1|OS:-1000|Real Name:-1000" << "0"
            << "Logon:0|Login:-1000|OS:-1000|Real Name:-1000";
        QTest::newRow("toggle no such row") << kThree << "3" << kThree;
        QTest::newRow("last onto first") << kThree << "2>0" << "Logon:0|Login:1|Real Name:2";
        QTest::newRow("first onto last") << kThree << "0>2" << "Real Name:0|Logon:1|Login:2";
        QTest::newRow("one down") << kThree << "0>1" << "Real Name:0|Login:1|Logon:2";
        QTest::newRow("hidden one dragged into place is shown")
            << "Login:0|Logon:1|Real Name:-1000" << "2>1" << "Login:0|Real Name:1|Logon:2";
        QTest::newRow("visible one dropped on itself stays")
            << "Login:0|Logon:1|Real Name:-1000" << "1>1" << "Login:0|Logon:1|Real Name:-1000";
        QTest::newRow("hidden one dropped on its own row is shown")
            << "Login:0|Logon:1|Real Name:-1000" << "2>2" << "Login:0|Logon:1|Real Name:2";
        QTest::newRow("hidden one dropped on itself goes after the visible ones")
            << "Login:0|OS:-1000|Real Name:-1000" << "2>2" << "Login:0|Real Name:2|OS:-1000";
        QTest::newRow("visible one onto a hidden row goes after the visible ones")
            << "Login:0|Logon:1|OS:-1000|Real Name:-1000" << "0>3"
            << "Logon:0|Login:3|OS:-1000|Real Name:-1000";
    }
    void columnArithmetic()
    {
        QFETCH(QString, before);
        QFETCH(QString, op);
        QFETCH(QString, after);
        Rows rows(before);
        if (const QStringList rowsOfMove = op.split('>'); rowsOfMove.size() == 2)
            CColumnOrder::Move(rows.rows, rowsOfMove[0].toInt(), rowsOfMove[1].toInt());
        else
            CColumnOrder::Toggle(rows.rows, op.toInt());
        QCOMPARE(Rows::Text(rows.rows), after);
    }

    void applyNumbersVisibleColumnsAndKeepsTheOrder()
    {
        Rows rows("Logon:0|Login:3|OS:-1000|Real Name:-1|Level:-1000");
        CColumnArray layout;
        layout.Add(CColumn(9, "Language", 0));
        CColumnOrder::Apply(rows.rows, layout);
        QStringList stored;
        for (int i = 0; i < layout.GetSize(); ++i)
            stored << layout.GetAt(i)->GetTitle() + '=' + layout.GetAt(i)->GetStoredText();
        QCOMPARE(stored, QStringList({"Logon=0/100/0", "Login=1/100/0", "OS=-1000/100/0",
                                      "Real Name=-1000/100/0", "Level=-1000/100/0"}));
    }

    void doubleClickHidesAndOkRebuildsTheList()
    {
        m_share->Select({m_share->User("alice")});
        Options([&](CPropertySheet *pSheet, CDisplayWnd *pPage) {
            QCOMPARE(pSheet->windowTitle(), QString("Options"));
            QCOMPARE(List(pPage)->headerItem()->text(0), QString("Columns"));
            QCOMPARE(List(pPage)->columnWidth(0), 200);
            QCOMPARE(Images(pPage), QList<int>(11, 1));
            DoubleClick(pPage, 1);
            QCOMPARE(List(pPage)->topLevelItem(1)->text(0), QString("Logon"));
            QCOMPARE(List(pPage)->topLevelItem(10)->text(0), QString("Real Name"));
            QCOMPARE(Images(pPage).last(), 0);
            // The toggled column stays selected in its new row.
            QVERIFY(List(pPage)->topLevelItem(10)->isSelected());
            // With nothing selected a double click does nothing.
            List(pPage)->clearSelection();
            Q_EMIT List(pPage)->DoubleClicked();
            QCOMPARE(Images(pPage).first(), 1);
            // Nothing reaches the list before OK.
            QCOMPARE(ViewTitles(m_share->View()).size(), 11);
            Click(pSheet, "IDOK");
        });
        QCOMPARE(ViewTitles(m_share->View()).mid(0, 3), QStringList({"Login", "Logon", "Logoff"}));
        QCOMPARE(ViewTitles(m_share->View()).size(), 10);
        QCOMPARE(CColumnArray::Shared().GetAt(10)->GetStoredText(), QString("-1000/100/0"));
        // The rows show the new columns at once.
        QCOMPARE(m_share->View()->GetModel()->GetCellText(0, 0), QByteArray("alice"));
        QCOMPARE(m_share->View()->GetModel()->GetCellText(0, 1),
                 m_share->User("alice")->GetColumnText(CUser::ColLogon));
        // The rows the administrator had selected stay selected.
        QList<CUser *> selected;
        QCOMPARE(m_share->View()->GetSelectedUsers(selected), 1);
        QCOMPARE(selected.first(), m_share->User("alice"));
        QCOMPARE(m_share->View()->selectionModel()->currentIndex().row(), 0);
    }

    void okKeepsTheListWhereItWas()
    {
        QByteArray usersIni = "[Users]\r\n";
        for (int i = 0; i < 300; ++i)
            usersIni += "user" + QByteArray::number(i) + "=Name " + QByteArray::number(i) + "\r\n";
        m_share = std::make_unique<PropertiesTestShare>();
        m_share->Open(usersIni);
        CAdminView *pView = m_share->View();
        pView->show();
        QVERIFY(QTest::qWaitForWindowExposed(pView));
        m_share->Select({m_share->User("user10")});
        QScrollBar *pVertical = pView->verticalScrollBar();
        QScrollBar *pHorizontal = pView->horizontalScrollBar();
        pVertical->setValue(pVertical->maximum() / 2);
        pHorizontal->setValue(pHorizontal->maximum());
        const int nVertical = pVertical->value();
        const int nHorizontal = pHorizontal->value();
        QVERIFY(nVertical > 0 && nHorizontal > 0);
        QSignalSpy currentChanged(pView->selectionModel(), &QItemSelectionModel::currentChanged);
        QSignalSpy selectionChanged(pView->selectionModel(),
                                    &QItemSelectionModel::selectionChanged);
        QSignalSpy userSelected(pView, &CAdminView::UserSelected);

        Options([&](CPropertySheet *pSheet, CDisplayWnd *) { Click(pSheet, "IDOK"); });
        QCoreApplication::processEvents();
        QCOMPARE(pVertical->value(), nVertical);
        QCOMPARE(pHorizontal->value(), nHorizontal);
        QCOMPARE(currentChanged.count(), 0);
        QCOMPARE(selectionChanged.count(), 0);
        QCOMPARE(userSelected.count(), 0);
        QList<CUser *> selected;
        QCOMPARE(pView->GetSelectedUsers(selected), 1);
        QCOMPARE(selected.first(), m_share->User("user10"));
    }

    void dragMovesAColumn_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("Logon onto Login") << 2 << 0 << QStringList{"Logon", "Login", "Real Name"};
        QTest::newRow("Login onto Logon") << 0 << 2 << QStringList{"Real Name", "Logon", "Login"};
    }
    void dragMovesAColumn()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QStringList, titles);
        Options([&](CPropertySheet *pSheet, CDisplayWnd *pPage) {
            StartDrag(pPage, from);
            QVERIFY(pPage->IsDragging());
            auto *pImage = pPage->findChild<QLabel *>("dragImage");
            QVERIFY(pImage && pImage->isVisible() && !pImage->pixmap().isNull());
            DragTo(pPage, RowGlobal(pPage, to));
            QCOMPARE(pPage->GetDropTarget(), to);
            QCOMPARE(pImage->pos(), RowGlobal(pPage, to) - QPoint(8, 8));
            QCOMPARE(List(pPage)->topLevelItem(to)->background(0),
                     List(pPage)->palette().brush(QPalette::Highlight));
            DropAt(pPage, RowGlobal(pPage, to));
            QVERIFY(!pPage->IsDragging());
            QVERIFY(!pPage->findChild<QLabel *>("dragImage"));
            QCOMPARE(List(pPage)->topLevelItem(to)->background(0), QBrush());
            Click(pSheet, "IDOK");
        });
        QCOMPARE(ViewTitles(m_share->View()).mid(0, 3), titles);
        QCOMPARE(m_beeps, QList<int>());
    }

    void dropOutsideTheListBeepsAndChangesNothing()
    {
        Options([&](CPropertySheet *pSheet, CDisplayWnd *pPage) {
            StartDrag(pPage, 2);
            DragTo(pPage, RowGlobal(pPage, 0));
            QCOMPARE(pPage->GetDropTarget(), 0);
            // Leaving the list takes the highlight off.
            const QPoint outside = pSheet->frameGeometry().bottomRight() + QPoint(300, 300);
            DragTo(pPage, outside);
            QCOMPARE(pPage->GetDropTarget(), -1);
            QCOMPARE(List(pPage)->topLevelItem(0)->background(0), QBrush());
            DropAt(pPage, outside);
            QCOMPARE(m_beeps, QList<int>({48}));
            QCOMPARE(List(pPage)->topLevelItem(2)->text(0), QString("Logon"));
            // Dropped on the list's header, on no row: no beep, no change.
            StartDrag(pPage, 2);
            DragTo(pPage, RowGlobal(pPage, 0));
            QHeaderView *pHeader = List(pPage)->header();
            const QPoint header = pHeader->mapToGlobal(pHeader->rect().center());
            DragTo(pPage, header);
            QCOMPARE(pPage->GetDropTarget(), -1);
            DropAt(pPage, header);
            QCOMPARE(m_beeps.size(), 1);
            QCOMPARE(List(pPage)->topLevelItem(2)->text(0), QString("Logon"));
            Click(pSheet, "IDOK");
        });
        QCOMPARE(ViewTitles(m_share->View()).mid(0, 3),
                 QStringList({"Login", "Real Name", "Logon"}));
    }

    void cancelChangesNothing()
    {
        const QStringList before = ViewTitles(m_share->View());
        Options([&](CPropertySheet *pSheet, CDisplayWnd *pPage) {
            DoubleClick(pPage, 0);
            pPage->findChild<QCheckBox *>("showDeletedCheck")->setChecked(true);
            Click(pSheet, "IDCANCEL");
        });
        QCOMPARE(ViewTitles(m_share->View()), before);
        QVERIFY(CColumnArray::Shared().GetAt(0)->IsVisible());
        QVERIFY(!m_share->View()->GetShowDeleted());
    }

    void okTakesShowDeletedAndKeepsDraggedWidths()
    {
        m_share->View()->header()->resizeSection(0, 170);
        Options([&](CPropertySheet *pSheet, CDisplayWnd *pPage) {
            auto *pBox = pPage->findChild<QCheckBox *>("showDeletedCheck");
            QCOMPARE(pBox->text(), QString("Show deleted users"));
            QVERIFY(!pBox->isChecked());
            pBox->setChecked(true);
            Click(pSheet, "IDOK");
        });
        QVERIFY(m_share->View()->GetShowDeleted());
        QVERIFY(m_share->View()->FindRow(CRowObject::User(m_share->User("erin"))) >= 0);
        QCOMPARE(m_share->View()->header()->sectionSize(0), 170);
        // And the box shows the flag the next time.
        Options([&](CPropertySheet *, CDisplayWnd *pPage) {
            QVERIFY(pPage->findChild<QCheckBox *>("showDeletedCheck")->isChecked());
        });
    }

    // The Clients page chooses the code page the list reads names in; the
    // choice is kept in the settings, and a stored name that is no code page
    // is refused at the next start.
    void clientsPageSetsTheCodePage()
    {
        m_share.reset();
        m_share = std::make_unique<PropertiesTestShare>();
        QCOMPARE(CClientCodePage::Load(), QString());
        m_share->Open("[Users]\r\n\xe8va=\xc8va \xe8\r\n");
        const auto shown = [&] {
            const CAdminView *pView = m_share->View();
            const int nRow = pView->FindRow(CRowObject::User(m_share->User("\xe8va")));
            const int nColumn =
                int(CColumnArray::Shared().GetVisibleFields().indexOf(CUser::ColFullName));
            return pView->model()->data(pView->model()->index(nRow, nColumn)).toString();
        };
        QCOMPARE(shown(), QString::fromUtf8("Èva è"));
        QStringList offered;
        Options([&](CPropertySheet *pSheet, CDisplayWnd *) {
            pSheet->SetActivePage(1);
            auto *pCombo = pSheet->findChild<QComboBox *>("codePageCombo");
            QVERIFY(pCombo);
            for (int i = 0; i < pCombo->count(); ++i)
                offered << pCombo->itemData(i).toString();
            QCOMPARE(pCombo->currentText(), QStringLiteral("windows-1252 - Western European"));
            pCombo->setCurrentIndex(pCombo->findData(QStringLiteral("windows-1251")));
            Click(pSheet, "IDOK");
        });
        const QString csAfter = shown();
        const QString csLoaded = CClientCodePage::Load();
        const QString csCurrent = CodePage::CurrentName();
        CodePage::SetCurrent(QStringLiteral("windows-1252"));
        QCOMPARE(offered, CodePage::OfferedNames());
        QCOMPARE(csAfter, QString::fromUtf8("Иva и"));
        QCOMPARE(csLoaded, QString());
        QCOMPARE(csCurrent, QStringLiteral("windows-1251"));

        QVERIFY(!CClientCodePage::Store(QStringLiteral("windows-9999")).isEmpty());
        QCOMPARE(CodePage::CurrentName(), QStringLiteral("windows-1252"));
        QSettings(QSettings::IniFormat, QSettings::SystemScope, "Corvane", "Admin")
            .setValue(CClientCodePage::kValueName, "klingon");
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Corvane", "Admin")
            .setValue(CClientCodePage::kValueName, "klingon");
        QVERIFY(CClientCodePage::Load().contains("klingon"));
        QCOMPARE(CodePage::CurrentName(), QStringLiteral("windows-1252"));
    }
};

QTEST_MAIN(TestDisplayWnd)
#include "tst_displaywnd.moc"
