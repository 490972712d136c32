// The real window on a real company database while a run of a few thousand lines
// goes on: it handles its events (a timer of its thread fires, a repaint comes at
// once), its controls take no input, Esc or closing it asks whether to stop and a
// stop leaves whole quotations only, the line of figures moves, and a refusal is
// named under its box and listed in the closing box.
#include "app/close_on_signals.h"
#include "app/importarcot.h"
#include "console/batch_fixture.h"
#include "database/connection.h"
#include "database/dm.h"
#include "database/statement.h"
#include "database/transaction.h"
#include "platform/exclusive_file.h"
#include "platform/regional_settings.h"
#include "support/company_db.h"
#include "support/recording_dialogs.h"
#include "support/test_registry.h"
#include "support/test_support.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>
#include <xcb/xcb.h>

namespace {

using app::FormField;
using testing_support::RecordingDialogs;
using Kind = RecordingDialogs::Kind;

// A run of a few thousand lines; the commit of each quotation is what takes the
// time, so the quotations are long ones.
constexpr int kQuotations = 100;
constexpr int kLinesEach = 20;
constexpr int kLines = kQuotations * kLinesEach;

// Records the boxes, and what the status panel shows when the closing box opens.
class WatchingDialogs : public RecordingDialogs {
public:
    void plainMessage(const std::string& text) override
    {
        if (window != nullptr) {
            statusAtBox = window->findChild<QLabel*>(QStringLiteral("Panel5"))->text().toStdString();
            figuresAtBox = window->findChild<QLabel*>(QStringLiteral("RunFigures"))->text().toStdString();
        }
        RecordingDialogs::plainMessage(text);
    }
    QWidget* window = nullptr;
    std::string statusAtBox;
    std::string figuresAtBox;
};

class WindowRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::setRegionalSettings({'.', "dd/MM/yyyy", '/'});
        database_ = testing_support::createCompanyDatabase(dir_.path(), "01", true);
        window_ = new app::Tfimportarcot(dialogs_, fdm_);
        dialogs_.window = window_;
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
        window_->setText(FormField::Servidor, dir_.path().string());
        window_->setText(FormField::Tusua, "SYSDBA");
        window_->setText(FormField::TClave, "masterkey");
        window_->setText(FormField::Cia, "01");
        window_->CiaExit();
        ASSERT_TRUE(dialogs_.shown.empty()) << dialogs_.shown.front().text;
        window_->findChild<QComboBox*>(QStringLiteral("Separ"))->setCurrentIndex(1);
    }

    void TearDown() override { delete window_.data(); }

    // The quotations CT 1 to CT count, kLinesEach lines each, as the data file.
    std::string writeQuotations(int count)
    {
        const char* const codes[] = {"CAF-500", "AZU-1K", "ACE-1L"};
        std::string bytes;
        for (int n = 1; n <= count; ++n) {
            bytes += console::quotationLine("CT", std::to_string(n), codes[0]);
            for (int k = 1; k < kLinesEach; ++k)
                bytes += console::articleLine(codes[k % 3]);
        }
        return useData(bytes);
    }
    std::string useData(const std::string& bytes)
    {
        const std::string path = dir_.write("cotizaciones.csv", bytes).string();
        window_->setText(FormField::Ubicacion, path);
        return path;
    }

    // Calls tick every few milliseconds while the window's run goes on, from the
    // window's own thread.
    void whileRunning(std::function<void()> tick)
    {
        auto* timer = new QTimer(window_);
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [this, tick = std::move(tick)] {
            if (window_ && window_->running())
                tick();
        });
        timer->start();
    }

    void pressF2() { QTest::keyClick(window_->findChild<QWidget*>(QStringLiteral("Servidor")), Qt::Key_F2); }

    std::string figures() const
    {
        return window_->findChild<QLabel*>(QStringLiteral("RunFigures"))->text().toStdString();
    }
    // The quotations stored so far, as the figures say.
    int storedShown() const
    {
        const auto match =
            QRegularExpression(QStringLiteral("grabadas (\\d+)")).match(QString::fromStdString(figures()));
        return match.hasMatch() ? match.captured(1).toInt() : 0;
    }

    // Another user inserts quotation CT 1 and keeps the transaction open: the run
    // waits on that row when it writes its first quotation, until release().
    void holdFirstQuotation()
    {
        other_.open(database_.string(), "SYSDBA", "masterkey", "");
        held_ = std::make_unique<database::Transaction>(other_);
        database::Statement(other_,
                            "insert into COTIZACIONES (COTI_ID, TERC_NIT, VEND_COD, TIDO_COD, PREF_PRE, "
                            "COTI_NUMERO, COTI_FECHA) values (999999, 'x', 7, 35, 'CT', '1', current_date)")
            .execute(*held_);
    }
    void release()
    {
        if (held_ && held_->isActive())
            held_->rollback();
    }

    bool freed()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window_.isNull();
    }

    // Each stored quotation's number and its count of lines, in number order.
    std::vector<std::pair<int, int>> storedQuotations()
    {
        database::Statement statement(
            fdm_.Merkalo(),
            "select cast(h.COTI_NUMERO as integer), cast(count(l.COTI_ID) as integer) from COTIZACIONES h "
            "left join COTIZACIONES_DETALLE l on l.COTI_ID = h.COTI_ID group by 1 order by 1");
        std::vector<std::pair<int, int>> stored;
        for (const auto& row : statement.fetchAll())
            stored.emplace_back(std::get<std::int32_t>(row[0]), std::get<std::int32_t>(row[1]));
        return stored;
    }
    // Quotations 1 to count, each whole.
    static std::vector<std::pair<int, int>> whole(int count)
    {
        std::vector<std::pair<int, int>> expected;
        for (int n = 1; n <= count; ++n)
            expected.emplace_back(n, kLinesEach);
        return expected;
    }

    testing_support::TempDir dir_;
    testing_support::SuiteInstallation suite_{dir_};
    std::filesystem::path database_;
    database::Connection other_;
    std::unique_ptr<database::Transaction> held_;
    WatchingDialogs dialogs_;
    database::Tfdm fdm_;
    QPointer<app::Tfimportarcot> window_;
};

// Sees the window's paints.
class PaintSpy : public QObject {
public:
    explicit PaintSpy(QWidget* target) { target->installEventFilter(this); }
    std::function<void()> onPaint;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && onPaint)
            onPaint();
        return false;
    }
};

// The run's thread waits in the database (another user holds a row it writes) while
// the window goes on handling its events.
TEST_F(WindowRun, HandlesItsEventsWhileTheRunGoesOn)
{
    writeQuotations(kQuotations);
    holdFirstQuotation();
    QElapsedTimer sinceStart;
    int ticks = 0;
    QElapsedTimer sinceUpdate;
    std::optional<qint64> paintedAfterMs;
    bool waitShown = false;
    PaintSpy spy(window_);
    spy.onPaint = [&] {
        if (sinceUpdate.isValid() && !paintedAfterMs && window_->running())
            paintedAfterMs = sinceUpdate.elapsed();
    };
    whileRunning([&] {
        ++ticks;
        // As when another window moved away from it: its area is to be painted again.
        if (!sinceUpdate.isValid()) {
            sinceStart.start();
            sinceUpdate.start();
            window_->update();
        }
        // The figures say that the run waits for another user once it has waited a second.
        if (figures().find("esperando a otro usuario: ") != std::string::npos)
            waitShown = true;
        if ((paintedAfterMs && ticks >= 20 && waitShown) || sinceStart.elapsed() > 5000)
            release();
    });
    pressF2();
    EXPECT_GE(ticks, 20);
    EXPECT_TRUE(waitShown) << "the figures never said the run waits";
    ASSERT_TRUE(paintedAfterMs.has_value()) << "no paint while the run went on";
    EXPECT_LT(*paintedAfterMs, 1000);
    EXPECT_EQ(dialogs_.shown,
              (std::vector<RecordingDialogs::Shown>{{Kind::Plain, "Importación finalizada."}}));
    EXPECT_TRUE(freed());
    EXPECT_EQ(storedQuotations(), whole(kQuotations));
}

TEST_F(WindowRun, ItsControlsTakeNoInputDuringTheRun)
{
    writeQuotations(kQuotations);
    auto* cia = window_->findChild<QLineEdit*>(QStringLiteral("Cia"));
    auto* grid = window_->findChild<QTableView*>(QStringLiteral("DBGridEh1"));
    const QModelIndex importar = grid->model()->index(0, 3);
    bool tried = false;
    whileRunning([&] {
        if (tried || figures().empty())
            return;
        tried = true;
        QTest::keyClicks(cia, QStringLiteral("9"));
        QTest::keyClick(cia, Qt::Key_F2);
        QStyleOptionViewItem option;
        option.initFrom(grid->viewport());
        option.rect = grid->visualRect(importar);
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        const QRect box = grid->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, grid);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, box.center());
        QTest::mouseClick(window_->findChild<QWidget*>(QStringLiteral("SpeedButton3")), Qt::LeftButton);
        EXPECT_EQ(cia->text().toStdString(), "01");
        EXPECT_EQ(importar.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    });
    pressF2();
    EXPECT_TRUE(tried);
    // One run, read to its end: no second one started inside it.
    EXPECT_EQ(dialogs_.shown,
              (std::vector<RecordingDialogs::Shown>{{Kind::Plain, "Importación finalizada."}}));
    EXPECT_EQ(storedQuotations(), whole(kQuotations));
}

enum class StopWay { Esc, TitleBar, CancelButton, Terminated };

struct StopCase {
    const char* name;
    StopWay way;
    bool answer;  // to the question, when there is one
    bool stopped; // the run stopped before the end of the file
    friend void PrintTo(const StopCase& c, std::ostream* out) { *out << c.name; }
};

class StopDuringARun : public WindowRun, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StopDuringARun, LeavesWholeQuotationsOnly)
{
    const StopCase& c = GetParam();
    const std::string path = writeQuotations(kQuotations);
    dialogs_.questionAnswer = c.answer;
    if (c.way == StopWay::Terminated)
        new app::CloseOnSignals(window_);
    bool asked = false;
    int storedWhenAsked = 0;
    whileRunning([&] {
        if (asked || storedShown() == 0)
            return;
        asked = true;
        storedWhenAsked = storedShown();
        switch (c.way) {
        case StopWay::Esc:
            QTest::keyClick(window_->findChild<QWidget*>(QStringLiteral("Servidor")), Qt::Key_Escape);
            break;
        case StopWay::TitleBar:
            window_->close();
            break;
        case StopWay::CancelButton:
            QTest::mouseClick(window_->findChild<QWidget*>(QStringLiteral("SpeedButton2")), Qt::LeftButton);
            break;
        case StopWay::Terminated:
            std::raise(SIGTERM);
            break;
        }
    });
    pressF2();
    ASSERT_TRUE(asked);

    std::vector<RecordingDialogs::Shown> boxes;
    if (c.way != StopWay::Terminated)
        boxes.push_back({Kind::Question, app::kStopQuestion});
    if (!c.stopped)
        boxes.push_back({Kind::Plain, "Importación finalizada."});
    EXPECT_EQ(dialogs_.shown, boxes);
    if (c.way == StopWay::Terminated) {
        // Asked to end, the program closes once the run has stopped.
        EXPECT_TRUE(QTest::qWaitFor([this] { return freed(); }));
    } else if (c.stopped) {
        // Stopped as a run that an error stops: the window stays, the fields under
        // the status panel can be seen again, and the data file is closed.
        ASSERT_FALSE(freed());
        EXPECT_FALSE(window_->findChild<QWidget*>(QStringLiteral("Panel5"))->isVisible());
        EXPECT_TRUE(window_->findChild<QWidget*>(QStringLiteral("Edit1"))->isVisible());
        EXPECT_NE(platform::ExclusiveFile::open(path), nullptr);
        QTest::keyClick(window_->findChild<QWidget*>(QStringLiteral("Servidor")), Qt::Key_Escape);
        EXPECT_TRUE(freed());
        EXPECT_EQ(dialogs_.shown, boxes);
    } else {
        EXPECT_TRUE(freed());
    }
    const auto stored = storedQuotations();
    if (c.stopped) {
        EXPECT_GE(static_cast<int>(stored.size()), storedWhenAsked);
        EXPECT_LT(static_cast<int>(stored.size()), kQuotations);
        EXPECT_EQ(stored, whole(static_cast<int>(stored.size())));
    } else {
        EXPECT_EQ(stored, whole(kQuotations));
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, StopDuringARun,
                         ::testing::Values(StopCase{"EscYes", StopWay::Esc, true, true},
                                           StopCase{"EscNo", StopWay::Esc, false, false},
                                           StopCase{"TitleBarYes", StopWay::TitleBar, true, true},
                                           StopCase{"CancelButtonYes", StopWay::CancelButton, true, true},
                                           StopCase{"Terminated", StopWay::Terminated, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowRun, TheLineOfFiguresMoves)
{
    writeQuotations(kQuotations);
    const QRegularExpression pattern(
        QStringLiteral("^Línea (\\d+) de %1 · grabadas (\\d+) · rechazadas 0$").arg(kLines));
    // The first quotation is held by another user until the figures have been drawn
    // once, so that they are seen before the run's end however fast the machine is.
    holdFirstQuotation();
    std::vector<std::string> seen;
    whileRunning([&] {
        const std::string now = figures();
        if (!now.empty() && (seen.empty() || seen.back() != now))
            seen.push_back(now);
        if (!seen.empty())
            release();
    });
    pressF2();
    ASSERT_FALSE(seen.empty());
    seen.push_back(dialogs_.figuresAtBox);
    EXPECT_NE(seen.front(), seen.back()) << "the figures moved from the held quotation to the end";
    int line = 0;
    for (const std::string& text : seen) {
        const auto match = pattern.match(QString::fromStdString(text));
        ASSERT_TRUE(match.hasMatch()) << text;
        EXPECT_GE(match.captured(1).toInt(), line) << text;
        line = match.captured(1).toInt();
    }
    // The status keeps its text, the figures under it are the run's last ones.
    EXPECT_EQ(dialogs_.statusAtBox, "Importando cotizaciones. Espere un momento...");
    EXPECT_EQ(dialogs_.figuresAtBox, "Línea " + std::to_string(kLines) + " de " + std::to_string(kLines) +
                                         " · grabadas " + std::to_string(kQuotations) + " · rechazadas 0");
}

// A, B, and A again, which the database refuses: its box names its line and
// quotation, and the closing box lists it as the batch mode words it.
TEST_F(WindowRun, ARefusalIsNamedUnderItsBoxAndListedInTheClosingBox)
{
    useData(console::quotationLine("A", "1", "CAF-500") + console::articleLine("AZU-1K") +
            console::quotationLine("B", "1", "ACE-1L") + console::quotationLine("A", "1", "ACE-1L") +
            console::articleLine("ARR-500"));
    pressF2();
    ASSERT_EQ(dialogs_.shown.size(), 3u) << ::testing::PrintToString(dialogs_.shown);
    EXPECT_EQ(dialogs_.shown[0].kind, Kind::Beep);
    EXPECT_EQ(dialogs_.shown[1].kind, Kind::Error);
    EXPECT_EQ(dialogs_.shown[2], (RecordingDialogs::Shown{Kind::Plain, "Importación finalizada."}));
    const std::string refusal = dialogs_.shown[1].text;
    EXPECT_EQ(dialogs_.places, std::vector<std::string>{"Línea 4, cotización A 1"});
    EXPECT_EQ(dialogs_.details, std::vector<std::string>{"línea 4, cotización A 1: " + refusal +
                                                         "\n\nCotizaciones grabadas: 2, rechazadas: 1, "
                                                         "líneas grabadas: 3, última grabada: B1"});
    EXPECT_EQ(dialogs_.figuresAtBox, "Línea 5 de 5 · grabadas 2 · rechazadas 1");
}

// On a real X server (Xvfb, QT_QPA_PLATFORM=xcb; ctest runs it as WindowRunOnX11),
// this test plays the window manager and another program's window: it asks the
// window whether it is alive, as a window manager does before it calls a window
// "not responding", and moves a window over a part of it and away again.
class X11Client {
public:
    X11Client() : connection_(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(connection_) == 0)
            root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    }
    ~X11Client() { xcb_disconnect(connection_); }
    X11Client(const X11Client&) = delete;
    X11Client& operator=(const X11Client&) = delete;

    bool connected() const { return root_ != 0; }

    xcb_atom_t atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t found = reply != nullptr ? reply->atom : 0;
        std::free(reply);
        return found;
    }

    // The window manager's "are you alive": the answer comes back to the root window.
    void ping(xcb_window_t window)
    {
        // The answer is sent for those who listen to the root's own structure.
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = atom("WM_PROTOCOLS");
        message.data.data32[0] = atom("_NET_WM_PING");
        message.data.data32[1] = XCB_CURRENT_TIME;
        message.data.data32[2] = window;
        xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(connection_);
    }
    bool pingAnswered(xcb_window_t window)
    {
        const xcb_atom_t pingAtom = atom("_NET_WM_PING");
        bool answered = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
                answered =
                    answered || (message->data.data32[0] == pingAtom && message->data.data32[2] == window);
            }
            std::free(event);
        }
        return answered;
    }

    // Another program's window over the rectangle, in a colour of its own.
    void cover(const QRect& area)
    {
        cover_ = xcb_generate_id(connection_);
        const uint32_t values[] = {0xff00ff, 1}; // magenta, no window manager in between
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, cover_, root_, static_cast<int16_t>(area.x()),
                          static_cast<int16_t>(area.y()), static_cast<uint16_t>(area.width()),
                          static_cast<uint16_t>(area.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(connection_, cover_);
        xcb_flush(connection_);
    }
    void uncover()
    {
        xcb_destroy_window(connection_, cover_);
        xcb_flush(connection_);
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    xcb_window_t cover_ = 0;
};

class WindowRunOnX11 : public WindowRun {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs an X server (ctest runs it under Xvfb)";
        WindowRun::SetUp();
    }
};

TEST_F(WindowRunOnX11, AnswersTheWindowManagerAndRepaintsWhatIsUncovered)
{
    X11Client x11;
    ASSERT_TRUE(x11.connected());
    writeQuotations(kQuotations);
    // The run waits in the database while the test plays its part.
    holdFirstQuotation();
    QElapsedTimer sinceStart;
    sinceStart.start();
    const auto window = static_cast<xcb_window_t>(window_->winId());
    // A band of the window that the run does not change: its picture on the screen
    // is the band's own once the window has painted it again.
    QWidget* band = window_->findChild<QWidget*>(QStringLiteral("Panel2"));
    const QRect area(band->mapToGlobal(QPoint(0, 0)), band->size());
    const auto onScreen = [&] {
        return window_->screen()
            ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    const auto drawn = [&] { return band->grab().toImage().convertToFormat(QImage::Format_RGB32); };

    enum class Step { Ping, AwaitPong, Cover, Uncover, AwaitRepaint, Done } step = Step::Ping;
    QElapsedTimer clock;
    std::optional<qint64> pongAfterMs, repaintedAfterMs;
    bool wasCovered = false;
    whileRunning([&] {
        switch (step) {
        case Step::Ping:
            x11.ping(window);
            clock.start();
            step = Step::AwaitPong;
            break;
        case Step::AwaitPong:
            if (x11.pingAnswered(window)) {
                pongAfterMs = clock.elapsed();
                step = Step::Cover;
            }
            break;
        case Step::Cover:
            x11.cover(area);
            clock.start();
            step = Step::Uncover;
            break;
        case Step::Uncover:
            if (clock.elapsed() < 100)
                break;
            wasCovered = onScreen() != drawn();
            x11.uncover();
            clock.start();
            step = Step::AwaitRepaint;
            break;
        case Step::AwaitRepaint:
            if (onScreen() == drawn()) {
                repaintedAfterMs = clock.elapsed();
                step = Step::Done;
            }
            break;
        case Step::Done:
            release();
            break;
        }
        if (sinceStart.elapsed() > 10000)
            release();
    });
    pressF2();
    ASSERT_TRUE(pongAfterMs.has_value()) << "the ping went unanswered while the run went on";
    EXPECT_LT(*pongAfterMs, 1000);
    EXPECT_TRUE(wasCovered);
    ASSERT_TRUE(repaintedAfterMs.has_value())
        << "the uncovered band was not painted again while the run went on";
    EXPECT_LT(*repaintedAfterMs, 1000);
    EXPECT_EQ(storedQuotations(), whole(kQuotations));
}

} // namespace
