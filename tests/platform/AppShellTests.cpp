#include "../TestReports.h"
#include "AppShell.h"
#include "Exception.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace {
constexpr int Deadline = TReportReader::Deadline;

// True once a queued action has run after everything posted before it: the loop went on.
bool LoopGoesOn() {
    bool ran = false;
    QMetaObject::invokeMethod(
        qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([&ran] { return ran; }, Deadline);
}

// A widget whose painting fails once armed.
class TFailingPainter : public QWidget {
public:
    bool Armed = false;
    bool Painted = false;

protected:
    void paintEvent(QPaintEvent*) override {
        if (!Armed)
            return;
        Armed = false;
        Painted = true;
        throw EConvertError("Canvas does not allow drawing");
    }
};

struct EscapeCase {
    const char* Name;
    // Makes something that Qt calls raise, without any catch of ours around it.
    std::function<void(QObject& context)> Raise;
    const char* Message;
};

void PrintTo(const EscapeCase& escape, std::ostream* out) {
    *out << escape.Name;
}

class ExceptionBoundary : public ::testing::TestWithParam<EscapeCase> {};
} // namespace

TEST_P(ExceptionBoundary, ReachesTheStandardReportAndTheLoopGoesOn) {
    TApplication shell;
    shell.Title = "Velloria";
    TReportReader reader;
    QObject context;
    GetParam().Raise(context);
    ASSERT_TRUE(reader.WaitForReport());
    EXPECT_EQ(reader.Texts, QStringList{GetParam().Message});
    EXPECT_EQ(reader.Titles, QStringList{"Velloria"});
    EXPECT_TRUE(LoopGoesOn());
}

INSTANTIATE_TEST_SUITE_P(
    AppShell, ExceptionBoundary,
    ::testing::Values(
        EscapeCase{"Timer",
                   [](QObject& context) {
                       auto* timer = new QTimer(&context);
                       timer->setSingleShot(true);
                       QObject::connect(timer, &QTimer::timeout,
                                        [] { throw EReadError("Stream read error"); });
                       timer->start(0);
                   },
                   "Stream read error"},
        EscapeCase{"QueuedSlot",
                   [](QObject& context) {
                       QMetaObject::invokeMethod(
                           &context, [] { throw EConvertError("Invalid class typecast"); },
                           Qt::QueuedConnection);
                   },
                   "Invalid class typecast"},
        EscapeCase{"IdleHandler",
                   [](QObject& context) {
                       auto failed = std::make_shared<bool>(false);
                       QObject::connect(Application, &TApplication::Idle, &context, [failed] {
                           if (!std::exchange(*failed, true))
                               throw EReadError("Idle update failed");
                       });
                   },
                   "Idle update failed"},
        EscapeCase{"NonStandardException",
                   [](QObject& context) {
                       QMetaObject::invokeMethod(
                           &context, [] { throw 42; }, Qt::QueuedConnection);
                   },
                   "An exception of unknown type was raised"},
        EscapeCase{"GuardedNonStandardException",
                   [](QObject& context) {
                       QMetaObject::invokeMethod(
                           &context, [] { Guarded([] { throw "text"; }); }, Qt::QueuedConnection);
                   },
                   "An exception of unknown type was raised"}),
    [](const auto& info) { return std::string(info.param.Name); });

// The report of a failed paint waits until the paint has returned: a modal box inside
// paintEvent would run a nested loop in the middle of painting.
TEST(AppShell, PaintErrorIsReportedAfterThePaintReturns) {
    TApplication shell;
    shell.Title = "Velloria";
    TFailingPainter widget;
    widget.resize(40, 40);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    TReportReader reader;
    widget.Armed = true;
    widget.repaint();
    ASSERT_TRUE(widget.Painted);
    EXPECT_TRUE(reader.Texts.isEmpty()) << "the report was shown inside the paint";
    ASSERT_TRUE(reader.WaitForReport());
    EXPECT_EQ(reader.Texts, QStringList{"Canvas does not allow drawing"});
    EXPECT_TRUE(LoopGoesOn());
}

TEST(AppShell, WithoutAnApplicationErrorsGoToStandardError) {
    ASSERT_EQ(Application, nullptr);
    ::testing::internal::CaptureStderr();
    Guarded([] { throw EReadError("Stream read error"); });
    Guarded([] { throw 42; });
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, "Stream read error\nAn exception of unknown type was raised\n");
}

TEST(AppShell, IdleIsSignalledWhenTheQueueEmpties) {
    TApplication shell;
    QSignalSpy idle(&shell, &TApplication::Idle);
    EXPECT_TRUE(idle.wait(Deadline));
}

// A termination signal closes the main form, also when it arrived before the shell and its
// loop existed: start-up noticed it as soon as the loop ran.
class TerminationSignal : public ::testing::TestWithParam<int> {};

TEST_P(TerminationSignal, ClosesTheMainForm) {
    CatchTerminationSignals();
    QWidget form;
    form.show();
    std::raise(GetParam());
    EXPECT_TRUE(form.isVisible());
    TApplication shell;
    shell.MainForm = &form;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, Deadline));
    EXPECT_TRUE(TerminationRequested());

    form.show();
    QMetaObject::invokeMethod(
        qApp, [] { std::raise(SIGTERM); }, Qt::QueuedConnection);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, Deadline));
}

INSTANTIATE_TEST_SUITE_P(AppShell, TerminationSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

TEST(AppShell, LastChanceTextNamesClassModuleAndMessage) {
    const EReadError error("Stream read error");
    const QString text = LastChanceText(error);
    EXPECT_TRUE(text.startsWith("Exception EReadError in module platform_tests at "))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(".\nStream read error")) << text.toStdString();
}
