#include "window_memory.h"

#include "app/current_user.h"

#include <QApplication>
#include <QEvent>
#include <QSettings>
#include <QWidget>

namespace {

const QString kOrganisation = QStringLiteral("Nollard");
const char *const kFirstSize = "nollardFirstSize";

class WindowMemory : public QObject
{
public:
    explicit WindowMemory(QStringList workstationWindows)
        : QObject(qApp), m_workstationWindows(std::move(workstationWindows))
    {
        qApp->installEventFilter(this);
        // Windows still open at the end are kept too.
        connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->isVisible() && remembered(w))
                    save(w);
        });
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if ((type != QEvent::Show && type != QEvent::Hide) || event->spontaneous() || !watched->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(watched);
        if (!remembered(w))
            return false;
        // Shown: before it reaches the screen. Hidden: closed, or left at an
        // identity switch, under the account that used it.
        if (type == QEvent::Show)
            restore(w);
        else
            save(w);
        return false;
    }

private:
    // The program's own windows; Qt's message boxes and file dialogs place
    // themselves.
    static bool remembered(const QWidget *w)
    {
        if (!w->isWindow() || w->objectName().isEmpty())
            return false;
        const Qt::WindowType kind = w->windowType();
        if (kind != Qt::Window && kind != Qt::Dialog)
            return false;
        return !QByteArray(w->metaObject()->className()).startsWith('Q');
    }

    QString keyFor(const QWidget *w) const
    {
        const bool workstation = m_workstationWindows.contains(w->objectName());
        return windowMemoryKey(workstation ? QString() : CurrentUser.nickname, w->objectName());
    }

    void restore(QWidget *w)
    {
        if (!w->property(kFirstSize).isValid())
            w->setProperty(kFirstSize, w->size());
        const QSettings settings(kOrganisation, kOrganisation);
        const QByteArray saved = settings.value(keyFor(w)).toByteArray();
        if (!saved.isEmpty() && w->restoreGeometry(saved))
            return;
        // Nothing kept for this account: the window as it first opened, not
        // as the previous account left it.
        w->setWindowState(w->windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
        w->resize(w->property(kFirstSize).toSize());
    }

    void save(QWidget *w)
    {
        QSettings settings(kOrganisation, kOrganisation);
        settings.setValue(keyFor(w), w->saveGeometry());
    }

    QStringList m_workstationWindows;
};

}  // namespace

void rememberWindows(const QStringList &workstationWindows)
{
    new WindowMemory(workstationWindows);
}

QString windowMemoryKey(const QString &account, const QString &window)
{
    // A login name is stored as typed; a slash would open a settings group.
    QString who = account.isEmpty() ? QStringLiteral("workstation") : QStringLiteral("account-") + account;
    who.replace(u'/', u'_').replace(u'\\', u'_');
    return QStringLiteral("windows/%1/%2/geometry").arg(who, window);
}
