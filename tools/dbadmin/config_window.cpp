#include "config_window.h"

#include "config_operations.h"
#include "first_accounts.h"

#include "app/access_keys.h"
#include "app/gbk_width.h"
#include "app/messages.h"
#include "db/config_location.h"
#include "db/user_refusal.h"

#include <QAbstractButton>
#include <QCheckBox>
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
#include <QRegularExpressionValidator>
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

    auto *encryption = new QGroupBox(QStringLiteral("连接加密"), this);
    auto *secure = new QFormLayout(encryption);
    cb_sslmode = new QComboBox(encryption);
    cb_sslmode->setObjectName(QStringLiteral("cb_sslmode"));
    cb_sslmode->addItem(QStringLiteral("（默认：能加密就加密，不验证服务器）"), QString());
    for (const QString &mode : DbSettings::sslModes())
        cb_sslmode->addItem(mode, mode);
    cb_sslmode->setToolTip(QStringLiteral("require：只用加密连接；verify-ca：并用 CA 证书验证服务器证书；"
                                          "verify-full：并核对证书上的服务器名称（推荐）"));
    secure->addRow(QStringLiteral("SSL 模式(&M)"), cb_sslmode);
    Edit_sslca = lineEdit("Edit_sslca", encryption);
    // The client library's options are separated by ";": a path cannot hold one.
    Edit_sslca->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^;]*")), Edit_sslca));
    bt_browse_ca = button(QStringLiteral("选择(&O)…"), "bt_browse_ca", encryption);
    auto *caRow = new QHBoxLayout;
    caRow->addWidget(Edit_sslca, 1);
    caRow->addWidget(bt_browse_ca);
    auto *caLabel = new QLabel(QStringLiteral("CA 证书文件(&I)"), encryption);
    caLabel->setBuddy(Edit_sslca);
    secure->addRow(caLabel, caRow);
    ck_encrypt = new QCheckBox(QStringLiteral("要求加密连接 (Encrypt)(&E)"), encryption);
    ck_encrypt->setObjectName(QStringLiteral("ck_encrypt"));
    secure->addRow(ck_encrypt);
    ck_trust = new QCheckBox(QStringLiteral("信任不能验证的服务器证书 (Trust Server Certificate)(&V)"), encryption);
    ck_trust->setObjectName(QStringLiteral("ck_trust"));
    secure->addRow(ck_trust);
    column->addWidget(encryption);

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
    connect(bt_browse_ca, &QPushButton::clicked, this, [this] { browseCaClick(); });
    connect(cb_sslmode, &QComboBox::currentIndexChanged, this, [this] { encryptionChanged(); });
    connect(ck_encrypt, &QCheckBox::toggled, this, [this] { encryptionChanged(); });
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
    // A value the file holds that is none of the modes stays visible as it
    // is, and saving refuses it until another is chosen.
    int mode = cb_sslmode->findData(s.sslMode.toLower());
    if (mode < 0) {
        cb_sslmode->addItem(QStringLiteral("%1（无效）").arg(s.sslMode), s.sslMode);
        mode = cb_sslmode->count() - 1;
    }
    cb_sslmode->setCurrentIndex(mode);
    Edit_sslca->setText(s.sslCaFile);
    ck_encrypt->setChecked(DbSettings::isYes(s.encrypt));
    ck_trust->setChecked(DbSettings::isYes(s.trustServerCertificate));
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
    // Only the keys of the chosen kind are kept.
    if (s.kind() == DbKind::PostgreSQL) {
        s.sslMode = cb_sslmode->currentData().toString();
        s.sslCaFile = Edit_sslca->isEnabled() ? Edit_sslca->text().trimmed() : QString();
    } else if (s.kind() == DbKind::SqlServer && ck_encrypt->isChecked()) {
        s.encrypt = QStringLiteral("yes");
        s.trustServerCertificate = ck_trust->isChecked() ? QStringLiteral("yes") : QStringLiteral("no");
    }
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
    encryptionChanged();
    Edit_datasource->setPlaceholderText(embedded ? QStringLiteral("数据库文件，例如 nollard.db")
                                        : settings().kind() == DbKind::PostgreSQL
                                            ? QStringLiteral("主机[:端口]，主备多台用逗号分隔")
                                            : QStringLiteral("主机、主机,端口 或 主机\\实例"));
}

void ConfigWindow::encryptionChanged()
{
    DbSettings chosen;
    chosen.provider = cb_kind->currentData().toString();
    const DbKind kind = chosen.kind();
    const QString mode = cb_sslmode->currentData().toString();
    const bool verifies = mode == QLatin1String("verify-ca") || mode == QLatin1String("verify-full");
    cb_sslmode->setEnabled(kind == DbKind::PostgreSQL);
    // An authority file is used only by the modes that verify.
    Edit_sslca->setEnabled(kind == DbKind::PostgreSQL && verifies);
    bt_browse_ca->setEnabled(Edit_sslca->isEnabled());
    ck_encrypt->setEnabled(kind == DbKind::SqlServer);
    ck_trust->setEnabled(kind == DbKind::SqlServer && ck_encrypt->isChecked());
}

void ConfigWindow::browseCaClick()
{
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("CA 证书文件"), Edit_sslca->text(),
                                                      QStringLiteral("证书 (*.crt *.pem *.cer);;所有文件 (*)"));
    if (!file.isEmpty())
        Edit_sslca->setText(QDir::toNativeSeparators(file));
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
        const DbSettings s = settings();
        if (const QString problem = s.encryptionProblem(); !problem.isEmpty())
            throw UserRefusal(problem + QStringLiteral("没有保存配置。"));
        QDir().mkpath(QFileInfo(m_configFile).absolutePath());
        QString error;
        if (!s.writeFile(m_configFile, &error))
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
