#include "workstation.h"

#include "app/codes.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/named_query.h"
#include "db/sql_statement.h"
#include "db/tdm.h"
#include "expr/parser.h"
#include "fees/line_evaluation.h"
#include "fees/line_queries.h"
#include "fees/line_saving.h"
#include "finance/bill_lists.h"
#include "finance/bill_operations.h"
#include "finance/notice_printing.h"
#include "finance/statistics_run.h"
#include "notices/configure.h"
#include "notices/notice_lists.h"
#include "notices/notice_operations.h"
#include "notices/notice_rights.h"
#include "report/report_preview.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>
#include <QThread>

#include <cstdio>
#include <functional>

namespace workday {

namespace {

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

struct Candidate
{
    int row = -1;
    NoticeFacts facts;
    int revision = 0;
    QString billcode;
};

class Day
{
public:
    Day(const DbSettings &settings, const Workstation &workstation, const QString &startFile, int thinkMs)
        : m_dm(settings, QStringLiteral("workstation")), m_ws(workstation), m_user(workstation.user),
          m_startFile(startFile), m_thinkMs(thinkMs), m_random(quint32(workstation.index * 7919 + 17)), m_out(stdout)
    {}

    void run()
    {
        m_dm.DataModuleCreate();
        notices::configure(m_dm);
        CurrentUser = m_user;
        ReportPreview::setHook([](const QList<PreparedReport> &) {});  // the preview closes at once
        m_out << "ready" << Qt::endl;
        m_times = waitForStart();
        waitUntil(m_times.startAt);
        // The workstations do not all start in the same millisecond.
        think();
        while (now() < m_times.endAt) {
            switch (m_ws.duty) {
            case Duty::Clerk:
                clerkStep();
                break;
            case Duty::Reviewer:
                reviewerStep();
                break;
            case Duty::BillIssuer:
                billIssuerStep();
                break;
            case Duty::FinanceLeader:
                financeStep();
                break;
            }
            think();
        }
        m_out << "done" << Qt::endl;
    }

private:
    bool inspection() const { return m_user.department == codes::kInspection; }

    void think()
    {
        if (m_thinkMs > 0)
            QThread::msleep(m_random.bounded(2 * m_thinkMs + 1));
    }

    DayTimes waitForStart() const
    {
        for (;;) {
            QFile file(m_startFile);
            if (file.open(QIODevice::ReadOnly))
                return DayTimes::fromText(QString::fromLatin1(file.readAll()));
            QThread::msleep(20);
        }
    }

    static void waitUntil(qint64 at)
    {
        for (qint64 left = at - now(); left > 0; left = at - now())
            QThread::msleep(std::min<qint64>(left, 200));
    }

    // Runs one operation as the user's click, times it and records how it
    // ended. The body fills in the notice, the state it leaves and what it
    // wrote.
    Outcome perform(const QString &operation, const std::function<void(Record &)> &body)
    {
        Record record;
        record.workstation = m_ws.index;
        record.account = m_user.nickname;
        record.operation = operation;
        QElapsedTimer timer;
        timer.start();
        try {
            body(record);
            record.outcome = Outcome::Stored;
        } catch (const StaleRowError &refused) {
            record.outcome = Outcome::Refused;  // told to the user: another workstation changed the row
            record.detail = refused.message();
        } catch (const DbRefusal &refused) {
            record.outcome = Outcome::Refused;  // lock wait, number taken
            record.detail = refused.message();
        } catch (const UserRefusal &refused) {
            record.outcome = Outcome::Refused;
            record.detail = refused.message();
        } catch (const DbError &error) {
            record.outcome = Outcome::Failed;  // the general error display
            record.detail = error.message();
        } catch (const std::exception &error) {
            record.outcome = Outcome::Failed;
            record.detail = QString::fromUtf8(error.what());
        }
        record.micros = timer.nsecsElapsed() / 1000;
        m_out << record.toLine() << Qt::endl;
        return record.outcome;
    }

    // True when the operation stored its change.
    bool act(const QString &operation, const std::function<void(Record &)> &body)
    {
        return perform(operation, body) == Outcome::Stored;
    }

    // Opens a notice list as its toolbar button does.
    bool openList(NoticeList list)
    {
        return act(kList, [&](Record &) {
            NamedQuery &q = *m_dm.aq_notice;
            q.close();
            q.setStatement(QString());
            const Statement s = noticeListStatement(list, m_user);
            q.open(s.sql, s.values);
        });
    }

    // A row of the first screen of the list that the test accepts, chosen at
    // random as a person picks the notice in front of them.
    std::optional<Candidate> pickNotice(const std::function<bool(const SelectionRights &)> &wanted)
    {
        NamedQuery &q = *m_dm.aq_notice;
        QList<Candidate> candidates;
        for (int row = 0; row < 20 && q.setCurrentRow(row); ++row) {
            Candidate c;
            c.row = row;
            c.facts.id = q.value(QStringLiteral("ID")).toString();
            c.facts.status = q.value(QStringLiteral("status")).toInt();
            c.facts.department = q.value(QStringLiteral("department")).toString();
            c.facts.handler = q.value(QStringLiteral("handler")).toString();
            if (wanted(selectionRights(c.facts, m_user)))
                candidates << c;
        }
        if (candidates.isEmpty())
            return std::nullopt;
        const Candidate chosen = candidates[m_random.bounded(int(candidates.size()))];
        q.setCurrentRow(chosen.row);
        return chosen;
    }

    QString nextShipName() { return QStringLiteral("%1-%2").arg(m_user.nickname).arg(++m_serial); }

    // ---- clerk ----

    void clerkStep()
    {
        const int pick = m_random.bounded(20);
        if (pick < 8)
            newNotice();
        else if (pick < 14)
            printNotice();
        else if (pick < 18)
            changeNotice();
        else
            deleteNotice();
    }

    void fillHeader(const QString &shipName)
    {
        NamedQuery &q = *m_dm.aq_notice;
        q.setValue(QStringLiteral("shipname"), shipName);
        if (inspection()) {
            static const QStringList contents{QStringLiteral("年度检验"), QStringLiteral("中间检验"),
                                              QStringLiteral("特别检验"), QStringLiteral("临时检验")};
            q.setValue(QStringLiteral("checktype"), codes::kRunInspection);
            q.setValue(QStringLiteral("checkcontent"), contents[m_random.bounded(int(contents.size()))]);
            q.setValue(QStringLiteral("company"), QStringLiteral("东港航运有限公司"));
        } else {
            q.setValue(QStringLiteral("dengji"), true);
            q.setValue(QStringLiteral("gongbenfei"), true);
            q.setValue(QStringLiteral("peixun"), m_random.bounded(2) == 1);
        }
    }

    // The steps a clerk types into a line, from what the line shows.
    QString stepsFor(const QString &shown)
    {
        const int count = 1 + int(m_random.bounded(4));
        if (!shown.isEmpty())
            return QStringLiteral("%1*%2").arg(shown).arg(count);
        return QStringLiteral("%1*%2+%3.5").arg(50 + m_random.bounded(200)).arg(count).arg(m_random.bounded(40));
    }

    void newNotice()
    {
        QString id;
        if (!act(kNew, [&](Record &r) {
                NamedQuery &q = *m_dm.aq_notice;
                q.close();
                id = createNotice(m_dm.database(), m_user);
                r.notice = id;
                r.state = QString::number(codes::StateNew);
                q.open(QStringLiteral("select * from notice where ID=?"), {id});
                q.edit();
            }))
            return;
        const QString shipName = nextShipName();
        fillHeader(shipName);

        if (!act(kOpenEditor, [&](Record &r) {
                r.notice = id;
                if (!fees::prepareFeeLines(m_dm, m_user))
                    throw UserRefusal(QStringLiteral("the fee-line editor did not open"));
                fees::openEditorLines(m_dm, m_user.department);
            }))
            return;
        NamedQuery &lines = *m_dm.aq_itemofnotice;
        const int count = lines.rowCount();
        for (int row = 0; row < count; ++row) {
            lines.setCurrentRow(row);
            const QString shown = lines.value(QStringLiteral("description")).toString();
            if (inspection() ? row >= 3 : shown.isEmpty())
                continue;  // a line the clerk leaves empty
            const QString steps = stepsFor(shown);
            act(kComputeLine, [&](Record &r) {
                r.notice = id;
                lines.edit();
                lines.setValue(QStringLiteral("description"), steps);
                fees::evaluateCurrentLine(lines, m_parser);
                const QString line = lines.value(QStringLiteral("lineid")).toString();
                const double amount = lines.value(QStringLiteral("money")).toDouble();
                fees::storeEditedLine(lines, m_user);
                r.detail = QStringLiteral("%1=%2").arg(line, QString::number(amount, 'f', 2));
            });
        }
        act(kCloseEditor, [&](Record &r) {
            r.notice = id;
            fees::CurrentNoticeRevision = fees::saveEditorLines(m_dm.database(), m_user, m_parser,
                                                                {fees::CurrentNoticeID, fees::CurrentNoticeRevision},
                                                                {})
                                              .revision;
            const double total = fees::writeNoticeTotal(m_dm, m_user.department, fees::CurrentNoticeID,
                                                        fees::LineTypeFilter);
            r.detail = QString::number(total, 'f', 2);
        });
        saveWithOneRetry(id, shipName);
    }

    // Stores the notice in editing; when another workstation changed it
    // meanwhile, the clerk looks at the refreshed notice and, if it may still
    // be changed, presses save once more.
    void saveWithOneRetry(const QString &id, const QString &shipName)
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            NamedQuery &q = *m_dm.aq_notice;
            if (q.state() != NamedQuery::State::Editing)
                return;
            // The notice as stored, refreshed after a refusal.
            const int status = q.originalValue(QStringLiteral("status")).toInt();
            if (status != codes::StateNew && status != codes::StateRejected)
                return;  // approved or printed meanwhile: the clerk leaves it
            const Outcome outcome = perform(kSave, [&](Record &r) {
                r.notice = id;
                r.state = QString::number(codes::StateNew);  // a rejected notice goes back to review
                r.detail = shipName;
                saveEdited();
            });
            if (outcome != Outcome::Refused)
                return;
        }
    }

    // What the save button does with the notice in editing.
    void saveEdited()
    {
        NamedQuery &q = *m_dm.aq_notice;
        NoticeEdit edit;
        edit.id = q.value(QStringLiteral("ID")).toString();
        edit.revision = q.originalValue(QStringLiteral("revision")).toInt();
        edit.status = q.originalValue(QStringLiteral("status"));
        for (const QString &column : NoticeFields::columns()) {
            edit.read.setValue(column, q.originalValue(column));
            edit.edited.setValue(column, q.value(column));
        }
        try {
            saveNotice(m_dm.database(), m_user, edit);
        } catch (const NoticeNotStored &refusal) {
            if (refusal.why() != NoticeNotStored::Why::InUse)
                q.rebaseEdit();
            throw;
        }
        q.cancel();
        q.reopen();
    }

    // One of the clerk's own notices that may still be changed.
    std::optional<Candidate> ownEditableNotice()
    {
        const auto editable = [](const SelectionRights &rights) { return rights.modifyAndDelete; };
        if (openList(NoticeList::Rejected))
            if (auto c = pickNotice(editable))
                return c;
        if (!openList(inspection() ? NoticeList::NotReviewed : NoticeList::NotPrinted))
            return std::nullopt;
        return pickNotice(editable);
    }

    void changeNotice()
    {
        const auto chosen = ownEditableNotice();
        if (!chosen)
            return;
        m_dm.aq_notice->edit();
        const QString shipName = nextShipName();
        m_dm.aq_notice->setValue(QStringLiteral("shipname"), shipName);
        saveWithOneRetry(chosen->facts.id, shipName);
    }

    void deleteNotice()
    {
        const auto chosen = ownEditableNotice();
        if (!chosen)
            return;
        act(kDelete, [&](Record &r) {
            r.notice = chosen->facts.id;
            NamedQuery &q = *m_dm.aq_notice;
            const auto showList = [&q, row = chosen->row] {
                q.open(q.statement(), q.boundValues());
                if (!q.setCurrentRow(row) && !q.isEmpty())
                    q.setCurrentRow(q.rowCount() - 1);
            };
            try {
                ::deleteNotice(m_dm.database(), m_user, chosen->facts.id, q.value(QStringLiteral("revision")).toInt());
            } catch (const UserRefusal &) {
                showList();
                throw;
            }
            showList();
        });
    }

    void printNotice()
    {
        if (!openList(NoticeList::NotPrinted))
            return;
        const auto chosen = pickNotice([](const SelectionRights &rights) { return rights.print; });
        if (!chosen)
            return;
        act(kPrint, [&](Record &r) {
            r.notice = chosen->facts.id;
            r.state = QString::number(codes::StatePrinted);
            const std::optional<finance::NoticeReport> built = finance::buildNoticeReport(
                m_dm.database(), m_user, m_dm.aq_notice->currentRecord());
            if (!built)
                throw UserRefusal(QStringLiteral("not printable by this workstation"));
            fees::openNoticeLines(m_dm, fees::LineSelection::Print, m_user.department);
            if (!built->report.showReport())
                throw UserRefusal(finance::kPrinterFailed);
            finance::recordNoticePrinted(m_dm.database(), m_user, built->notice);
        });
    }

    // ---- reviewer ----

    void reviewerStep()
    {
        // The ship affairs section reviews from its list of notices not yet
        // printed, the ship inspection section from its list of notices not
        // yet reviewed.
        if (!openList(inspection() ? NoticeList::NotReviewed : NoticeList::NotPrinted))
            return;
        const bool reject = m_random.bounded(5) == 0;
        const auto chosen = pickNotice(
            [&](const SelectionRights &rights) { return reject ? rights.reject : rights.approve; });
        if (!chosen)
            return;
        act(reject ? kReject : kApprove, [&](Record &r) {
            r.notice = chosen->facts.id;
            NamedQuery &q = *m_dm.aq_notice;
            const int revision = q.value(QStringLiteral("revision")).toInt();
            try {
                if (reject) {
                    r.state = QString::number(codes::StateRejected);
                    rejectNotice(m_dm.database(), m_user, chosen->facts.id, revision, QStringLiteral("请核对收费项目"));
                } else {
                    r.state = QString::number(codes::StateApproved);
                    approveNotice(m_dm.database(), m_user, chosen->facts.id, revision, QString());
                }
            } catch (const NoticeNotStored &) {
                q.reopen();
                throw;
            }
            q.reopen();
        });
    }

    // ---- bill issuer ----

    QList<Candidate> billList(const Statement &statement)
    {
        QList<Candidate> rows;
        act(kList, [&](Record &) {
            QSqlQuery q = runStatement(m_dm.database(), statement);
            while (rows.size() < 20 && q.next()) {
                Candidate c;
                c.facts.id = q.value(QStringLiteral("ID")).toString();
                c.revision = q.value(QStringLiteral("revision")).toInt();
                c.billcode = q.value(QStringLiteral("billcode")).toString();
                rows << c;
            }
        });
        return rows;
    }

    void billIssuerStep()
    {
        if (m_random.bounded(5) == 0) {
            const QList<Candidate> bills = billList(finance::issuedBills(m_user, QString()));
            if (bills.isEmpty())
                return;
            const Candidate chosen = bills[m_random.bounded(int(bills.size()))];
            act(kVoidBill, [&](Record &r) {
                r.notice = chosen.facts.id;
                r.state = QString::number(codes::StateVoided);
                r.detail = chosen.billcode;
                finance::voidBill(m_dm.database(), m_user, chosen.facts.id, chosen.revision,
                                  QStringLiteral("负载测试"));
            });
            return;
        }
        const QList<Candidate> printed = billList(finance::unbilledNotices(m_user));
        if (printed.isEmpty())
            return;
        const Candidate chosen = printed[m_random.bounded(int(printed.size()))];
        int shown = 0;
        try {
            shown = finance::proposedBillNumber(m_dm.database());
        } catch (const DbError &) {
            return;
        }
        // When the number was taken meanwhile, the window fills in the
        // smallest usable one and the clerk issues again with it.
        for (int attempt = 0; attempt < 2; ++attempt) {
            int next = 0;
            const bool issued = act(kIssueBill, [&](Record &r) {
                r.notice = chosen.facts.id;
                r.state = QString::number(codes::StateBilled);
                finance::BillRequest request{chosen.facts.id, chosen.revision, shown, codes::PadBillCode7(shown)};
                try {
                    r.detail = finance::issueBill(m_dm.database(), m_user, request);
                } catch (const finance::BillNumberTaken &taken) {
                    next = taken.smallestUsable();
                    throw;
                }
            });
            if (issued || next == 0)
                return;
            shown = next;
        }
    }

    // ---- finance leader ----

    void financeStep()
    {
        if (m_statisticsDone || now() < m_times.statisticsAt) {
            QThread::msleep(100);
            return;
        }
        // A run refused because a bill changed under it is started again,
        // as the finance leader would.
        for (int attempt = 0; attempt < 3 && !m_statisticsDone; ++attempt)
            m_statisticsDone = act(kStatistics, [&](Record &r) {
                r.state = QString::number(codes::StateArchived);
                r.detail = QString::number(finance::runStatistics(m_dm.database(), m_user).counted);
            });
        m_statisticsDone = true;
    }

    Tdm m_dm;
    Workstation m_ws;
    UserRecord m_user;
    QString m_startFile;
    int m_thinkMs;
    DayTimes m_times;
    QRandomGenerator m_random;
    QTextStream m_out;
    nollard::TParser m_parser;
    int m_serial = 0;
    bool m_statisticsDone = false;
};

}  // namespace

QString DayTimes::toText() const
{
    return QStringLiteral("%1 %2 %3").arg(startAt).arg(endAt).arg(statisticsAt);
}

DayTimes DayTimes::fromText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(' '));
    DayTimes times;
    times.startAt = parts.value(0).toLongLong();
    times.endAt = parts.value(1).toLongLong();
    times.statisticsAt = parts.value(2).toLongLong();
    return times;
}

int runWorkstation(const DbSettings &settings, const Workstation &workstation, const QString &startFile, int thinkMs)
{
    try {
        Day day(settings, workstation, startFile, thinkMs);
        day.run();
    } catch (const DbError &error) {
        std::fprintf(stderr, "workstation %d: %s\n", workstation.index, qPrintable(error.message()));
        return 1;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "workstation %d: %s\n", workstation.index, error.what());
        return 1;
    }
    return 0;
}

}  // namespace workday
