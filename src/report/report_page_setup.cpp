#include "report/report_page_setup.h"

#include <QRegularExpression>
#include <QSizeF>
#include <QStringList>

namespace {
QString attribute(const QString &tag, const QString &name)
{
    const QRegularExpression re(QStringLiteral(R"re(\b%1\s*=\s*(?:"([^"]*)"|'([^']*)'))re").arg(name),
                                QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = re.match(tag);
    return (match.captured(1) + match.captured(2)).trimmed();
}

// Attribute values come from the filled-in page, where values are HTML-escaped.
QString unescaped(const QString &text)
{
    QString out = text;
    out.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&#39;"), QLatin1String("'"))
        .replace(QLatin1String("<br/>"), QLatin1String(" "))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
    return out;
}

void applySize(ReportPageSetup &setup, const QString &value)
{
    static const struct
    {
        const char *name;
        QPageSize::PageSizeId id;
    } named[] = {
        {"A3", QPageSize::A3}, {"A4", QPageSize::A4}, {"A5", QPageSize::A5},
        {"A6", QPageSize::A6}, {"B5", QPageSize::B5}, {"Letter", QPageSize::Letter},
    };
    for (const auto &entry : named) {
        if (value.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0) {
            setup.size = QPageSize(entry.id);
            return;
        }
    }
    // Width x height in millimetres, e.g. "241x140" for continuous notice paper.
    static const QRegularExpression custom(QStringLiteral(R"(^(\d+(?:\.\d+)?)\s*[xX×]\s*(\d+(?:\.\d+)?)$)"));
    const QRegularExpressionMatch match = custom.match(value);
    if (match.hasMatch()) {
        const QSizeF mm(match.captured(1).toDouble(), match.captured(2).toDouble());
        if (mm.width() > 0 && mm.height() > 0)
            setup.size = QPageSize(mm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    }
}

void applyMargins(ReportPageSetup &setup, const QString &value)
{
    // One to four numbers in millimetres, in the order CSS uses: top right bottom left.
    QList<double> mm;
    for (const QString &part : value.split(QRegularExpression(QStringLiteral(R"([\s,]+)")), Qt::SkipEmptyParts)) {
        bool ok = false;
        const double number = QString(part).remove(QLatin1String("mm")).toDouble(&ok);
        if (!ok || number < 0)
            return;
        mm.append(number);
    }
    switch (mm.size()) {
    case 1:
        setup.marginsMm = QMarginsF(mm[0], mm[0], mm[0], mm[0]);
        break;
    case 2:
        setup.marginsMm = QMarginsF(mm[1], mm[0], mm[1], mm[0]);
        break;
    case 3:
        setup.marginsMm = QMarginsF(mm[1], mm[0], mm[1], mm[2]);
        break;
    case 4:
        setup.marginsMm = QMarginsF(mm[3], mm[0], mm[1], mm[2]);
        break;
    default:
        break;
    }
}
}  // namespace

QPageLayout ReportPageSetup::layout() const
{
    return QPageLayout(size, orientation, marginsMm, QPageLayout::Millimeter);
}

ReportPageSetup ReportPageSetup::fromTemplate(const QString &templateText)
{
    ReportPageSetup setup;
    static const QRegularExpression metaTag(QStringLiteral(R"(<meta\b[^>]*>)"),
                                            QRegularExpression::CaseInsensitiveOption);
    auto it = metaTag.globalMatch(templateText);
    while (it.hasNext()) {
        const QString tag = it.next().captured(0);
        const QString name = attribute(tag, QStringLiteral("name")).toLower();
        const QString content = attribute(tag, QStringLiteral("content"));
        if (name == QLatin1String("page-size"))
            applySize(setup, content);
        else if (name == QLatin1String("page-orientation"))
            setup.orientation = content.compare(QLatin1String("landscape"), Qt::CaseInsensitive) == 0
                                    ? QPageLayout::Landscape
                                    : QPageLayout::Portrait;
        else if (name == QLatin1String("page-margins"))
            applyMargins(setup, content);
        else if (name == QLatin1String("page-header"))
            setup.header = unescaped(content);
        else if (name == QLatin1String("page-footer"))
            setup.footer = unescaped(content);
    }
    return setup;
}
