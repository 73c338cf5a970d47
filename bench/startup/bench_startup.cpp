// Start-up time: from process start to the login window's first paint
// (offscreen), beside an empty Qt window with as many widgets.
//
//   bench_startup [runs]      runs both children and prints the table
//
// Run it in the build folder: the login run reads ./config/config.ini and opens
// the database it names, as the program does.

#include "main/startup.h"

#include "app/nollard_application.h"
#include "session/login_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

// Ends the child at the window's first paint.
class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            std::fputs("painted\n", stdout);
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }
};

int runLogin(int argc, char **argv)
{
    NollardApplication app(argc, argv);
    Nollard nollard(DbSettings::fromFile(defaultConfigPath()));
    FirstPaint watcher;
    nollard.login->installEventFilter(&watcher);
    nollard.showLoginAndCreateWindows();
    return app.exec();
}

int runEmpty(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(533, 336);
    // As many widgets as the login window: four labels, two fields, two buttons.
    for (int i = 0; i < 4; ++i)
        new QLabel(QStringLiteral("label"), &window);
    new QLineEdit(&window);
    new QLineEdit(&window);
    new QPushButton(QStringLiteral("ok"), &window);
    new QPushButton(QStringLiteral("cancel"), &window);
    FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.show();
    return app.exec();
}

double timeChild(const QString &program, const QString &mode)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    child.start(program, {mode});
    child.waitForStarted();
    while (!child.readAllStandardOutput().contains("painted")) {
        if (!child.waitForReadyRead(10000))
            return -1;
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    child.waitForFinished();
    return ms;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--login")
        return runLogin(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--empty")
        return runEmpty(argc, argv);

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 20;
    const QString self = QCoreApplication::applicationFilePath();
    QList<double> login, empty;
    for (int i = 0; i < runs; ++i) {
        empty << timeChild(self, QStringLiteral("--empty"));
        login << timeChild(self, QStringLiteral("--login"));
    }
    const double e = median(empty);
    const double l = median(login);
    std::printf("start to first paint, median of %d runs (offscreen)\n", runs);
    std::printf("  %-34s %8.1f ms\n", "empty window, as many widgets", e);
    std::printf("  %-34s %8.1f ms\n", "Nollard login window", l);
    std::printf("  %-34s %8.2f (target 1.5 or less)\n", "ratio", e > 0 ? l / e : 0.0);
    return 0;
}
