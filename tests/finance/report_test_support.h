#pragma once
// Reading reports back as a person would: written to PDF, the text taken out
// with pdftotext, one entry per page.

#include "report/report.h"

#include <QStringList>

// The text of each page of the reports printed one after another; the test
// fails (and the list is empty) when the PDF cannot be written or read.
QStringList pagesOf(const QList<const Report *> &reports, const QString &pdfPath);
// The figures (numbers, percentages) on the first line of the text that starts
// with the label.
QStringList figuresAfter(const QString &text, const QString &label);
// Whether the page carries "第 page 页 共 pages 页".
bool hasPageNumber(const QString &pageText, int page, int pages);
