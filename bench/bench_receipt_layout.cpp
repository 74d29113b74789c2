// How long laying out a receipt takes when a bill has far more lines than any guest runs up.
// Usage: bench_receipt_layout [lines]   (default 2000)
#include "report/Receipt.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextStream>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    // Layout measures text but shows nothing: no screen is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2000;
    QTextStream out(stdout);

    DataSet lines({{u"项目名"_s, ColumnKind::Text},
                   {u"单价"_s, ColumnKind::Money},
                   {u"数量"_s, ColumnKind::Integer},
                   {u"合计"_s, ColumnKind::Money},
                   {u"消费时间"_s, ColumnKind::DateTime},
                   {u"手牌号码"_s, ColumnKind::Text}});
    const QStringList items{u"浴资"_s, u"中药足浴加泰式按摩"_s, u"果盘"_s, u"搓背"_s, u"香烟"_s, u"啤酒"_s};
    const QDateTime start(QDate(2024, 5, 1), QTime(18, 0));
    for (int i = 0; i < count; ++i) {
        const Money price = Money::fromRaw(100000 + (i % 977) * 1000);
        const qint64 quantity = 1 + i % 4;
        // Distinct names defeat any reuse of wrapped text that repeated names would allow.
        lines.addRow({items.at(i % items.size()) + QString::number(i), price, quantity, price * quantity,
                      start.addSecs(i * 7), u"A%1"_s.arg(i % 40, 2, 10, QChar(u'0'))});
    }
    ReceiptValues values;
    values.shopName = u"清泉浴场"_s;
    values.memberName = u"张三"_s;
    values.points = u"500"_s;
    values.balance = u"3000"_s;
    values.received = u"1700"_s;
    values.rate = u"0.85"_s;
    values.cardPayment = true;

    Receipt::receiptTemplate(); // read the template before the clock runs
    const QDateTime now = QDateTime::currentDateTime();
    for (int run = 1; run <= 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        const LaidOutReport report = Receipt::layout(lines, values, now);
        out << u"run %1: %2 lines on %3 pages laid out in %4 ms"_s.arg(run)
                   .arg(count)
                   .arg(report.pages.size())
                   .arg(double(timer.nsecsElapsed()) / 1e6, 0, 'f', 1)
            << Qt::endl;
    }
    return 0;
}
