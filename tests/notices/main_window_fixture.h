#pragma once
// A main window over a fixture database: accounts of every role and notices
// of both sections in known states.

#include "message_recorder.h"
#include "test_database.h"

#include "app/current_user.h"
#include "db/tdm.h"
#include "fees/item_window.h"
#include "notices/main_window.h"

#include <QAction>
#include <QPushButton>
#include <memory>

struct Person
{
    QString name;
    QString nickname;
    int typeId;
    int checker;
    int admin;
};

// The accounts of the fixture, by login name.
const QList<Person> &fixturePeople();

class QComboBox;

// Opens the drop-down of the combo box with a click on its arrow and clicks
// the entry in the opened popup, as a person picks with the mouse.
void pickByMouse(QComboBox *combo, const QString &entry);

class MainWindowFixture
{
public:
    // The database kind defaults to NOLLARD_FIXTURE_DB ("postgresql" or, when
    // unset, the embedded file), so the same tests run on both.
    explicit MainWindowFixture(DbKind kind = defaultKind(), const QString &connection = QStringLiteral("main-window"));
    static DbKind defaultKind();
    ~MainWindowFixture();

    // Fills the notices: see the table in the source file.
    void addNotices();
    // Logs the account in as the login window does, and shows the main window.
    void login(const QString &nickname);

    QPushButton *button(const char *name) const;
    QAction *action(const char *name) const;
    template <typename T>
    T *child(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    // The numbers of the notices the list grid shows, top to bottom.
    QStringList listedIds() const;
    // Selects a row of the list grid as a click would.
    void clickRow(int row);
    int rowOf(const QString &id) const;

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<Tdm> dm;
    std::unique_ptr<TF_main> window;
    std::unique_ptr<TF_item> item;
    MessageRecorder shown;
    bool valid() const { return db != nullptr; }
};
