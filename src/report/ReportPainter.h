#pragma once
// Draws laid-out report pages with QPainter onto printers, PDF files and preview pages.

#include "ReportLayout.h"

#include <QString>

class QPainter;
class QPagedPaintDevice;

namespace ReportPainter {

// Draws one page. The painter's origin is the top-left corner of the printable area and
// dotsPerInch the device's resolution; text objects are clipped to their frames. The object
// at `highlight` (an index into the page's objects, -1 for none) is marked for the eye.
void paintPage(QPainter &painter, const LaidOutPage &page, qreal dotsPerInch, int highlight = -1);

// Sets the device's page layout from the report and draws every page, a new page between
// them, marking the object found at `highlight`. Returns false when the device cannot be
// painted on.
bool print(const LaidOutReport &report, QPagedPaintDevice &device, const FindHit &highlight = {});

// Writes the report as a PDF file; false when the file cannot be written.
bool savePdf(const LaidOutReport &report, const QString &path);

} // namespace ReportPainter
