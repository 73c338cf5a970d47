#include "window_memory.h"

#include <QApplication>
#include <QEvent>
#include <QSettings>
#include <QWidget>

namespace {

const QString kOrganisation = QStringLiteral("Nollard");

class GeometryMemory : public QObject
{
public:
    GeometryMemory(QWidget *window, const QString &key) : QObject(window), m_key(key)
    {
        const QSettings settings(kOrganisation, kOrganisation);
        const QByteArray saved = settings.value(m_key + QStringLiteral("/geometry")).toByteArray();
        if (!saved.isEmpty())
            window->restoreGeometry(saved);
        window->installEventFilter(this);
        connect(qApp, &QCoreApplication::aboutToQuit, this, [this, window] { save(window); });
    }

    void save(QWidget *window)
    {
        if (!m_seen)
            return;  // never shown: nothing to remember
        QSettings settings(kOrganisation, kOrganisation);
        settings.setValue(m_key + QStringLiteral("/geometry"), window->saveGeometry());
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Kept whenever the window goes away: at an identity switch and at the end.
        if (event->type() == QEvent::Show)
            m_seen = true;
        if (event->type() == QEvent::Hide || event->type() == QEvent::Close)
            save(static_cast<QWidget *>(watched));
        return false;
    }

private:
    QString m_key;
    bool m_seen = false;
};

}  // namespace

void rememberGeometry(QWidget *window, const QString &key)
{
    new GeometryMemory(window, key);
}
