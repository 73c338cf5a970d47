// The fee-line editor TF_item driven through its grid and button, on a real
// SQLite file.

#include "fee_fixture.h"
#include "message_recorder.h"
#include "notice_row.h"
#include "typing.h"

#include "app/current_user.h"
#include "db/named_query.h"
#include "fees/fee_lines.h"
#include "fees/item_window.h"
#include "fees/line_queries.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

namespace {

enum GridColumn { ItemName, Description, Money, Type };

const NoticeFlags kAllFlags{true, true, true, true};

}  // namespace

class TestItemWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layout_data();
    void layout();
    void enterComputesAmount_data();
    void enterComputesAmount();
    void errorsLeaveAmount_data();
    void errorsLeaveAmount();
    void downKeyAddsNoLine();
    void saveWritesTotal();
    void closingWritesTotal();
    void typedAmountIsStored();
    void noFlagMeansNoLines();
    void stepsKeepTheirWidth();

private:
    void showFor(int role, const NoticeFlags &flags = kAllFlags);
    QTableView *grid() const { return m_item->findChild<QTableView *>(QStringLiteral("DBGrid1")); }
    int rowOf(const QString &itemName) const;
    [[nodiscard]] QLineEdit *openCell(const QString &itemName, int column);
    void enter(const QString &itemName, const QString &steps);
    QVariant stored(const QString &column, const QString &itemName);

    std::unique_ptr<FeeFixture> m_f;
    std::unique_ptr<TF_item> m_item;
    std::unique_ptr<MessageRecorder> m_shown;
};

void TestItemWindow::init()
{
    m_f = FeeFixture::create(DbKind::SQLite, QStringLiteral("item-window"));
    m_item = std::make_unique<TF_item>(*m_f->dm);
    m_shown = std::make_unique<MessageRecorder>();
}

void TestItemWindow::cleanup()
{
    m_item.reset();
    m_shown.reset();
    m_f.reset();
}

void TestItemWindow::showFor(int role, const NoticeFlags &flags)
{
    CurrentUser = UserRecord();
    CurrentUser.userName = QStringLiteral("测试员");
    CurrentUser.typeId = role;
    CurrentUser.deriveFromRole();
    m_f->openNotice(flags);
    QVERIFY(fees::prepareFeeLines(*m_f->dm, CurrentUser));
    m_item->open();
    QVERIFY(m_item->isVisible());
}

int TestItemWindow::rowOf(const QString &itemName) const
{
    QAbstractItemModel *model = grid()->model();
    for (int r = 0; r < model->rowCount(); ++r)
        if (model->index(r, ItemName).data().toString() == itemName)
            return r;
    return -1;
}

QLineEdit *TestItemWindow::openCell(const QString &itemName, int column)
{
    const QModelIndex index = grid()->model()->index(rowOf(itemName), column);
    if (!index.isValid())
        return nullptr;
    grid()->setCurrentIndex(index);
    grid()->edit(index);
    const QString name = column == Description ? QStringLiteral("description_editor") : QStringLiteral("money_editor");
    for (QLineEdit *edit : grid()->findChildren<QLineEdit *>(name))
        if (edit->isVisible())
            return edit;
    return nullptr;
}

// Types the steps over the line's description and presses Enter.
void TestItemWindow::enter(const QString &itemName, const QString &steps)
{
    QLineEdit *edit = openCell(itemName, Description);
    QVERIFY2(edit, qPrintable(itemName));
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    typeText(edit, steps);
    QTest::keyClick(edit, Qt::Key_Return);
}

QVariant TestItemWindow::stored(const QString &column, const QString &itemName)
{
    return m_f->db->scalar(QStringLiteral("select %1 from itemofnotice where itemname=?").arg(column), {itemName});
}

void TestItemWindow::layout_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<bool>("typeShown");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("ship affairs") << 3 << true << QStringList{"培训费",     "变更登记费", "船舶登记费",
                                                              "证书工本费", "资料费",     "船名'牌'费"};
    QTest::newRow("ship inspection") << 5 << false << QStringList{"检验费", "图纸审查费", "丈量费"};
}

void TestItemWindow::layout()
{
    QFETCH(int, role);
    QFETCH(bool, typeShown);
    QFETCH(QStringList, lines);
    showFor(role);

    QCOMPARE(m_item->objectName(), QStringLiteral("F_item"));
    QCOMPARE(m_item->windowTitle(), QStringLiteral("收费项目"));
    QCOMPARE(m_item->findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("收费项目(&I)    "));
    QCOMPARE(m_item->findChild<QPushButton *>(QStringLiteral("f_item_save"))->text(), QStringLiteral("保\u3000存(&S)"));
    QVERIFY(m_item->isModal());

    const QStringList titles{"收费项目", "计算步骤（说明）", "收费金额", "所属类型"};
    const QList<int> widths{119, 154, 63, 98};
    for (int c = 0; c < 4; ++c) {
        QCOMPARE(grid()->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
        if (!grid()->isColumnHidden(c))
            QCOMPARE(grid()->columnWidth(c), widths[c]);
    }
    QCOMPARE(grid()->horizontalHeader()->defaultAlignment(), Qt::AlignCenter);
    QCOMPARE(grid()->isColumnHidden(Type), !typeShown);

    // Every line, with or without an amount, in the section's order.
    QStringList shown;
    for (int r = 0; r < grid()->model()->rowCount(); ++r)
        shown << grid()->model()->index(r, ItemName).data().toString();
    QCOMPARE(shown, lines);

    // Editing mode: steps and amounts can be typed, names and types cannot.
    QVERIFY(m_item->isEditingMode());
    QVERIFY(grid()->editTriggers() != QAbstractItemView::NoEditTriggers);
    const Qt::ItemFlags nameFlags = grid()->model()->flags(grid()->model()->index(0, ItemName));
    QVERIFY(!(nameFlags & Qt::ItemIsEditable));
    QVERIFY(grid()->model()->flags(grid()->model()->index(0, Description)) & Qt::ItemIsEditable);
    QVERIFY(grid()->model()->flags(grid()->model()->index(0, Money)) & Qt::ItemIsEditable);
    QVERIFY(!(grid()->model()->flags(grid()->model()->index(0, Type)) & Qt::ItemIsEditable));
}

void TestItemWindow::enterComputesAmount_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("shown");
    QTest::newRow("unit price times count") << "船舶登记费"
                                            << "30*4" << 120.0 << "120.00";
    QTest::newRow("rounded half away from zero") << "变更登记费"
                                                 << "12.5*0.25" << 3.13 << "3.13";
    QTest::newRow("empty steps") << "培训费"
                                 << "" << 0.0 << "0.00";
    QTest::newRow("large amount") << "证书工本费"
                                  << "2500000*4" << 1e7 << "10000000.00";
}

void TestItemWindow::enterComputesAmount()
{
    QFETCH(QString, line);
    QFETCH(QString, steps);
    QFETCH(double, amount);
    QFETCH(QString, shown);
    showFor(3);

    enter(line, steps);
    QVERIFY2(m_shown->errors.isEmpty(), qPrintable(m_shown->errors.join('\n')));
    QCOMPARE(m_f->dm->aq_itemofnotice->state(), NamedQuery::State::Browsing);
    QCOMPARE(stored("money", line).toDouble(), amount);
    QCOMPARE(stored("description", line).toString(), steps);
    QCOMPARE(grid()->model()->index(rowOf(line), Money).data().toString(), shown);
    QCOMPARE(QString::fromStdString(m_item->Parser1.Expression()), steps);
    // The grid stays on the evaluated line.
    QCOMPARE(grid()->currentIndex().row(), rowOf(line));
}

void TestItemWindow::errorsLeaveAmount_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing bracket") << "2*(3+"
                                     << "Missing brackets in expression (\")\")";
    QTest::newRow("division by zero") << "1/0"
                                      << "Floating point division by zero";
    QTest::newRow("plain text") << "按实际收取"
                                << "错误的表达式:\r按实际收取";
}

void TestItemWindow::errorsLeaveAmount()
{
    QFETCH(QString, steps);
    QFETCH(QString, message);
    showFor(3);
    enter("船舶登记费", "30*4");
    QCOMPARE(stored("money", "船舶登记费").toDouble(), 120.0);

    enter("船舶登记费", steps);
    QCOMPARE(m_shown->errors, QStringList{message});
    QCOMPARE(stored("money", "船舶登记费").toDouble(), 120.0);
    QCOMPARE(grid()->model()->index(rowOf("船舶登记费"), Money).data().toDouble(), 120.0);

    // Saving computes the changed steps again: refused, naming the fee item,
    // with nothing stored and the window open on the line.
    QTest::mouseClick(m_item->findChild<QPushButton *>("f_item_save"), Qt::LeftButton);
    QVERIFY(m_item->isVisible());
    QCOMPARE(m_shown->informations.size(), 1);
    QVERIFY2(m_shown->informations.first().contains(QStringLiteral("船舶登记费"))
                 && m_shown->informations.first().contains(message.section(u'\r', 0, 0)),
             qPrintable(m_shown->informations.first()));
    QCOMPARE(grid()->currentIndex().row(), rowOf("船舶登记费"));
    QCOMPARE(stored("money", "船舶登记费").toDouble(), 120.0);

    // An amount typed over it stands for the steps as they are (an
    // explanation rather than a calculation): the save goes through.
    QLineEdit *amount = openCell("船舶登记费", Money);
    QVERIFY(amount);
    amount->selectAll();
    QTest::keyClick(amount, Qt::Key_Backspace);
    typeText(amount, QStringLiteral("55"));
    QTest::mouseClick(m_item->findChild<QPushButton *>("f_item_save"), Qt::LeftButton);
    QVERIFY(!m_item->isVisible());
    QCOMPARE(stored("description", "船舶登记费").toString(), steps);
    QCOMPARE(stored("money", "船舶登记费").toDouble(), 55.0);
    QCOMPARE(m_f->dm->aq_notice->value("money").toDouble(), 55.0);
}

void TestItemWindow::downKeyAddsNoLine()
{
    showFor(5);
    const int rows = grid()->model()->rowCount();
    grid()->setCurrentIndex(grid()->model()->index(rows - 1, Description));
    QTest::keyClick(grid(), Qt::Key_Down);

    QCOMPARE(grid()->model()->rowCount(), rows);
    QCOMPARE(grid()->currentIndex().row(), rows - 1);
    QCOMPARE(m_f->dm->aq_itemofnotice->state(), NamedQuery::State::Browsing);
    QCOMPARE(m_f->lineCount(), rows);
}

void TestItemWindow::saveWritesTotal()
{
    showFor(3);
    QStringList changed;
    connect(m_f->dm->aq_notice, &NamedQuery::valueChanged, this, [&](const QString &c) { changed << c; });

    enter("变更登记费", "100");
    enter("船舶登记费", "0");
    enter("证书工本费", "25.5");
    enter("培训费", "");  // 0.00: listed, not counted
    QVERIFY(m_shown->errors.isEmpty());
    QCOMPARE(stored("money", "培训费").toDouble(), 0.0);

    QTest::mouseClick(m_item->findChild<QPushButton *>("f_item_save"), Qt::LeftButton);
    QVERIFY(!m_item->isVisible());
    QCOMPARE(m_f->dm->aq_notice->value("money").toDouble(), 125.5);
    QVERIFY(changed.contains("money"));
    // The row being edited gets it for the notice editing to store; the
    // stored amount already follows the stored lines and flags.
    QCOMPARE(m_f->dm->aq_notice->state(), NamedQuery::State::Editing);
    QCOMPARE(m_f->db->scalar("select money from notice").toDouble(), 125.5);
    // The shared lines query now holds the counting lines only.
    QCOMPARE(m_f->openLineNames(), (QStringList{"证书工本费", "变更登记费"}));  // by type
    QCOMPARE(m_f->dm->aq_itemofnotice->currentRow(), 0);
}

void TestItemWindow::closingWritesTotal()
{
    showFor(5);
    enter("检验费", "10*3");
    enter("丈量费", "2.5");
    // Escape closes the window like its close button.
    QTest::keyClick(grid(), Qt::Key_Escape);
    QVERIFY(!m_item->isVisible());
    QCOMPARE(m_f->dm->aq_notice->value("money").toDouble(), 32.5);

    // Showing it again for the same notice finds the amounts.
    m_f->dm->aq_notice->cancel();
    QVERIFY(fees::prepareFeeLines(*m_f->dm, CurrentUser));
    m_item->open();
    QCOMPARE(grid()->model()->index(rowOf("检验费"), Money).data().toDouble(), 30.0);
    QCOMPARE(m_f->lineCount(), 3);
}

void TestItemWindow::typedAmountIsStored()
{
    showFor(5);
    // Typed directly, not computed: stored when the line is left...
    QLineEdit *edit = openCell("检验费", Money);
    QVERIFY(edit);
    edit->selectAll();
    typeText(edit, "55.5");
    QTest::keyClick(edit, Qt::Key_Tab);
    grid()->setCurrentIndex(grid()->model()->index(rowOf("丈量费"), Description));
    QCOMPARE(stored("money", "检验费").toDouble(), 55.5);
    QVERIFY(stored("description", "检验费").isNull());

    // ... or by saving.
    edit = openCell("图纸审查费", Money);
    QVERIFY(edit);
    typeText(edit, "4.5");
    QTest::mouseClick(m_item->findChild<QPushButton *>("f_item_save"), Qt::LeftButton);
    QCOMPARE(stored("money", "图纸审查费").toDouble(), 4.5);
    QCOMPARE(m_f->dm->aq_notice->value("money").toDouble(), 60.0);
    QVERIFY(m_shown->errors.isEmpty());
}

void TestItemWindow::noFlagMeansNoLines()
{
    showFor(4, NoticeFlags{});
    QCOMPARE(grid()->model()->rowCount(), 0);
    QVERIFY(!m_item->isEditingMode());
    QCOMPARE(grid()->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(grid()->selectionBehavior(), QAbstractItemView::SelectRows);

    QTest::keyClick(grid(), Qt::Key_Return);  // nothing to evaluate
    QTest::mouseClick(m_item->findChild<QPushButton *>("f_item_save"), Qt::LeftButton);
    QVERIFY(m_shown->errors.isEmpty());
    QCOMPARE(m_f->dm->aq_notice->value("money").toDouble(), 0.0);
    QCOMPARE(m_f->dm->aq_notice->state(), NamedQuery::State::Editing);
    QCOMPARE(m_f->lineCount(), 6);  // the lines exist, none is of a ticked type

    // A ship inspection clerk at the same workstation can type steps again.
    m_f->dm->aq_notice->cancel();
    NoticeRow(QStringLiteral("1000001")).status(1).department(QStringLiteral("船检科")).insert(m_f->db->connection());
    CurrentUser = UserRecord();
    CurrentUser.typeId = 5;
    CurrentUser.deriveFromRole();
    m_f->openNotice({}, QStringLiteral("1000001"));
    QVERIFY(fees::prepareFeeLines(*m_f->dm, CurrentUser));
    m_item->open();
    QVERIFY(m_item->isEditingMode());
    QCOMPARE(grid()->model()->rowCount(), 3);
}

void TestItemWindow::stepsKeepTheirWidth()
{
    showFor(5);
    QLineEdit *edit = openCell("检验费", Description);
    QVERIFY(edit);
    edit->selectAll();
    typeText(edit, QString(200, QChar(0x8D39)));  // 费: two bytes each
    QCOMPARE(edit->text().size(), 127);
    QTest::keyClick(edit, Qt::Key_Return);  // text, not a calculation
    QCOMPARE(m_shown->errors.size(), 1);

    // Text that reaches the line by another way is cut as well.
    const QModelIndex steps = grid()->model()->index(rowOf("丈量费"), Description);
    grid()->setCurrentIndex(steps);
    QVERIFY(grid()->model()->setData(steps, QString(100, QLatin1Char('1')) + QString(100, QChar(0x8D39))));
    QTest::mouseClick(m_item->findChild<QPushButton *>("f_item_save"), Qt::LeftButton);
    QCOMPARE(stored("description", "检验费").toString(), QString(127, QChar(0x8D39)));
    QCOMPARE(stored("description", "丈量费").toString(), QString(100, QLatin1Char('1')) + QString(77, QChar(0x8D39)));
}

QTEST_MAIN(TestItemWindow)
#include "tst_item_window.moc"
