#include "StoreTestFiles.h"

#include "platform/CodePage.h"
#include "platform/Profile.h"
#include "store/CAdminDoc.h"
#include "store/CGroup.h"
#include "store/CUser.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QList<QByteArray> Members(const CGroup *group)
{
    QList<QByteArray> logins;
    for (const CUser *user : *group)
        logins.append(user->GetLogin());
    return logins;
}

QList<QByteArray> Names(const QList<CGroup *> &groups)
{
    QList<QByteArray> names;
    for (const CGroup *group : groups)
        names.append(group->GetName());
    return names;
}

} // namespace

class TestGroups : public QObject
{
    Q_OBJECT

private:
    QString UsersIni() const { return m_dir->filePath(QStringLiteral("Users.ini")); }

    // A roster of alice, bob, carol plus the given Groups section text.
    void WriteShare(const QByteArray &groups)
    {
        WriteFileBytes(UsersIni(), "[Users]\r\nalice=Alice\r\nbob=Bob\r\ncarol=Carol\r\n"
                                   "'q=Quote One\r\nq'=Quote Two\r\n[Groups]\r\n" + groups);
    }

    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void memberListParsing_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QList<QByteArray>>("logins");
        QTest::newRow("plain") << QByteArray("alice,bob") << QList<QByteArray>{"alice", "bob"};
        QTest::newRow("empty pieces") << QByteArray(",alice,,bob,") << QList<QByteArray>{"alice", "bob"};
        QTest::newRow("empty") << QByteArray("") << QList<QByteArray>{};
        QTest::newRow("commas only") << QByteArray(",,,") << QList<QByteArray>{};
        QTest::newRow("blanks kept") << QByteArray("a b, c") << QList<QByteArray>{"a b", " c"};
    }

    void memberListParsing()
    {
        QFETCH(QByteArray, list);
        QFETCH(QList<QByteArray>, logins);
        QList<QByteArray> parsed{"stale"};
        CGroup::ParseMemberList(list, parsed);
        QCOMPARE(parsed, logins);
    }

    void removeMemberTakesTheLastOccurrence()
    {
        CUser alice("alice", "A"), bob("bob", "B");
        CGroup group("G");
        group << &alice << &bob << &alice << nullptr;
        group.RemoveMember(&alice);
        QCOMPARE(group.size(), 3);
        QCOMPARE(group.at(0), &alice);
        QCOMPARE(group.at(1), &bob);
        QCOMPARE(group.GetMemberList(), QByteArray("alice,bob"));
        group.RemoveMember(&alice);
        group.RemoveMember(&alice);
        QCOMPARE(group.GetMemberList(), QByteArray("bob"));
    }

    void loadDropsUnknownMembersAndRepeatedNames()
    {
        WriteShare("Sales=alice,,bob,ghost,\r\nSales=carol\r\nGhosts=ghost,nobody\r\nsales=carol\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        QCOMPARE(Names(doc.GetGroups()), (QList<QByteArray>{"Sales", "Ghosts", "sales"}));
        QCOMPARE(Members(doc.FindGroup("Sales")), (QList<QByteArray>{"alice", "bob"}));
        QVERIFY(doc.FindGroup("Ghosts")->isEmpty());
        // The clients read a key by name without regard to case: "sales" holds Sales's members.
        QCOMPARE(Members(doc.FindGroup("sales")), (QList<QByteArray>{"alice", "bob"}));

        QVERIFY(doc.SaveGroups());
        CAdminDoc reread;
        QVERIFY(reread.OnNewDocument(m_dir->path()));
        QCOMPARE(Members(reread.FindGroup("Sales")), (QList<QByteArray>{"alice", "bob"}));
        QCOMPARE(Profile::GetString(UsersIni(), "Groups", "Sales"), QByteArray("alice,bob"));
        QCOMPARE(Profile::GetString(UsersIni(), "Groups", "Ghosts", "default"), QByteArray());
    }

    void lookupsByName()
    {
        WriteShare("Sales=alice\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        QVERIFY(doc.FindGroup("Sales"));
        QVERIFY(!doc.FindGroup("SALES"));
        QVERIFY(doc.GroupNameExists("SALES"));
        QVERIFY(doc.GroupNameExists("sales"));
        QVERIFY(!doc.GroupNameExists("Sale"));
    }

    // Names that differ in an accented letter are different groups; an
    // accented capital is the same letter as its small one.
    void accentedNamesAreComparedAsLetters_data()
    {
        QTest::addColumn<QString>("codePage");
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QByteArray>("asked");
        QTest::addColumn<bool>("taken");
        QTest::newRow("same") << "windows-1252" << QByteArray("\xc9quipe") << QByteArray("\xc9quipe") << true;
        QTest::newRow("small e acute") << "windows-1252" << QByteArray("\xc9quipe") << QByteArray("\xe9QUIPE") << true;
        QTest::newRow("E grave") << "windows-1252" << QByteArray("\xc9quipe") << QByteArray("\xc8quipe") << false;
        QTest::newRow("a grave") << "windows-1252" << QByteArray("\xc9quipe") << QByteArray("\xe0quipe") << false;
        QTest::newRow("plain E") << "windows-1252" << QByteArray("\xc9quipe") << QByteArray("Equipe") << false;
        QTest::newRow("1251 capital") << "windows-1251" << QByteArray("\xe3\xf0\xf3\xef\xef\xe0")
                                      << QByteArray("\xc3\xd0\xd3\xcf\xcf\xc0") << true;
        QTest::newRow("1251 other word") << "windows-1251" << QByteArray("\xe3\xf0\xf3\xef\xef\xe0")
                                         << QByteArray("\xe3\xf0\xf3\xef\xef\xe5") << false;
        QTest::newRow("936 fullwidth capital") << "windows-936" << QByteArray("\xa3\xc1\xd7\xe9")
                                               << QByteArray("\xa3\xe1\xd7\xe9") << true;
        QTest::newRow("936 other character") << "windows-936" << QByteArray("\xd6\xd0")
                                             << QByteArray("\xd6\xd1") << false;
    }
    void accentedNamesAreComparedAsLetters()
    {
        QFETCH(QString, codePage);
        QFETCH(QByteArray, existing);
        QFETCH(QByteArray, asked);
        QFETCH(bool, taken);
        QVERIFY(CodePage::SetCurrent(codePage));
        WriteShare(existing + "=alice\r\n");
        CAdminDoc doc;
        const bool ok = doc.OnNewDocument(m_dir->path());
        const bool answer = doc.GroupNameExists(asked);
        CodePage::SetCurrent(QStringLiteral("windows-1252"));
        QVERIFY(ok);
        QVERIFY(doc.FindGroup(existing));
        QCOMPARE(answer, taken);
    }

    void longMemberListSurvivesRoundTrip()
    {
        QByteArray users = "[Users]\r\n", members;
        for (int i = 0; i < 400; ++i) {
            const QByteArray login = "member" + QByteArray::number(1000 + i);
            users += login + "=M\r\n";
            members += (i ? "," : "") + login;
        }
        WriteFileBytes(UsersIni(), users + "[Groups]\r\nEveryone=" + members + "\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        QCOMPARE(doc.FindGroup("Everyone")->size(), 400);
        QVERIFY(doc.SaveGroups());
        CAdminDoc reread;
        QVERIFY(reread.OnNewDocument(m_dir->path()));
        QCOMPARE(reread.FindGroup("Everyone")->GetMemberList(), members);
    }

    void membersWithQuotesSurviveRoundTrip()
    {
        WriteShare("");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        auto group = std::make_unique<CGroup>("Quoted");
        group->append(doc.FindUser("'q"));
        group->append(doc.FindUser("q'"));
        doc.AddGroup(std::move(group));
        auto single = std::make_unique<CGroup>("Single");
        single->append(doc.FindUser("'q"));
        doc.AddGroup(std::move(single));
        QVERIFY(doc.SaveGroups());
        CAdminDoc reread;
        QVERIFY(reread.OnNewDocument(m_dir->path()));
        QCOMPARE(Members(reread.FindGroup("Quoted")), (QList<QByteArray>{"'q", "q'"}));
        QCOMPARE(Members(reread.FindGroup("Single")), (QList<QByteArray>{"'q"}));
    }

    void savingNoGroupsRemovesTheSection()
    {
        WriteShare("Sales=alice\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        doc.DeleteAllGroups();
        QVERIFY(doc.SaveGroups());
        QVERIFY(!Profile::GetSections(UsersIni()).contains("Groups"));
        QCOMPARE(Profile::GetString(UsersIni(), "Users", "alice"), QByteArray("Alice"));
    }

    void editorGroupsReplaceTheFileInOrder()
    {
        WriteShare("Old=alice\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        std::vector<std::unique_ptr<CGroup>> fresh;
        fresh.push_back(std::make_unique<CGroup>("Zeta"));
        fresh.push_back(nullptr);
        fresh.push_back(std::make_unique<CGroup>("Alpha"));
        fresh.back()->append(doc.FindUser("carol"));
        doc.DeleteAllGroups();
        doc.AddGroups(std::move(fresh));
        QVERIFY(doc.SaveGroups());
        QCOMPARE(Profile::GetKeys(UsersIni(), "Groups"), (QList<QByteArray>{"Zeta", "Alpha"}));
        QCOMPARE(Profile::GetString(UsersIni(), "Groups", "Alpha"), QByteArray("carol"));
    }

    void unwritableGroupIsReportedAndNothingWritten_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("otherName");
        QTest::addColumn<QByteArray>("memberLogin");
        QTest::newRow("equals sign") << QByteArray("a=b") << QByteArray("Fine") << QByteArray("alice");
        QTest::newRow("empty name") << QByteArray("") << QByteArray("Fine") << QByteArray("alice");
        QTest::newRow("bracket") << QByteArray("[x") << QByteArray("Fine") << QByteArray("alice");
        QTest::newRow("line break") << QByteArray("a\nb") << QByteArray("Fine") << QByteArray("alice");
        QTest::newRow("same name but case") << QByteArray("Team") << QByteArray("TEAM")
                                            << QByteArray("alice");
        QTest::newRow("comma in a login") << QByteArray("Team") << QByteArray("Fine")
                                          << QByteArray("x,y");
    }

    void unwritableGroupIsReportedAndNothingWritten()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, otherName);
        QFETCH(QByteArray, memberLogin);
        WriteFileBytes(UsersIni(), "[Users]\r\nalice=Alice\r\n" + memberLogin + "=Someone\r\n"
                                   "[Groups]\r\nOld=alice\r\n");
        const QByteArray before = ReadFileBytes(UsersIni());
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        doc.DeleteAllGroups();
        doc.AddGroup(std::make_unique<CGroup>(otherName));
        auto group = std::make_unique<CGroup>(name);
        group->append(doc.FindUser(memberLogin));
        doc.AddGroup(std::move(group));

        const ProfileResult saved = doc.SaveGroups();
        QVERIFY(!saved.ok);
        QVERIFY(!saved.message.isEmpty());
        QCOMPARE(ReadFileBytes(UsersIni()), before);
    }

    void nameTheFileHoldsButCannotBeWrittenKeepsItsLine_data()
    {
        QTest::addColumn<bool>("personal");
        QTest::newRow("shared groups") << false;
        QTest::newRow("personal groups") << true;
    }
    void nameTheFileHoldsButCannotBeWrittenKeepsItsLine()
    {
        QFETCH(bool, personal);
        // A client wrote a group name with a tab inside; a save may not
        // refuse the whole level for it, nor change that line.
        const QByteArray odd = "Sales\tTeam=alice, bob ;x";
        const QByteArray section = "[Groups]\r\n" + odd + "\r\nBoard=bob\r\n";
        WriteShare(personal ? QByteArray() : section.mid(10));
        const QString path = personal ? m_dir->filePath("carol.ini") : UsersIni();
        if (personal)
            WriteFileBytes(path, "[Parameters]\r\nCommMode=1\r\n" + section);
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        CUser *carol = doc.FindUser("carol");
        if (personal)
            carol->LoadGroups(doc);
        const QList<CGroup *> &groups = personal ? carol->GetGroups() : doc.GetGroups();
        QCOMPARE(Names(groups), (QList<QByteArray>{"Sales\tTeam", "Board"}));
        groups.at(1)->append(doc.FindUser("carol"));
        auto added = std::make_unique<CGroup>("New");
        added->append(doc.FindUser("alice"));
        if (personal)
            carol->AddGroup(std::move(added));
        else
            doc.AddGroup(std::move(added));

        const ProfileResult saved = personal ? carol->SaveGroups() : doc.SaveGroups();
        QVERIFY2(saved.ok, qPrintable(saved.message));
        const QByteArray after = ReadFileBytes(path);
        QVERIFY(after.contains("[Groups]\r\n" + odd + "\r\nBoard=bob,carol\r\nNew=alice\r\n"));
        // A name made here that cannot be written is still refused.
        auto made = std::make_unique<CGroup>("Made\there");
        if (personal)
            carol->AddGroup(std::move(made));
        else
            doc.AddGroup(std::move(made));
        QVERIFY(!(personal ? carol->SaveGroups() : doc.SaveGroups()).ok);
        QCOMPARE(ReadFileBytes(path), after);
    }

    void personalGroupsRoundTrip()
    {
        WriteShare("");
        WriteFileBytes(m_dir->filePath("alice.ini"),
                       "[Parameters]\r\nCommMode=1\r\n[Groups]\r\nFriends=bob,ghost,carol\r\n"
                       "Friends=alice\r\nEmpty=\r\n");
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        CUser *alice = doc.FindUser("alice");
        alice->LoadGroups(doc);
        alice->LoadGroups(doc);
        QCOMPARE(Names(alice->GetGroups()), (QList<QByteArray>{"Friends", "Empty"}));
        QCOMPARE(Members(alice->FindGroup("Friends")), (QList<QByteArray>{"bob", "carol"}));
        QVERIFY(alice->HasGroup("Empty"));
        QVERIFY(!alice->HasGroup("friends"));

        alice->FindGroup("Empty")->append(doc.FindUser("alice"));
        QVERIFY(alice->SaveGroups());
        // ghost, whom the roster does not know (yet), is written back.
        QCOMPARE(Profile::GetString(m_dir->filePath("alice.ini"), "Groups", "Friends"),
                 QByteArray("bob,carol,ghost"));
        QCOMPARE(Profile::GetString(m_dir->filePath("alice.ini"), "Parameters", "CommMode"),
                 QByteArray("1"));
        CUser *bob = doc.FindUser("bob");
        bob->LoadGroups(doc);
        QVERIFY(bob->GetGroups().isEmpty());
        alice->LoadGroups(doc);
        QCOMPARE(Members(alice->FindGroup("Empty")), (QList<QByteArray>{"alice"}));
        QVERIFY(doc.FindGroup("Friends") == nullptr);
    }

    void personalGroupsUnreadableAreNotOverwritten()
    {
        WriteShare("");
        QVERIFY(QDir(m_dir->path()).mkdir("bob.ini"));
        CAdminDoc doc;
        QVERIFY(doc.OnNewDocument(m_dir->path()));
        CUser *bob = doc.FindUser("bob");
        bob->LoadGroups(doc);
        QVERIFY(bob->GetGroups().isEmpty());
        bob->AddGroup(std::make_unique<CGroup>("New"));
        const ProfileResult refused = bob->SaveGroups();
        QVERIFY(!refused.ok);
        QVERIFY(refused.message.contains("bob"));
        QVERIFY(QFileInfo(m_dir->filePath("bob.ini")).isDir());
    }
};

QTEST_GUILESS_MAIN(TestGroups)
#include "tst_groups.moc"
