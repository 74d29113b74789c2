// Password hashes: salted, verified, never the clear text.
#include "db/PasswordHash.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestPassword : public QObject
{
    Q_OBJECT
private slots:
    void verifiesOnlyTheRightPassword();
    void sameClearTextGetsDifferentHashes();
    void hashesStoredByEarlierVersionsStillVerify();
    void malformedStoredValuesNeverVerify_data();
    void malformedStoredValuesNeverVerify();
};

void TestPassword::verifiesOnlyTheRightPassword()
{
    const QString stored = PasswordHash::hash(u"密码1234"_s);
    QVERIFY(!stored.contains(u"密码1234"_s));
    QVERIFY(PasswordHash::verify(u"密码1234"_s, stored));
    QVERIFY(!PasswordHash::verify(u"密码1235"_s, stored));
    QVERIFY(!PasswordHash::verify(QString(), stored));
    QVERIFY(!PasswordHash::verify(u"密码1234 "_s, stored));
}

void TestPassword::sameClearTextGetsDifferentHashes()
{
    const QString a = PasswordHash::hash(u"1"_s);
    const QString b = PasswordHash::hash(u"1"_s);
    QVERIFY(a != b);
    QVERIFY(PasswordHash::verify(u"1"_s, a));
    QVERIFY(PasswordHash::verify(u"1"_s, b));
}

// Written by the program before the hashing moved to libcrypto: the stored format and the
// derivation must not change under the operators' and members' feet.
void TestPassword::hashesStoredByEarlierVersionsStillVerify()
{
    const QString stored = u"pbkdf2-sha256$60000$Ndwf5725aQRVvw1tV1EIEw==$PNAUS2kAqCvuWQ+2RwiLpg2HaK0fBD/j+nby9D4+Zps="_s;
    QVERIFY(PasswordHash::verify(u"收银台8号"_s, stored));
    QVERIFY(!PasswordHash::verify(u"收银台9号"_s, stored));
}

void TestPassword::malformedStoredValuesNeverVerify_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("clear text") << u"1"_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("wrong scheme") << u"md5$1$AAAA$AAAA"_s;
    QTest::newRow("bad count") << u"pbkdf2-sha256$x$AAAA$AAAA"_s;
    QTest::newRow("short hash") << u"pbkdf2-sha256$10$c2FsdA==$AAAA"_s;
}

void TestPassword::malformedStoredValuesNeverVerify()
{
    QFETCH(QString, stored);
    QVERIFY(!PasswordHash::verify(u"1"_s, stored));
}

QTEST_GUILESS_MAIN(TestPassword)
#include "tst_password.moc"
