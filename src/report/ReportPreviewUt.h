#pragma once
// The print preview of a laid-out report: zoom, page set-up and printing as Qt offers them,
// plus saving as PDF and finding a text, whose page is shown with the text marked.

#include "ReportLayout.h"

#include <QPrintPreviewDialog>
#include <memory>

class Prompt;
class QPrinter;
class QPrintPreviewWidget;

namespace Ui {
class TReportPreviewFm;
}

class TReportPreviewFm : public QPrintPreviewDialog
{
    Q_OBJECT

public:
    TReportPreviewFm(LaidOutReport report, Prompt &prompt, QWidget *parent = nullptr);
    ~TReportPreviewFm() override;

    const LaidOutReport &report() const { return m_report; }
    // The page in view, counted from 1.
    int currentPage() const;
    // What the last search found; nothing after a search that found nothing.
    const FindHit &lastHit() const { return m_hit; }

    // Looks for the text of the find box after the last hit (or from the page in view).
    void findNext();
    // Asks for a file name and writes the pages there as PDF.
    void saveAsPdf();

private:
    void paint(QPrinter *printer);

    std::unique_ptr<Ui::TReportPreviewFm> m_ui;
    QPrintPreviewWidget *m_preview = nullptr;
    LaidOutReport m_report;
    Prompt &m_prompt;
    FindHit m_hit;
};
