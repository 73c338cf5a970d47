#include "report_test_support.h"

#include "report_engine_support.h"

#include <QRegularExpression>
#include <QtTest>

QStringList pagesOf(const QList<const Report *> &reports, const QString &pdfPath)
{
    if (!Report::exportCompositePdf(reports, pdfPath)) {
        QTest::qFail("the PDF could not be written", __FILE__, __LINE__);
        return {};
    }
    QString text = pdfText(pdfPath);
    if (text.isEmpty()) {
        QTest::qFail("pdftotext gave nothing", __FILE__, __LINE__);
        return {};
    }
    QStringList pages = text.split(u'\f');
    if (pages.size() > 1 && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QStringList figuresAfter(const QString &text, const QString &label)
{
    for (const QString &line : text.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(label)) {
            static const QRegularExpression figure(QStringLiteral("-?\\d+(?:\\.\\d+)?%?"));
            QStringList figures;
            for (auto it = figure.globalMatch(trimmed.mid(label.size())); it.hasNext();)
                figures << it.next().captured(0);
            return figures;
        }
    }
    return {};
}

bool hasPageNumber(const QString &pageText, int page, int pages)
{
    // pdftotext drops the blanks between Chinese characters and figures.
    return QString(pageText).remove(u' ').contains(QStringLiteral("第%1页共%2页").arg(page).arg(pages));
}
