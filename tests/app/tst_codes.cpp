// Codes, their texts, padding and GBK widths.

#include "app/codes.h"
#include "app/current_user.h"
#include "app/gbk_width.h"

#include "typing.h"

#include <QLineEdit>
#include <QtTest>

class TestCodes : public QObject
{
    Q_OBJECT
private slots:
    void stateTexts_data();
    void stateTexts();
    void roles_data();
    void roles();
    void rightTexts();
    void padding_data();
    void padding();
    void gbkWidths_data();
    void gbkWidths();
    void gbkLimitOnLineEdit();
};

void TestCodes::stateTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << 1 << "新建、未经申核";
    QTest::newRow("2") << 2 << "船务科未打印、船检科已审核且未打印";
    QTest::newRow("3") << 3 << "已打印且未被开票";
    QTest::newRow("4") << 4 << "已收费";
    QTest::newRow("5") << 5 << "已开票且未被统计";
    QTest::newRow("6") << 6 << "已统计、归档数据";
    QTest::newRow("-1") << -1 << "被领导驳回等待修改";
    QTest::newRow("-2") << -2 << "废票";
    QTest::newRow("-3") << -3 << "不正常";
    QTest::newRow("0 is two blanks") << 0 << "  ";
    QTest::newRow("7 is two blanks") << 7 << "  ";
}

void TestCodes::stateTexts()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(codes::stateText(code), text);
}

void TestCodes::roles_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("roleText");
    QTest::addColumn<QString>("identity");
    QTest::addColumn<QString>("department");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("1") << 1 << "系统维护人员"
                       << "非本系统人员"
                       << "无效"
                       << "";
    QTest::newRow("2") << 2 << "收费人员"
                       << "非本系统人员"
                       << "财务科"
                       << "";
    QTest::newRow("3") << 3 << "船务科工作人员"
                       << "船务科工作人员"
                       << "船务科"
                       << "0";
    QTest::newRow("4") << 4 << "船务科领导"
                       << "船务科领导"
                       << "船务科"
                       << "0";
    QTest::newRow("5") << 5 << "船检科工作人员"
                       << "船检科工作人员"
                       << "船检科"
                       << "1";
    QTest::newRow("6") << 6 << "船检科领导"
                       << "船检科领导"
                       << "船检科"
                       << "1";
    QTest::newRow("7") << 7 << "财务科工作人员"
                       << "财务科工作人员"
                       << "财务科"
                       << "";
    QTest::newRow("8") << 8 << "财务科领导"
                       << "财务科领导"
                       << "财务科"
                       << "";
    QTest::newRow("9 unknown") << 9 << "非系统人员"
                               << "非本系统人员"
                               << "无效"
                               << "";
    QTest::newRow("0 unknown") << 0 << "非系统人员"
                               << "非本系统人员"
                               << "无效"
                               << "";
}

void TestCodes::roles()
{
    QFETCH(int, code);
    QFETCH(QString, roleText);
    QFETCH(QString, identity);
    QFETCH(QString, department);
    QFETCH(QString, prefix);
    QCOMPARE(codes::roleText(code), roleText);
    QCOMPARE(codes::sectionPrefix(code), prefix);
    UserRecord user;
    user.typeId = code;
    user.deriveFromRole();
    QCOMPARE(user.identity, identity);
    QCOMPARE(user.department, department);
    // The edit text of a role stores its code; any other text stores 9.
    QCOMPARE(codes::roleCodeFromText(roleText), code >= 1 && code <= 8 ? code : 9);
}

void TestCodes::rightTexts()
{
    QCOMPARE(codes::rightText(1), QStringLiteral("有"));
    QCOMPARE(codes::rightText(0), QStringLiteral("没有"));
    QCOMPARE(codes::rightText(2), QStringLiteral("没有"));
    QCOMPARE(codes::rightCodeFromText(QStringLiteral("有")), 1);
    QCOMPARE(codes::rightCodeFromText(QStringLiteral("没有")), 0);
    QCOMPARE(codes::rightCodeFromText(QStringLiteral("yes")), 0);
    QCOMPARE(codes::roleCodeFromText(QStringLiteral("经理")), 9);
    UserRecord user;
    user.isChecker = 2;
    QVERIFY(!user.hasReviewRight());
    user.isChecker = 1;
    QVERIFY(user.hasReviewRight());
}

void TestCodes::padding_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("serial6");
    QTest::addColumn<QString>("bill7");
    QTest::newRow("0") << 0 << "000000"
                       << "0000000";
    QTest::newRow("5") << 5 << "000005"
                       << "0000005";
    QTest::newRow("123") << 123 << "000123"
                         << "0000123";
    QTest::newRow("999999") << 999999 << "999999"
                            << "0999999";
    QTest::newRow("1000000 wraps") << 1000000 << "000000"
                                   << "1000000";
    QTest::newRow("1234567 drops the lead") << 1234567 << "234567"
                                            << "1234567";
    QTest::newRow("12345678") << 12345678 << "345678"
                              << "2345678";
}

void TestCodes::padding()
{
    QFETCH(int, value);
    QFETCH(QString, serial6);
    QFETCH(QString, bill7);
    QCOMPARE(codes::PadSerial6(value), serial6);
    QCOMPARE(codes::PadBillCode7(value), bill7);
}

void TestCodes::gbkWidths_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("cutTo5");
    QTest::newRow("empty") << "" << 0 << "";
    QTest::newRow("latin") << "abc" << 3 << "abc";
    QTest::newRow("section") << "船务科" << 6 << "船务";
    QTest::newRow("mixed") << "ab船" << 4 << "ab船";
    QTest::newRow("no split") << "a船务科" << 7 << "a船务";
    QTest::newRow("full-width punctuation") << "、（）" << 6 << "、（";
    QTest::newRow("ideographic space") << "保　存" << 6 << "保　";
    QTest::newRow("outside GBK counts two") << QString::fromUcs4(U"😀a") << 3 << QString::fromUcs4(U"😀a");
}

void TestCodes::gbkWidths()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, cutTo5);
    QCOMPARE(gbk::width(text), width);
    QCOMPARE(gbk::truncated(text, 5), cutTo5);
    QCOMPARE(gbk::fits(text, 5), width <= 5);
}

void TestCodes::gbkLimitOnLineEdit()
{
    QLineEdit edit;
    gbk::limit(&edit, 8);
    typeText(&edit, QStringLiteral("船务科王"));  // 8 bytes: fits
    QCOMPARE(edit.text(), QStringLiteral("船务科王"));
    typeText(&edit, QStringLiteral("a"));  // a ninth byte is refused
    QCOMPARE(edit.text(), QStringLiteral("船务科王"));
    edit.clear();
    typeText(&edit, QStringLiteral("abcdefg船"));  // the character would make 9
    QCOMPARE(edit.text(), QStringLiteral("abcdefg"));
    edit.clear();
    typeText(&edit, QStringLiteral("12345678"));
    QCOMPARE(edit.text(), QStringLiteral("12345678"));
}

QTEST_MAIN(TestCodes)
#include "tst_codes.moc"
