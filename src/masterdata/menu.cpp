#include "menu.h"

#include "account_window.h"
#include "audit_window.h"
#include "catalogue_window.h"
#include "configure.h"
#include "name_list_window.h"

#include "app/messages.h"

#include <QAction>
#include <functional>
#include <memory>

namespace masterdata {

namespace {

void connectItem(QAction *item, QWidget *mainWindow, const QString &windowName, std::function<QDialog *()> make)
{
    QObject::connect(item, &QAction::triggered, mainWindow, [mainWindow, windowName, make] {
        if (mainWindow->findChild<QDialog *>(windowName))
            return;
        std::unique_ptr<QDialog> window;
        messages::guarded([&] { window.reset(make()); });
        if (window)
            window->exec();
    });
}

}  // namespace

void connectMenu(Tdm &dm, QWidget *mainWindow, const MenuItems &items)
{
    configure(dm);
    Tdm *data = &dm;
    connectItem(items.useradmin, mainWindow, QStringLiteral("F_useradmin"),
                [data, mainWindow] { return new TF_useradmin(*data, mainWindow); });
    connectItem(items.money, mainWindow, QStringLiteral("F_money"),
                [data, mainWindow] { return new TF_money(*data, mainWindow); });
    connectItem(items.cwitem, mainWindow, shipAffairsCatalogue().windowName,
                [data, mainWindow] { return new TF_itemmodifycw(*data, mainWindow); });
    connectItem(items.cjitem, mainWindow, shipInspectionCatalogue().windowName,
                [data, mainWindow] { return new TF_itemmodifycj(*data, mainWindow); });
    const QList<QPair<QAction *, const NameList *>> lists{
        {items.company, &companyList()},
        {items.buildtype, &buildTypeList()},
        {items.runtype, &runTypeList()},
        {items.other, &otherTypeList()},
    };
    for (const auto &[item, list] : lists)
        connectItem(item, mainWindow, list->windowName,
                    [data, mainWindow, list = list] { return new TF_namelist(*data, *list, mainWindow); });
    connectItem(items.audit, mainWindow, QStringLiteral("F_audit"),
                [data, mainWindow] { return new TF_audit(*data, mainWindow); });
}

}  // namespace masterdata
