// The preview window over a long receipt: every page previewed, finding turns to the page
// holding the text, saving as PDF asks through the Prompt and writes only what was asked.
#include "report/Receipt.h"
#include "report/ReportPreviewUt.h"
#include "support/ScriptedPrompt.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

LaidOutReport longReceipt()
{
    DataSet set({{u"项目名"_s, ColumnKind::Text},
                 {u"单价"_s, ColumnKind::Money},
                 {u"数量"_s, ColumnKind::Integer},
                 {u"合计"_s, ColumnKind::Money},
                 {u"消费时间"_s, ColumnKind::DateTime},
                 {u"手牌号码"_s, ColumnKind::Text}});
    for (int i = 1; i <= 120; ++i)
        set.addRow({u"项目%1"_s.arg(i), Money::fromUnits(i), qint64(1), Money::fromUnits(i),
                    QDateTime(QDate(2024, 5, 1), QTime(19, 0)), u"A08"_s});
    ReceiptValues v;
    v.shopName = u"清泉浴场"_s;
    v.received = u"7260"_s;
    v.rate = u"1"_s;
    return Receipt::layout(set, v, QDateTime(QDate(2024, 5, 1), QTime(21, 0)));
}

} // namespace

class TestReportPreview : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void showsEveryPage();
    void findTurnsToThePage();
    void findNothing();
    void saveAsPdf_data();
    void saveAsPdf();

private:
    QLineEdit *pageNumberBox() const;

    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<TReportPreviewFm> m_window;
};

void TestReportPreview::init()
{
    m_prompt = std::make_unique<ScriptedPrompt>();
    m_window = std::make_unique<TReportPreviewFm>(longReceipt(), *m_prompt);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestReportPreview::cleanup()
{
    m_window.reset();
    m_prompt.reset();
}

// The dialog's tool bar holds one line box of its own: the page number.
QLineEdit *TestReportPreview::pageNumberBox() const
{
    for (QLineEdit *edit : m_window->findChildren<QLineEdit *>()) {
        if (edit->objectName() != u"findEdit"_s && !qobject_cast<QComboBox *>(edit->parentWidget()))
            return edit;
    }
    return nullptr;
}

void TestReportPreview::showsEveryPage()
{
    QCOMPARE(m_window->windowTitle(), u"打印预览"_s);
    auto *preview = m_window->findChild<QPrintPreviewWidget *>();
    QVERIFY(!preview->accessibleName().isEmpty());
    QVERIFY(m_window->report().pages.size() > 2);
    QCOMPARE(preview->pageCount(), m_window->report().pages.size());
    auto *edit = m_window->findChild<QLineEdit *>(u"findEdit"_s);
    QCOMPARE(m_window->findChild<QLabel *>(u"findLabel"_s)->buddy(), edit);
    QVERIFY(m_window->findChild<QPushButton *>(u"savePdfButton"_s)->text() == u"保存为PDF"_s);
}

void TestReportPreview::findTurnsToThePage()
{
    auto *edit = m_window->findChild<QLineEdit *>(u"findEdit"_s);
    auto *find = m_window->findChild<QPushButton *>(u"findButton"_s);
    QCOMPARE(find->text(), u"查找"_s);

    edit->setText(u"项目100"_s);
    QTest::mouseClick(find, Qt::LeftButton);
    const FindHit hit = m_window->lastHit();
    QVERIFY(hit.found());
    QVERIFY(hit.page > 0);
    QCOMPARE(m_window->currentPage(), hit.page + 1);
    QCOMPARE(m_window->report().pages.at(hit.page).objects.at(hit.object).visibleText(), u"项目100"_s);
    // The dialog's own page number box follows.
    QCOMPARE(pageNumberBox()->text(), QString::number(hit.page + 1));

    // Enter in the box searches on from the last find, not from the first page.
    edit->setText(u"项目1"_s);
    QTest::keyClick(edit, Qt::Key_Return);
    const FindHit next = m_window->lastHit();
    QVERIFY(next.found());
    QCOMPARE(m_window->report().pages.at(next.page).objects.at(next.object).visibleText(), u"项目101"_s);
    QCOMPARE(m_window->currentPage(), next.page + 1);
    QVERIFY(m_prompt->shown.isEmpty());
}

void TestReportPreview::findNothing()
{
    auto *edit = m_window->findChild<QLineEdit *>(u"findEdit"_s);
    edit->setText(u"项目7"_s);
    m_window->findNext();
    QVERIFY(m_window->lastHit().found());
    edit->setText(u"不存在的项目"_s);
    m_window->findNext();
    QVERIFY(!m_window->lastHit().found());
    QCOMPARE(m_prompt->shown, QStringList{u"没有找到"_s});
}

void TestReportPreview::saveAsPdf_data()
{
    QTest::addColumn<QString>("answer");  // relative to a fresh folder; empty for Cancel
    QTest::addColumn<QString>("written"); // the file expected, empty for none
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("named") << u"receipt.pdf"_s << u"receipt.pdf"_s << QStringList{u"保存为PDF"_s};
    QTest::newRow("suffix added") << u"receipt"_s << u"receipt.pdf"_s << QStringList{u"保存为PDF"_s};
    QTest::newRow("cancelled") << QString() << QString() << QStringList{u"保存为PDF"_s};
    QTest::newRow("folder missing") << u"missing/receipt.pdf"_s << QString()
                                    << QStringList{u"保存为PDF"_s, u"无法保存文件:%1"_s};
}

void TestReportPreview::saveAsPdf()
{
    QFETCH(QString, answer);
    QFETCH(QString, written);
    QFETCH(QStringList, shown);
    QTemporaryDir dir;
    if (!answer.isEmpty())
        m_prompt->fileAnswers << dir.filePath(answer);
    QTest::mouseClick(m_window->findChild<QPushButton *>(u"savePdfButton"_s), Qt::LeftButton);

    if (shown.size() > 1)
        shown[1] = shown[1].arg(dir.filePath(answer));
    QCOMPARE(m_prompt->shown, shown);
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    QCOMPARE(files, written.isEmpty() ? QStringList() : QStringList{written});
    if (!written.isEmpty()) {
        QFile pdf(dir.filePath(written));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
        QVERIFY(pdf.size() > 10000);
    }
}

QTEST_MAIN(TestReportPreview)
#include "tst_reportpreview.moc"
