#include "progress_chart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace finance {

double chartAxisStep(double maximum)
{
    if (!(maximum > 0))
        return 1;
    const double raw = maximum / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (factor * magnitude >= raw)
            return factor * magnitude;
    }
    return 10 * magnitude;
}

namespace {

std::array<double, 12> runningTotals(const std::array<double, 12> &months)
{
    std::array<double, 12> totals{};
    double sum = 0;
    for (int i = 0; i < 12; ++i)
        totals[i] = sum += months[i];
    return totals;
}

QString axisText(double value)
{
    return QString::number(value, 'f', value == std::floor(value) ? 0 : 1);
}

const QColor kBars(120, 160, 210);
const QColor kTotal(20, 60, 140);
const QColor kPrevious(110, 110, 110);
const QColor kPlan(200, 30, 30);

}  // namespace

void paintProgressChart(QPainter *painter, const QRectF &rect, const ProgressChartData &data)
{
    painter->setRenderHint(QPainter::Antialiasing);
    QFont font = painter->font();
    font.setPointSizeF(7.5);
    painter->setFont(font);
    const QFontMetricsF metrics(font, painter->device());
    const double line = metrics.height();
    const double unit = rect.width() / 500;  // line widths follow the picture's size

    const std::array<double, 12> totals = runningTotals(data.months);
    std::optional<std::array<double, 12>> previous;
    if (data.previousMonths)
        previous = runningTotals(*data.previousMonths);
    double maximum = std::max(data.plan, *std::max_element(totals.begin(), totals.end()));
    if (previous)
        maximum = std::max(maximum, (*previous)[11]);
    const double step = chartAxisStep(maximum);
    double top = std::max(step, std::ceil(maximum / step) * step);
    if (top < maximum * 1.04)  // room above the highest line, so it does not run along the frame
        top += step;

    const double labelWidth = metrics.horizontalAdvance(axisText(top)) + line;
    const QRectF plot(rect.left() + labelWidth, rect.top() + line * 2.2, rect.width() - labelWidth - line * 0.5,
                      rect.height() - line * 4.0);
    auto yOf = [&](double value) { return plot.bottom() - plot.height() * value / top; };
    const double slot = plot.width() / 12;
    auto xOf = [&](int month) { return plot.left() + slot * (month + 0.5); };

    painter->setPen(Qt::black);
    painter->drawText(QRectF(rect.left(), rect.top(), labelWidth + line * 4, line), Qt::AlignLeft | Qt::AlignTop,
                      QStringLiteral("金额（元）"));

    // Grid and the amount axis.
    for (double value = 0; value <= top + step / 2; value += step) {
        const double y = yOf(value);
        painter->setPen(QPen(QColor(210, 210, 210), unit * 0.6));
        painter->drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter->setPen(Qt::black);
        painter->drawText(QRectF(rect.left(), y - line / 2, labelWidth - line * 0.4, line),
                          Qt::AlignRight | Qt::AlignVCenter, axisText(value));
    }

    // Monthly collection as bars, the month under each.
    painter->setPen(Qt::NoPen);
    painter->setBrush(kBars);
    for (int month = 0; month < 12; ++month) {
        const double y = yOf(std::max(0.0, data.months[month]));
        painter->drawRect(QRectF(xOf(month) - slot * 0.3, y, slot * 0.6, plot.bottom() - y));
    }
    painter->setBrush(Qt::NoBrush);
    painter->setPen(Qt::black);
    for (int month = 0; month < 12; ++month)
        painter->drawText(QRectF(xOf(month) - slot / 2, plot.bottom() + line * 0.2, slot, line), Qt::AlignCenter,
                          QStringLiteral("%1月").arg(month + 1));
    painter->setPen(QPen(Qt::black, unit));
    painter->drawLine(plot.bottomLeft(), plot.bottomRight());
    painter->drawLine(plot.bottomLeft(), plot.topLeft());

    auto polyline = [&](const std::array<double, 12> &values, const QPen &pen, bool markers) {
        QPainterPath path;
        for (int month = 0; month < 12; ++month) {
            const QPointF point(xOf(month), yOf(values[month]));
            month == 0 ? path.moveTo(point) : path.lineTo(point);
        }
        painter->setPen(pen);
        painter->drawPath(path);
        if (markers) {
            painter->setBrush(pen.color());
            for (int month = 0; month < 12; ++month)
                painter->drawEllipse(QPointF(xOf(month), yOf(values[month])), unit * 1.6, unit * 1.6);
            painter->setBrush(Qt::NoBrush);
        }
    };
    if (previous)
        polyline(*previous, QPen(kPrevious, unit * 1.2, Qt::DashLine), false);
    polyline(totals, QPen(kTotal, unit * 1.6), true);
    if (data.plan > 0) {
        painter->setPen(QPen(kPlan, unit * 1.2, Qt::DashDotLine));
        painter->drawLine(QPointF(plot.left(), yOf(data.plan)), QPointF(plot.right(), yOf(data.plan)));
    }

    // Legend along the top.
    struct Entry
    {
        QString text;
        QColor color;
        Qt::PenStyle style;
        bool bar;
    };
    QList<Entry> entries{{QStringLiteral("本月征收"), kBars, Qt::SolidLine, true},
                         {data.year + QStringLiteral("年累计"), kTotal, Qt::SolidLine, false}};
    if (previous)
        entries.append({QStringLiteral("上年累计"), kPrevious, Qt::DashLine, false});
    if (data.plan > 0)
        entries.append({QStringLiteral("全年计划"), kPlan, Qt::DashDotLine, false});
    double x = plot.left() + line * 4;
    const double y = rect.top() + line * 0.5;
    for (const Entry &entry : entries) {
        if (entry.bar) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(entry.color);
            painter->drawRect(QRectF(x, y + line * 0.2, line * 1.6, line * 0.6));
            painter->setBrush(Qt::NoBrush);
        } else {
            painter->setPen(QPen(entry.color, unit * 1.4, entry.style));
            painter->drawLine(QPointF(x, y + line / 2), QPointF(x + line * 1.6, y + line / 2));
        }
        painter->setPen(Qt::black);
        const double width = metrics.horizontalAdvance(entry.text);
        painter->drawText(QRectF(x + line * 2, y, width + line, line), Qt::AlignLeft | Qt::AlignVCenter, entry.text);
        x += line * 3.5 + width;
    }
}

}  // namespace finance
