#pragma once
// The configuration program's window: what kind of database the workstation
// uses and where it is, written to config/config.ini in the program's folder;
// testing the connection; creating the tables, the first accounts or the
// demonstration data; backing up and restoring the embedded database file.

#include "db/db_settings.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class ConfigWindow : public QWidget
{
    Q_OBJECT
public:
    // The file is read at once; its folder need not exist yet.
    explicit ConfigWindow(const QString &configFile, const QString &schemaFolder, QWidget *parent = nullptr);

    // The settings as the fields show them now.
    DbSettings settings() const;

    QComboBox *cb_kind;
    QLineEdit *Edit_datasource;
    QPushButton *bt_browse;
    QLineEdit *Edit_catalog;
    QLineEdit *Edit_user;
    QLineEdit *Edit_password;
    // Encryption: SSL Mode and the authority's certificate (PostgreSQL),
    // Encrypt and Trust Server Certificate (SQL Server).
    QComboBox *cb_sslmode;
    QLineEdit *Edit_sslca;
    QPushButton *bt_browse_ca;
    QCheckBox *ck_encrypt;
    QCheckBox *ck_trust;
    QPushButton *bt_test;
    QPushButton *bt_save;
    QPushButton *bt_schema;
    QPushButton *bt_demo;
    QPushButton *bt_init;
    QPushButton *bt_backup;
    QPushButton *bt_restore;
    QPushButton *bt_close;
    QLabel *Label_result;

private:
    void showSettings(const DbSettings &s);
    void kindChanged();
    void browseClick();
    void browseCaClick();
    // What may be given depends on the kind and on the mode chosen.
    void encryptionChanged();
    void testClick();
    void saveClick();
    void schemaClick();
    void demoClick();
    void initClick();
    void backupClick();
    void restoreClick();
    // Runs an operation; its text goes to the result line and to a message,
    // a refusal or an error to a message.
    void run(const std::function<QString()> &operation);
    // The settings with an embedded file's name made absolute.
    DbSettings effectiveSettings() const;
    QString programFolder() const;
    // Where a relative embedded database file lies: the program folder, or
    // the data folder for the system configuration.
    QString embeddedFolder() const;

    QString m_configFile;
    QString m_schemaFolder;
};
