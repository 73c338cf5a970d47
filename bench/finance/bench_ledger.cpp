// The fee ledger on the benchmark database (1,000,000 notices, see
// bench_database.h): from the click on "船检船务收费台账" to the preview showing
// its first page, for a range of 20 bills and one of 10,000; beside it the
// parts of that time (reading the two queries, laying out every page, painting
// every page into the preview).
//
//   bench_ledger [sqlite file] [notices]
//
// Runs on the SQLite file (shared with bench_bills, made on first use) and,
// when PGHOST is set (scripts/with-postgres.sh build/bench/bench_ledger), on
// the PostgreSQL database of the same kind.

#include "bench_database.h"

#include "app/current_user.h"
#include "app/db_error.h"
#include "app/messages.h"
#include "app/tdm.h"
#include "finance/ledger_report.h"
#include "finance/report_window.h"
#include "reportlayout.h"
#include "reportpreviewdialog.h"
#include "reportprinter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QPrintPreviewWidget>
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
    double shown = -1;  // click to the preview showing its first page
    int pages = 0;
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
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<ReportPreviewDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog->previewWidget()->pageCount() == 0)
            return;
        figures.shown = clock.nsecsElapsed() / 1e6;
        figures.pages = dialog->previewWidget()->pageCount();
        poll.stop();
        dialog->reject();
    });
    poll.start();
    clock.start();
    window.findChild<QPushButton *>(QStringLiteral("bt_tz"))->click();
    return figures;
}

bool measure(Tdm &dm, const char *kindTitle)
{
    CurrentUser.userName = QStringLiteral("财务");
    CurrentUser.isAdmin = 1;
    const QList<Case> cases{
        {"20 bills", QStringLiteral("0100001"), QStringLiteral("0100020"), 7, 100, 100},
        {"10,000 bills", QStringLiteral("0100001"), QStringLiteral("0110000"), 3, 1000, 3000},
    };
    std::printf("\n%s\n", kindTitle);
    std::printf("%-14s %6s %6s | %12s %12s | %10s %12s %12s\n", "ledger", "bills", "pages", "first page",
                "all pages", "queries", "layout", "paint all");
    bool ok = true;
    for (const Case &c : cases) {
        TF_report window(dm);
        window.show();
        QApplication::processEvents();
        QList<double> shown, queries, layouts, paints;
        int pages = 0;
        int bills = 0;
        for (int run = 0; run < c.runs; ++run) {
            const Figures figures = clickToPreview(window, c);
            if (figures.shown < 0) {
                std::printf("%-14s the preview did not open: not measured\n", c.title);
                return false;
            }
            shown << figures.shown;
            pages = figures.pages;

            // The parts: the two queries, the layout of all pages, the painting.
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
            QImage page(10, 10, QImage::Format_RGB32);
            t.restart();
            for (int p = 0; p < layout.pageCount(); ++p) {
                QPainter painter(&page);
                layout.paintPage(&painter, p);
            }
            paints << t.nsecsElapsed() / 1e6;
        }
        // The preview lays out and paints every page before it shows the first,
        // so the first page and all pages appear at the same moment.
        const double first = bench::median(shown);
        const bool within = first <= c.limitShown && first <= c.limitAll;
        ok = ok && within;
        std::printf("%-14s %6d %6d | %9.1f ms %9.1f ms | %7.1f ms %9.1f ms %9.1f ms %s\n", c.title, bills, pages,
                    first, first, bench::median(queries), bench::median(layouts), bench::median(paints),
                    within ? "" : "  <-- over");
    }
    return ok;
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QDir::temp().filePath(QStringLiteral("nollard-bench-bills.db"));
    const int notices = argc > 2 ? QByteArray(argv[2]).toInt() : 1000000;
    // The ledger reads its templates from report/ beside the working directory.
    QDir::setCurrent(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("..")));
    messages::setPresenter([](messages::Kind, const QString &text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });
    return bench::measureOnEachDatabase(path, notices, measure, true) ? 0 : 1;
}
