#include "state_batch.h"

#include <QAction>
#include <QWidget>

StateBatch::Plan &StateBatch::planFor(QObject *object)
{
    const auto found = m_index.constFind(object);
    if (found != m_index.cend())
        return m_plans[*found];
    m_index.insert(object, m_plans.size());
    m_plans.append({object, {}, {}});
    return m_plans.last();
}

void StateBatch::setEnabled(QWidget *widget, bool enabled)
{
    planFor(widget).enabled = enabled;
}

void StateBatch::setEnabled(QAction *action, bool enabled)
{
    planFor(action).enabled = enabled;
}

void StateBatch::setVisible(QWidget *widget, bool visible)
{
    planFor(widget).visible = visible;
}

void StateBatch::setVisible(QAction *action, bool visible)
{
    planFor(action).visible = visible;
}

bool StateBatch::isEnabled(const QWidget *widget) const
{
    const auto found = m_index.constFind(widget);
    if (found != m_index.cend() && m_plans[*found].enabled)
        return *m_plans[*found].enabled;
    return widget->isEnabled();
}

void StateBatch::apply()
{
    const QList<Plan> plans = std::exchange(m_plans, {});
    m_index.clear();
    for (const Plan &plan : plans) {
        if (!plan.object)
            continue;
        // Both setters leave an object already in the state untouched.
        if (auto *widget = qobject_cast<QWidget *>(plan.object.data())) {
            if (plan.enabled)
                widget->setEnabled(*plan.enabled);
            if (plan.visible)
                widget->setVisible(*plan.visible);
        } else if (auto *action = qobject_cast<QAction *>(plan.object.data())) {
            if (plan.enabled)
                action->setEnabled(*plan.enabled);
            if (plan.visible)
                action->setVisible(*plan.visible);
        }
    }
}
