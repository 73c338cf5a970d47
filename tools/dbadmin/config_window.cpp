#include "config_window.h"

#include "config_operations.h"
#include "first_accounts.h"

#include "app/access_keys.h"
#include "app/gbk_width.h"
#include "app/messages.h"
#include "db/config_location.h"
#include "db/user_refusal.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct KindChoice
{
    const char *provider;
    QString text;
};

const QList<KindChoice> &kinds()
{
    static const QList<KindChoice> all{
        {"SQLite", QStringLiteral("本机数据库文件 (SQLite)")},
        {"PostgreSQL", QStringLiteral("PostgreSQL 服务器")},
        {"SQLOLEDB.1", QStringLiteral("SQL Server 服务器 (SQLOLEDB.1)")},
    };
    return all;
}

QPushButton *button(const QString &text, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QLineEdit *lineEdit(const char *name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

}  // namespace

ConfigWindow::ConfigWindow(const QString &configFile, const QString &schemaFolder, QWidget *parent)
    : QWidget(parent), m_configFile(configFile), m_schemaFolder(schemaFolder)
{
    setObjectName(QStringLiteral("F_config"));
    setWindowTitle(QStringLiteral("客户端数据库配置"));
    setMinimumWidth(560);

    auto *column = new QVBoxLayout(this);
    auto *fileLabel = new QLabel(
        QStringLiteral("配置文件：%1").arg(QDir::toNativeSeparators(QFileInfo(configFile).absoluteFilePath())), this);
    fileLabel->setObjectName(QStringLiteral("Label_file"));
    fileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(fileLabel);

    auto *connection = new QGroupBox(QStringLiteral("数据库连接"), this);
    auto *form = new QFormLayout(connection);
    cb_kind = new QComboBox(connection);
    cb_kind->setObjectName(QStringLiteral("cb_kind"));
    for (const KindChoice &k : kinds())
        cb_kind->addItem(k.text, QString::fromLatin1(k.provider));
    form->addRow(QStringLiteral("数据库类型(&K)"), cb_kind);
    Edit_datasource = lineEdit("Edit_datasource", connection);
    bt_browse = button(QStringLiteral("选择文件(&F)…"), "bt_browse", connection);
    auto *sourceRow = new QHBoxLayout;
    sourceRow->addWidget(Edit_datasource, 1);
    sourceRow->addWidget(bt_browse);
    auto *sourceLabel = new QLabel(QStringLiteral("数据源(&D)"), connection);
    sourceLabel->setBuddy(Edit_datasource);
    form->addRow(sourceLabel, sourceRow);
    Edit_catalog = lineEdit("Edit_catalog", connection);
    form->addRow(QStringLiteral("数据库名(&N)"), Edit_catalog);
    Edit_user = lineEdit("Edit_user", connection);
    form->addRow(QStringLiteral("用户名(&U)"), Edit_user);
    Edit_password = lineEdit("Edit_password", connection);
    Edit_password->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("密码(&P)"), Edit_password);
    column->addWidget(connection);

    auto *actions = new QGridLayout;
    bt_test = button(QStringLiteral("测试连接(&T)"), "bt_test", this);
    bt_save = button(QStringLiteral("保存配置(&S)"), "bt_save", this);
    bt_schema = button(QStringLiteral("创建数据库表(&C)"), "bt_schema", this);
    bt_demo = button(QStringLiteral("载入演示数据(&L)"), "bt_demo", this);
    bt_init = button(QStringLiteral("创建第一批账号(&A)"), "bt_init", this);
    bt_init->setToolTip(QStringLiteral("在没有账号的数据库中创建船务科、船检科和财务科领导的账号，"
                                       "需要时先创建数据库和表；密码随机生成，只显示一次"));
    bt_backup = button(QStringLiteral("备份数据库(&B)…"), "bt_backup", this);
    bt_restore = button(QStringLiteral("恢复数据库(&R)…"), "bt_restore", this);
    bt_close = button(QStringLiteral("关闭"), "bt_close", this);
    actions->addWidget(bt_test, 0, 0);
    actions->addWidget(bt_save, 0, 1);
    actions->addWidget(bt_schema, 1, 0);
    actions->addWidget(bt_demo, 1, 1);
    actions->addWidget(bt_init, 2, 0);
    actions->addWidget(bt_backup, 3, 0);
    actions->addWidget(bt_restore, 3, 1);
    column->addLayout(actions);

    Label_result = new QLabel(this);
    Label_result->setObjectName(QStringLiteral("Label_result"));
    Label_result->setWordWrap(true);
    Label_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label_result->setMinimumHeight(48);
    column->addWidget(Label_result);
    auto *closeRow = new QHBoxLayout;
    closeRow->addStretch();
    closeRow->addWidget(bt_close);
    column->addLayout(closeRow);

    // The captions carry their Alt keys; the names a screen reader speaks
    // leave them out.
    bt_close->setText(keys::caption(bt_close->text(), 'X'));
    for (QAbstractButton *b : findChildren<QAbstractButton *>())
        b->setAccessibleName(keys::spoken(b->text()));
    for (QLabel *label : findChildren<QLabel *>())
        if (label->buddy())
            label->buddy()->setAccessibleName(keys::spoken(label->text()));

    connect(cb_kind, &QComboBox::currentIndexChanged, this, [this] { kindChanged(); });
    connect(bt_browse, &QPushButton::clicked, this, [this] { browseClick(); });
    connect(bt_test, &QPushButton::clicked, this, [this] { testClick(); });
    connect(bt_save, &QPushButton::clicked, this, [this] { saveClick(); });
    connect(bt_schema, &QPushButton::clicked, this, [this] { schemaClick(); });
    connect(bt_demo, &QPushButton::clicked, this, [this] { demoClick(); });
    connect(bt_init, &QPushButton::clicked, this, [this] { initClick(); });
    connect(bt_backup, &QPushButton::clicked, this, [this] { backupClick(); });
    connect(bt_restore, &QPushButton::clicked, this, [this] { restoreClick(); });
    connect(bt_close, &QPushButton::clicked, this, &QWidget::close);

    if (QFileInfo::exists(configFile)) {
        showSettings(DbSettings::fromFile(configFile));
    } else {
        DbSettings fresh;
        fresh.provider = QStringLiteral("SQLite");
        fresh.dataSource = QStringLiteral("nollard.db");
        fresh.initialCatalog = fresh.userId = fresh.password = QString();
        showSettings(fresh);
        Label_result->setText(QStringLiteral("还没有配置文件：请选择数据库，测试连接后保存配置。"));
    }
}

void ConfigWindow::showSettings(const DbSettings &s)
{
    int index = 2;
    if (s.kind() == DbKind::SQLite)
        index = 0;
    else if (s.kind() == DbKind::PostgreSQL)
        index = 1;
    cb_kind->setCurrentIndex(index);
    Edit_datasource->setText(s.dataSource);
    Edit_catalog->setText(s.initialCatalog);
    Edit_user->setText(s.userId);
    Edit_password->setText(s.password);
    kindChanged();
}

DbSettings ConfigWindow::settings() const
{
    DbSettings s;
    s.provider = cb_kind->currentData().toString();
    s.dataSource = Edit_datasource->text().trimmed();
    s.initialCatalog = Edit_catalog->text().trimmed();
    s.userId = Edit_user->text().trimmed();
    s.password = Edit_password->text();
    return s;
}

QString ConfigWindow::programFolder() const
{
    // The configuration file lies in config/ of the program's folder; the
    // program runs there, so an embedded file's name counts from there.
    return QFileInfo(QFileInfo(m_configFile).absolutePath()).absolutePath();
}

QString ConfigWindow::embeddedFolder() const
{
    // The system configuration's embedded file lies in the data folder.
    return configAt(m_configFile, programFolder()).embeddedFolder;
}

DbSettings ConfigWindow::effectiveSettings() const
{
    DbSettings s = settings();
    if (s.kind() == DbKind::SQLite)
        s.dataSource = dbadmin::sqliteFile(s, embeddedFolder());
    return s;
}

void ConfigWindow::kindChanged()
{
    const bool embedded = settings().kind() == DbKind::SQLite;
    for (QWidget *w : std::initializer_list<QWidget *>{Edit_catalog, Edit_user, Edit_password})
        w->setEnabled(!embedded);
    bt_browse->setVisible(embedded);
    bt_backup->setEnabled(embedded);
    bt_restore->setEnabled(embedded);
    Edit_datasource->setPlaceholderText(embedded ? QStringLiteral("数据库文件，例如 nollard.db")
                                        : settings().kind() == DbKind::PostgreSQL
                                            ? QStringLiteral("主机[:端口]，主备多台用逗号分隔")
                                            : QStringLiteral("主机、主机,端口 或 主机\\实例"));
}

void ConfigWindow::run(const std::function<QString()> &operation)
{
    QString result;
    const bool done = messages::guarded([&] { result = operation(); });
    if (done) {
        Label_result->setText(result);
        messages::inform(result);
    } else {
        Label_result->clear();
    }
}

void ConfigWindow::browseClick()
{
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("数据库文件"), QDir(embeddedFolder()).absoluteFilePath(Edit_datasource->text()),
        QStringLiteral("数据库文件 (*.db);;所有文件 (*)"), nullptr, QFileDialog::DontConfirmOverwrite);
    if (file.isEmpty())
        return;
    // A file inside the program's folder is kept relative, so the folder can move.
    const QString relative = QDir(embeddedFolder()).relativeFilePath(file);
    Edit_datasource->setText(relative.startsWith(QLatin1String("..")) ? QDir::toNativeSeparators(file) : relative);
}

void ConfigWindow::testClick()
{
    run([this] { return dbadmin::testConnection(effectiveSettings()); });
}

void ConfigWindow::saveClick()
{
    run([this]() -> QString {
        QDir().mkpath(QFileInfo(m_configFile).absolutePath());
        QString error;
        if (!settings().writeFile(m_configFile, &error))
            throw UserRefusal(QStringLiteral("无法写入 %1：%2").arg(QDir::toNativeSeparators(m_configFile), error));
        return QStringLiteral("配置已保存到 %1。\n下次启动 Nollard 时生效。")
            .arg(QDir::toNativeSeparators(QFileInfo(m_configFile).absoluteFilePath()));
    });
}

void ConfigWindow::schemaClick()
{
    run([this] { return dbadmin::createSchemaIn(effectiveSettings(), m_schemaFolder); });
}

void ConfigWindow::demoClick()
{
    run([this] { return dbadmin::loadDemoInto(effectiveSettings()); });
}

void ConfigWindow::initClick()
{
    run([this] {
        return dbadmin::firstAccountsText(
            dbadmin::initDatabase(effectiveSettings(), m_schemaFolder, dbadmin::defaultFirstAccounts()));
    });
}

void ConfigWindow::backupClick()
{
    const QString database = effectiveSettings().dataSource;
    const QString target = QFileDialog::getSaveFileName(
        this, QStringLiteral("备份数据库到"), QFileInfo(database).absolutePath() + QStringLiteral("/nollard-backup.db"),
        QStringLiteral("数据库文件 (*.db);;所有文件 (*)"));
    if (target.isEmpty())
        return;
    run([&] { return dbadmin::backupSqlite(database, target); });
}

void ConfigWindow::restoreClick()
{
    const QString database = effectiveSettings().dataSource;
    const QString source = QFileDialog::getOpenFileName(this, QStringLiteral("从备份恢复数据库"),
                                                        QFileInfo(database).absolutePath(),
                                                        QStringLiteral("数据库文件 (*.db);;所有文件 (*)"));
    if (source.isEmpty())
        return;
    run([&] { return dbadmin::restoreSqlite(database, source); });
}
