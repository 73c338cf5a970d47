#include "login_window.h"

#include "login_operation.h"

#include "app/access_keys.h"
#include "app/current_user.h"
#include "app/gbk_width.h"
#include "app/messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>

namespace {
constexpr int kFieldBytes = 8;
}

TF_login::TF_login(NamedQuery &aq_login, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_aq_login(aq_login)
{
    setObjectName(QStringLiteral("F_login"));
    setWindowTitle(QStringLiteral("系统登录"));
    setFixedSize(533, 336);

    auto *title = new QLabel(QStringLiteral("Nollard"), this);
    title->setObjectName(QStringLiteral("Label_title"));
    QFont titleFont = title->font();
    titleFont.setPointSize(30);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setStyleSheet(QStringLiteral("color: white;"));
    title->setGeometry(40, 30, 460, 60);

    auto *nameLabel = new QLabel(QStringLiteral("登录名"), this);
    nameLabel->setObjectName(QStringLiteral("Label1"));
    nameLabel->setGeometry(150, 130, 60, 24);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(220, 130, 150, 24);
    gbk::limit(Edit1, kFieldBytes);

    auto *passwordLabel = new QLabel(QStringLiteral("密  码"), this);
    passwordLabel->setObjectName(QStringLiteral("Label2"));
    passwordLabel->setGeometry(150, 170, 60, 24);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(220, 170, 150, 24);
    Edit2->setEchoMode(QLineEdit::Password);
    Edit2->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // '*'
    gbk::limit(Edit2, kFieldBytes);

    bt_ok = new QPushButton(QStringLiteral("确  定"), this);
    bt_ok->setObjectName(QStringLiteral("bt_ok"));
    bt_ok->setGeometry(170, 225, 85, 28);
    bt_cancle = new QPushButton(QStringLiteral("取  消"), this);
    bt_cancle->setObjectName(QStringLiteral("bt_cancle"));
    bt_cancle->setGeometry(285, 225, 85, 28);

    auto *version = new QLabel(QStringLiteral("第二版　Build0824"), this);
    version->setObjectName(QStringLiteral("Label_version"));
    version->setGeometry(380, 300, 140, 24);
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    for (QLabel *label : {nameLabel, passwordLabel, version})
        label->setStyleSheet(QStringLiteral("color: white;"));

    // Alt keys; Enter in the password field logs in.
    keys::set(nameLabel, Edit1, 'L');
    keys::set(passwordLabel, Edit2, 'P');
    keys::set(bt_ok, 'O');
    keys::set(bt_cancle, 'C');

    connect(bt_ok, &QPushButton::clicked, this, [this] { bt_okClick(); });
    connect(bt_cancle, &QPushButton::clicked, this, [this] { bt_cancleClick(); });
    Edit1->installEventFilter(this);
    Edit2->installEventFilter(this);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, bt_ok);
    setTabOrder(bt_ok, bt_cancle);
    Edit1->setFocus();

    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TF_login::bt_okClick()
{
    std::optional<UserRecord> user;
    try {
        user = findAccount(m_aq_login, Edit1->text(), Edit2->text());
    } catch (const std::exception &e) {
        messages::showException(e);
        return;
    }
    if (!user) {
        messages::inform(QStringLiteral("用户名或密码错误"));
        Edit2->clear();
        Edit2->setFocus();
        return;
    }
    CurrentUser = *user;
    if (m_mainWindow)
        m_mainWindow->show();
    hide();
}

void TF_login::bt_cancleClick()
{
    close();
}

bool TF_login::Edit1KeyPress(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    Edit2->setFocus();
    return true;
}

bool TF_login::Edit2KeyPress(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    bt_okClick();
    return true;
}

bool TF_login::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (watched == Edit1)
            return Edit1KeyPress(key);
        if (watched == Edit2)
            return Edit2KeyPress(key);
    }
    return QWidget::eventFilter(watched, event);
}

void TF_login::closeEvent(QCloseEvent *event)
{
    // This is the program's main window: closing it ends the program.
    event->accept();
    QCoreApplication::quit();
}

void TF_login::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    activateWindow();
    Edit1->setFocus();
}

void TF_login::paintEvent(QPaintEvent *)
{
    // The background picture: a sea under an evening sky.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0.0, QColor(18, 52, 96));
    sky.setColorAt(0.55, QColor(40, 110, 160));
    sky.setColorAt(1.0, QColor(12, 40, 72));
    p.fillRect(rect(), sky);
    for (int i = 0; i < 4; ++i) {
        QPainterPath wave;
        const int base = 250 + i * 22;
        wave.moveTo(0, base);
        for (int x = 0; x <= width(); x += 40)
            wave.quadTo(x + 20, base - 8 + (i % 2) * 4, x + 40, base);
        wave.lineTo(width(), height());
        wave.lineTo(0, height());
        wave.closeSubpath();
        p.fillPath(wave, QColor(255, 255, 255, 18 + i * 8));
    }
}
