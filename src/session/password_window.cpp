#include "password_window.h"

#include "account_change.h"

#include "app/access_keys.h"
#include "app/current_user.h"
#include "app/gbk_width.h"
#include "app/messages.h"
#include "app/read_failures.h"
#include "db/named_query.h"
#include "db/tdm.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace {

constexpr int kFieldBytes = 8;

// The picture on the left side: a key before a blue ground.
class KeyPicture : public QWidget
{
public:
    explicit KeyPicture(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("Image1"));
        setFixedWidth(120);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient ground(0, 0, 0, height());
        ground.setColorAt(0, QColor(30, 80, 140));
        ground.setColorAt(1, QColor(12, 40, 72));
        p.fillRect(rect(), ground);
        p.translate(width() / 2.0, height() / 2.0);
        p.rotate(-35);
        QPen pen(QColor(240, 200, 90), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0, -34), 18, 18);
        p.drawLine(QPointF(0, -16), QPointF(0, 46));
        p.drawLine(QPointF(0, 30), QPointF(12, 30));
        p.drawLine(QPointF(0, 42), QPointF(10, 42));
    }
};

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

TF_password::TF_password(Tdm &dm, QWidget *parent) : QDialog(parent), m_dm(dm)
{
    setObjectName(QStringLiteral("F_password"));
    setWindowTitle(QStringLiteral("账号和密码更改"));
    setAttribute(Qt::WA_DeleteOnClose);
    aq_personcheck = new NamedQuery(QStringLiteral("aq_personcheck"), dm.connectionName(), this);
    tellReadFailures(aq_personcheck);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 12, 12);
    row->addWidget(new KeyPicture(this));
    auto *form = new QGridLayout;
    form->setContentsMargins(12, 16, 0, 0);
    form->setVerticalSpacing(8);
    row->addLayout(form, 1);

    auto field = [&](const char *name, const QString &label, bool masked) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        auto *caption = new QLabel(label, this);
        caption->setBuddy(edit);
        const int r = form->rowCount();
        form->addWidget(caption, r, 0);
        form->addWidget(edit, r, 1);
        if (masked) {
            edit->setEchoMode(QLineEdit::Password);
            edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // '*'
        }
        return edit;
    };
    Edit_name = field("Edit_name", QStringLiteral("真实姓名"), false);
    Edit_oldnickname = field("Edit_oldnickname", QStringLiteral("请输入旧帐号"), false);
    Edit_oldpassword = field("Edit_oldpassword", QStringLiteral("请输入旧密码"), true);
    Edit_newnickname = field("Edit_newnickname", QStringLiteral("请输入新帐号"), false);
    Edit_newpassword = field("Edit_newpassword", QStringLiteral("请输入新密码"), true);
    Edit_newpasswordagain = field("Edit_newpasswordagain", QStringLiteral("请输入新密码"), true);
    for (QLineEdit *e :
         {Edit_oldnickname, Edit_oldpassword, Edit_newnickname, Edit_newpassword, Edit_newpasswordagain}) {
        gbk::limit(e, kFieldBytes);
        e->setMinimumWidth(150);
        e->installEventFilter(this);
    }

    bt_ok = new QPushButton(QStringLiteral("确定"), this);
    bt_ok->setObjectName(QStringLiteral("bt_ok"));
    bt_cancel = new QPushButton(QStringLiteral("取消"), this);
    bt_cancel->setObjectName(QStringLiteral("bt_cancel"));
    // Enter reaches a button only when the button itself has the focus.
    bt_ok->setAutoDefault(false);
    bt_cancel->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bt_ok);
    buttons->addWidget(bt_cancel);
    form->addLayout(buttons, form->rowCount(), 0, 1, 2);

    // Alt keys; the name only shows whose account it is.
    const QList<QPair<QLineEdit *, char>> fieldKeys{{Edit_oldnickname, 'U'},
                                                    {Edit_oldpassword, 'P'},
                                                    {Edit_newnickname, 'N'},
                                                    {Edit_newpassword, 'W'},
                                                    {Edit_newpasswordagain, 'A'}};
    for (const auto &[edit, key] : fieldKeys)
        for (QLabel *caption : findChildren<QLabel *>())
            if (caption->buddy() == edit)
                keys::set(caption, edit, key);
    for (QLabel *caption : findChildren<QLabel *>())
        if (caption->buddy() == Edit_name)
            keys::name(caption, Edit_name);
    // The new password is asked twice under one caption.
    Edit_newpasswordagain->setAccessibleName(QStringLiteral("再次输入新密码"));
    keys::set(bt_ok, 'O');
    keys::set(bt_cancel, 'C');

    setTabOrder(Edit_oldnickname, Edit_oldpassword);
    setTabOrder(Edit_oldpassword, Edit_newnickname);
    setTabOrder(Edit_newnickname, Edit_newpassword);
    setTabOrder(Edit_newpassword, Edit_newpasswordagain);
    setTabOrder(Edit_newpasswordagain, bt_ok);
    setTabOrder(bt_ok, bt_cancel);

    connect(bt_ok, &QPushButton::clicked, this, [this] { messages::guarded([this] { bt_okClick(); }); });
    connect(bt_cancel, &QPushButton::clicked, this, [this] { bt_cancelClick(); });
}

TF_password::~TF_password() = default;

void TF_password::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TF_password::FormShow()
{
    for (QLineEdit *e :
         {Edit_name, Edit_oldnickname, Edit_oldpassword, Edit_newnickname, Edit_newpassword, Edit_newpasswordagain})
        e->clear();
    Edit_name->setText(CurrentUser.userName);
    Edit_name->setEnabled(false);
    Edit_oldnickname->setFocus();
}

void TF_password::Edit_newnicknameEnter()
{
    Edit_newnickname->setText(Edit_oldnickname->text());
}

void TF_password::refuse(const QString &message, const QList<QLineEdit *> &cleared, QLineEdit *focus)
{
    messages::inform(message);
    for (QLineEdit *e : cleared)
        e->clear();
    focus->setFocus();
}

void TF_password::bt_okClick()
{
    // The program compares the old values itself, exactly, so letter case
    // counts here even where the database's own comparison ignores it.
    if (Edit_oldnickname->text() != CurrentUser.nickname || Edit_oldpassword->text() != CurrentUser.password) {
        refuse(QStringLiteral("旧帐号或密码输入错误"), {Edit_oldnickname, Edit_oldpassword}, Edit_oldnickname);
        return;
    }
    const QString newNickname = Edit_newnickname->text();
    const QString newPassword = Edit_newpassword->text();
    if (newPassword.isEmpty() || newNickname.isEmpty()) {
        refuse(QStringLiteral("新账号和密码不可为空"), {}, Edit_newpassword);
        return;
    }
    if (newPassword != Edit_newpasswordagain->text()) {
        refuse(QStringLiteral("两次输入的新密码不匹配"), {Edit_newpasswordagain}, Edit_newpasswordagain);
        return;
    }
    // The widths are enforced where the user types; checked again before the write.
    if (!gbk::fits(newNickname, kFieldBytes) || !gbk::fits(newPassword, kFieldBytes)) {
        refuse(QStringLiteral("新账号和密码不可超过8个字节"), {}, Edit_newnickname);
        return;
    }
    if (loginNameTakenByAnother(*aq_personcheck, CurrentUser.nickname, newNickname)) {
        refuse(QStringLiteral("该登录名已被使用，请使用其它登录名"), {Edit_newnickname}, Edit_newnickname);
        return;
    }
    changeOwnAccount(*m_dm.aq_login, CurrentUser, newNickname, newPassword);
    messages::inform(QStringLiteral("修改成功,下面请用新密码和账号重新登录"));
    const std::function<void()> userSwitch = m_userSwitch;
    close();  // releases the window
    if (userSwitch)
        userSwitch();
}

void TF_password::bt_cancelClick()
{
    close();
}

bool TF_password::enterMovesOn(QObject *field, int key)
{
    if (!isEnter(key))
        return false;
    const QList<QWidget *> chain{Edit_oldnickname, Edit_oldpassword,      Edit_newnickname,
                                 Edit_newpassword, Edit_newpasswordagain, bt_ok};
    const qsizetype at = chain.indexOf(static_cast<QWidget *>(field));
    if (at < 0 || at + 1 >= chain.size())
        return false;
    chain[at + 1]->setFocus(Qt::TabFocusReason);
    return true;
}

bool TF_password::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && enterMovesOn(watched, static_cast<QKeyEvent *>(event)->key()))
        return true;
    if (event->type() == QEvent::FocusIn && watched == Edit_newnickname) {
        // Taking the focus, not getting it back when a message box or another
        // window closes, fills in the old login name.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Edit_newnicknameEnter();
    }
    return QDialog::eventFilter(watched, event);
}
