#include "desktop_integration.h"

#include "emblem.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace ui {

void integrateWithDesktop(QApplication &app)
{
    app.setWindowIcon(emblemIcon());
    // Debian's qt6-translations-l10n; on Windows the translations lie beside Qt.
    auto *qtTexts = new QTranslator(&app);
    if (qtTexts->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || qtTexts->load(QStringLiteral("qtbase_zh_CN"),
                         QApplication::applicationDirPath() + QStringLiteral("/translations")))
        QApplication::installTranslator(qtTexts);
    else
        delete qtTexts;
}

}  // namespace ui
