#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <optional>

class QAction;
class QObject;
class QWidget;

// Enabled and visible states planned in several passes (everything off, then
// what the role allows back on) and given to the widgets and actions once, at
// the end: one that ends as it started is neither repainted nor laid out
// again, so refreshing a list does not repaint the whole window.
class StateBatch
{
public:
    void setEnabled(QWidget *widget, bool enabled);
    void setEnabled(QAction *action, bool enabled);
    void setVisible(QWidget *widget, bool visible);
    void setVisible(QAction *action, bool visible);
    // The state as planned so far, or as it is where nothing is planned.
    bool isEnabled(const QWidget *widget) const;
    // Gives every planned state to its widget or action, in the order first
    // planned, and forgets the plan.
    void apply();

private:
    struct Plan
    {
        QPointer<QObject> object;
        std::optional<bool> enabled;
        std::optional<bool> visible;
    };
    Plan &planFor(QObject *object);

    QList<Plan> m_plans;
    QHash<const QObject *, qsizetype> m_index;
};
