// The fee ledger on the benchmark database (1,000,000 notices, see
// bench_database.h): from the click on "船检船务收费台账" to the preview having
// laid out all its pages, and to the preview having painted its first page on
// the screen, for a range of 20 bills and one of 10,000; beside them the parts
// of that time (reading the two queries and filling the templates, laying out
// every page, painting one page as the preview does).
//
//   bench_ledger [sqlite file] [notices]
//
// Runs on the SQLite file (shared with bench_bills, made on first use) and,
// when PGHOST is set (scripts/with-postgres.sh build/bench/bench_ledger), on
// the PostgreSQL database of the same kind. The load average of the machine is
// printed with each table: the figures mean little on a busy machine.

#include "app/nollard_application.h"
#include "bench_database.h"

#include "app/current_user.h"
#include "app/messages.h"
#include "db/db_error.h"
#include "db/tdm.h"
#include "finance/ledger_report.h"
#include "finance/report_window.h"
#include "report/report_layout.h"
#include "report/report_page_view.h"
#include "report/report_preview_dialog.h"
#include "report/report_printer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

struct Case
{
    const char *title;
    QString first;
    QString last;
    int runs;
    double limitShown;  // ms from the click to the first page in the preview
    double limitAll;    // ms to lay out all pages
};

struct Figures
{
    double laidOut = -1;    // click to the preview open with all its pages laid out
    double firstPage = -1;  // click to the first page painted in the preview
    int pages = 0;
};

// Watches for the real preview: it is laid out when it is shown, and its first
// page is painted a moment later in its own event loop.
class PreviewWatch : public QObject
{
public:
    PreviewWatch(const QElapsedTimer &clock, Figures &figures) : m_clock(clock), m_figures(figures)
    {
        qApp->installEventFilter(this);
    }
    ~PreviewWatch() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *dialog = qobject_cast<ReportPreviewDialog *>(watched);
        if (!dialog || event->type() != QEvent::Show || m_figures.laidOut >= 0)
            return false;
        m_figures.laidOut = m_clock.nsecsElapsed() / 1e6;
        m_figures.pages = dialog->pageView()->pageCount();
        connect(dialog->pageView(), &ReportPageView::pagePainted, dialog, [this, dialog](int page) {
            if (page != 1 || m_figures.firstPage >= 0)
                return;
            m_figures.firstPage = m_clock.nsecsElapsed() / 1e6;
            QTimer::singleShot(0, dialog, &QDialog::reject);
        });
        // A preview that never paints is not measured.
        QTimer::singleShot(10000, dialog, &QDialog::reject);
        return false;
    }

private:
    const QElapsedTimer &m_clock;
    Figures &m_figures;
};

// Clicks the button of the real window and waits for the real preview.
Figures clickToPreview(TF_report &window, const Case &c)
{
    window.findChild<QLineEdit *>(QStringLiteral("Edit3"))->setText(c.first);
    window.findChild<QLineEdit *>(QStringLiteral("Edit4"))->setText(c.last);
    window.findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("1"));
    window.findChild<QLineEdit *>(QStringLiteral("Edit2"))->setText(QStringLiteral("2"));
    Figures figures;
    QElapsedTimer clock;
    const PreviewWatch watch(clock, figures);
    clock.start();
    window.findChild<QPushButton *>(QStringLiteral("bt_tz"))->click();
    return figures;
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll()).section(u' ', 0, 2);
}

bool measure(Tdm &dm, const char *kindTitle)
{
    CurrentUser.userName = QStringLiteral("财务");
    CurrentUser.isAdmin = 1;
    const QList<Case> cases{
        {"20 bills", QStringLiteral("0100001"), QStringLiteral("0100020"), 9, 100, 100},
        {"10,000 bills", QStringLiteral("0100001"), QStringLiteral("0110000"), 5, 1000, 3000},
    };
    std::printf("\n%s (load average %s)\n", kindTitle, qPrintable(loadAverage()));
    std::printf("%-14s %6s %6s | %12s %12s | %10s %10s %10s\n", "ledger", "bills", "pages", "first page", "all pages",
                "queries", "layout", "paint p.1");
    bool ok = true;
    for (const Case &c : cases) {
        TF_report window(dm);
        window.show();
        QApplication::processEvents();
        QList<double> firstPages, laidOut, queries, layouts, paints;
        int pages = 0;
        int bills = 0;
        for (int run = 0; run < c.runs; ++run) {
            const Figures figures = clickToPreview(window, c);
            if (figures.laidOut < 0 || figures.firstPage < 0) {
                std::printf("%-14s the preview did not open or paint its first page (%.1f, %.1f): not measured\n",
                            c.title, figures.laidOut, figures.firstPage);
                return false;
            }
            firstPages << figures.firstPage;
            laidOut << figures.laidOut;
            pages = figures.pages;

            // The parts: the two queries with the templates filled in, the layout
            // of all pages, the painting of one page at the preview's size.
            QElapsedTimer t;
            t.start();
            const finance::Ledger ledger = finance::buildLedger(dm.database(), {c.first, c.last, {}, {}}, CurrentUser);
            const QList<PreparedReport> reports{ledger.issued.prepare(), ledger.voided.prepare()};
            queries << t.nsecsElapsed() / 1e6;
            bills = ledger.issuedCount + ledger.voidedCount;
            QPrinter printer(QPrinter::HighResolution);
            ReportPrinter::applyPageSetup(&printer, reports);
            t.restart();
            const ReportLayout layout(reports, &printer);
            layouts << t.nsecsElapsed() / 1e6;
            if (layout.pageCount() != pages) {
                std::printf("%-14s the preview has %d pages, the layout %d: not measured\n", c.title, pages,
                            layout.pageCount());
                return false;
            }
            QImage page(900, 1270, QImage::Format_RGB32);
            page.setDotsPerMeterX(int(printer.resolution() / 0.0254));
            page.setDotsPerMeterY(int(printer.resolution() / 0.0254));
            page.fill(Qt::white);
            t.restart();
            {
                QPainter painter(&page);
                painter.scale(page.width() / double(printer.width()), page.width() / double(printer.width()));
                layout.paintPage(&painter, 0);
            }
            paints << t.nsecsElapsed() / 1e6;
        }
        const double first = bench::median(firstPages);
        const double all = bench::median(laidOut);
        const bool within = first <= c.limitShown && all <= c.limitAll;
        ok = ok && within;
        std::printf("%-14s %6d %6d | %9.1f ms %9.1f ms | %7.1f ms %7.1f ms %7.1f ms %s\n", c.title, bills, pages, first,
                    all, bench::median(queries), bench::median(layouts), bench::median(paints),
                    within ? "" : "  <-- over");
    }
    std::printf("(load average after: %s)\n", qPrintable(loadAverage()));
    return ok;
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    NollardApplication app(argc, argv);  // as the program runs
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QDir::temp().filePath(QStringLiteral("nollard-bench-bills.db"));
    const int notices = argc > 2 ? QByteArray(argv[2]).toInt() : 1000000;
    // The ledger reads its templates from report/ beside the working directory.
    QDir::setCurrent(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("..")));
    messages::setPresenter(
        [](messages::Kind, const QString &text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });
    return bench::measureOnEachDatabase(path, notices, measure, true) ? 0 : 1;
}
