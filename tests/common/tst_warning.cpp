// Which numbers are warnings: every number the warning dialog knows converts to its name and
// back; 21 and the numbers outside 0..54 are none.
#include "common/warning.h"

#include <QtTest>

class TstWarning : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void numbers_data();
    void numbers();
};

void TstWarning::numbers_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("warning");
    for (int n = -1; n <= 55; ++n)
        QTest::addRow("%d", n) << n << (n >= 0 && n <= 54 && n != 21);
    QTest::newRow("server code") << 10011 << false;
}

void TstWarning::numbers()
{
    QFETCH(int, number);
    QFETCH(bool, warning);
    const std::optional<Warning> w = warningFromInt(number);
    QCOMPARE(w.has_value(), warning);
    if (w)
        QCOMPARE(toInt(*w), number);
}

QTEST_GUILESS_MAIN(TstWarning)
#include "tst_warning.moc"
