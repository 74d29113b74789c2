#include "ReportPreviewUt.h"

#include "ReportPainter.h"
#include "ui_ReportPreviewUt.h"
#include "widgets/Prompt.h"

#include <QLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>

using namespace Qt::StringLiterals;

TReportPreviewFm::TReportPreviewFm(LaidOutReport report, Prompt &prompt, QWidget *parent)
    : QPrintPreviewDialog(parent), m_ui(std::make_unique<Ui::TReportPreviewFm>()),
      m_report(std::move(report)), m_prompt(prompt)
{
    setWindowTitle(u"打印预览"_s);
    printer()->setPageLayout(m_report.pageLayout);

    auto *bar = new QWidget(this);
    m_ui->setupUi(bar);
    // Below the pages, where a find bar is looked for; the dialog's tool bar stays on top.
    layout()->addWidget(bar);

    m_preview = findChild<QPrintPreviewWidget *>();
    m_preview->setAccessibleName(u"预览页面"_s);

    connect(this, &QPrintPreviewDialog::paintRequested, this, &TReportPreviewFm::paint);
    connect(m_ui->findEdit, &QLineEdit::returnPressed, this, &TReportPreviewFm::findNext);
    connect(m_ui->findButton, &QPushButton::clicked, this, &TReportPreviewFm::findNext);
    connect(m_ui->savePdfButton, &QPushButton::clicked, this, &TReportPreviewFm::saveAsPdf);
    resize(900, 700);
}

TReportPreviewFm::~TReportPreviewFm() = default;

int TReportPreviewFm::currentPage() const
{
    return m_preview->currentPage();
}

void TReportPreviewFm::paint(QPrinter *printer)
{
    QPainter painter;
    if (!painter.begin(printer))
        return;
    // The preview records pictures; the mark of a find belongs on screen, never on paper.
    const bool onScreen = painter.paintEngine()->type() == QPaintEngine::Picture;
    const qreal dpi = printer->logicalDpiY();
    for (int i = 0; i < m_report.pages.size(); ++i) {
        if (i > 0)
            printer->newPage();
        const bool marked = onScreen && m_hit.page == i;
        ReportPainter::paintPage(painter, m_report.pages.at(i), dpi, marked ? m_hit.object : -1);
    }
}

void TReportPreviewFm::findNext()
{
    const QString text = m_ui->findEdit->text().trimmed();
    if (text.isEmpty())
        return;
    FindHit after = m_hit;
    // Once the operator has turned to another page, the search goes on from there.
    if (!after.found() || after.page != currentPage() - 1)
        after = {currentPage() - 1, -1};
    const FindHit hit = m_report.find(text, after);
    const bool hadMark = m_hit.found();
    m_hit = hit;
    if (!hit.found()) {
        if (hadMark)
            m_preview->updatePreview();
        m_prompt.message(this, u"没有找到"_s);
        return;
    }
    m_preview->updatePreview();
    m_preview->setCurrentPage(hit.page + 1);
    // Turning the page from here says nothing to the dialog's page number box; this does.
    emit m_preview->previewChanged();
}

void TReportPreviewFm::saveAsPdf()
{
    QString path = m_prompt.saveFileName(this, u"保存为PDF"_s, QString(), u"PDF 文件 (*.pdf)"_s);
    if (path.isEmpty())
        return;
    if (!path.endsWith(u".pdf"_s, Qt::CaseInsensitive))
        path += u".pdf"_s;
    if (!ReportPainter::savePdf(m_report, path))
        m_prompt.message(this, u"无法保存文件:"_s + path, Prompt::Icon::Error);
}
