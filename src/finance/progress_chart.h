#pragma once
// The plot of a collection progress table: each month's collection as a bar, and
// as lines the running total of the year, the running total of the year before
// and the year's plan. Painted with the page's painter, so it prints and goes
// into a PDF as vector drawing.

#include <QString>
#include <array>
#include <optional>

class QPainter;
class QRectF;

namespace finance {

struct ProgressChartData
{
    QString year;
    std::array<double, 12> months{};
    std::optional<std::array<double, 12>> previousMonths;  // none: no row for the year before
    double plan = 0;                                       // 0: no plan entered
};

void paintProgressChart(QPainter *painter, const QRectF &rect, const ProgressChartData &data);

// A round step for an axis running from 0 to at least maximum, in about five steps.
double chartAxisStep(double maximum);

}  // namespace finance
