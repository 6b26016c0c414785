#include "AppShell.h"
#include "ConfigTestSupport.h"
#include "Exception.h"
#include "LxConfiguration.h"
#include "LxFormPosition.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {
constexpr int Deadline = 5000;
const QRect Designed(30, 40, 300, 200);
const QByteArray Header = CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=1", ""});

QByteArray Section(const char* name, const QRect& bounds, int state) {
    return QByteArray("[") + name + "]\r\nLeft=" + QByteArray::number(bounds.x()) +
           "\r\nTop=" + QByteArray::number(bounds.y()) +
           "\r\nWidth=" + QByteArray::number(bounds.width()) +
           "\r\nHeight=" + QByteArray::number(bounds.height()) +
           "\r\nState=" + QByteArray::number(state) + "\r\n\r\n";
}

QRect Screens() {
    QRect all;
    for (const QScreen* screen : QGuiApplication::screens())
        all = all.united(screen->geometry());
    return all;
}

// True once everything posted so far (a minimise request, say) has been delivered.
bool LoopTurned() {
    bool turned = false;
    QMetaObject::invokeMethod(
        qApp, [&turned] { turned = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([&turned] { return turned; }, Deadline);
}

// A form with handlers of its own, which record what they see, and a component on it.
struct TTestForm : QWidget {
    TTestForm(TLXConfiguration& registry, const QString& section, int& destroyed) {
        setGeometry(Designed);
        TLxFormEvents& events = TLxFormEvents::Of(*this);
        events.OnShow = [this](QWidget&) { ShownWith << normalGeometry(); };
        events.OnCloseQuery = [this](QWidget&, bool& canClose) {
            ClosingFileHadPlace << ReadWhole(FileName).contains("Left=");
            canClose = AllowClose;
            if (RaiseOnClose)
                throw Exception("cannot close now");
        };
        events.OnDestroy = [&destroyed](QWidget&) { ++destroyed; };
        FileName = registry.FileName;
        Position = new TLxFormPosition(*this);
        Position->Registry = &registry;
        Position->Section = section;
        Position->Loaded();
    }
    QString FileName;
    TLxFormPosition* Position;
    QList<QRect> ShownWith;
    QList<bool> ClosingFileHadPlace;
    bool AllowClose = true;
    bool RaiseOnClose = false;
};

class FormPosition : public ::testing::Test {
protected:
    QTemporaryDir Home;
    QByteArray SavedConfigHome = qgetenv("XDG_CONFIG_HOME");
    std::unique_ptr<TLXConfiguration> Registry;
    int Destroyed = 0;

    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", Home.path().toUtf8());
        NewSession();
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", SavedConfigHome); }

    // A fresh registry, as the next run of the program has.
    void NewSession() {
        Registry = std::make_unique<TLXConfiguration>();
        Registry->SetAppName("Velloria");
    }
    void Store(const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(Registry->FileName).path());
        WriteWhole(Registry->FileName, bytes);
    }
    QByteArray Stored() const { return ReadWhole(Registry->FileName); }
    std::unique_ptr<TTestForm> NewForm(const QString& section = "Window") {
        return std::make_unique<TTestForm>(*Registry, section, Destroyed);
    }
};
} // namespace

TEST_F(FormPosition, RestoresOnFirstShowOnlyBoundsInsideTheScreens) {
    const QRect all = Screens();
    const QRect inside(120, 80, 400, 300);
    struct Case {
        const char* name;
        QByteArray stored;
        QRect normal;
        Qt::WindowStates state;
    } cases[] = {
        {"nothing stored", "", Designed, Qt::WindowNoState},
        {"bounds without State",
         CrLf({"[Window]", "Left=120", "Top=80", "Width=400", "Height=300"}), Designed,
         Qt::WindowNoState},
        {"State 0", Section("Window", inside, 0), inside, Qt::WindowNoState},
        {"State 2", Section("Window", QRect(100, 100, 640, 480), 2), QRect(100, 100, 640, 480),
         Qt::WindowMaximized},
        {"State 1, main form", Section("Window", inside, 1), inside, Qt::WindowMinimized},
        {"State 1, bounds outside", Section("Window", inside.translated(-121, 0), 1), Designed,
         Qt::WindowMinimized},
        {"unknown State 7", Section("Window", inside, 7), inside, Qt::WindowNoState},
        {"all the screens", Section("Window", all, 0), all, Qt::WindowNoState},
        {"1 px right", Section("Window", all.adjusted(1, 0, 1, 0), 0), Designed, {}},
        {"1 px below", Section("Window", all.adjusted(0, 1, 0, 1), 0), Designed, {}},
        {"1 px left", Section("Window", inside.translated(-121, 0), 0), Designed, {}},
        {"1 px above", Section("Window", inside.translated(0, -81), 0), Designed, {}},
        {"width 0", Section("Window", QRect(120, 80, 0, 300), 0), Designed, {}},
        {"negative height", Section("Window", QRect(120, 80, 400, -5), 0), Designed, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Store(Header + c.stored);
        NewSession();
        auto form = NewForm();
        form->show();
        ASSERT_TRUE(LoopTurned());
        // The form's own show handler ran once, after the place was restored (the platform may
        // move the window afterwards, as a window manager would).
        EXPECT_EQ(form->ShownWith, QList<QRect>{c.normal});
        EXPECT_EQ(form->windowState() & ~Qt::WindowActive, c.state);
        if (c.state != Qt::WindowNoState) {
            form->showNormal();
            EXPECT_TRUE(QTest::qWaitFor([&] { return form->geometry() == c.normal; }, Deadline));
        }
    }
}

TEST_F(FormPosition, OtherFormsTakeTheMinimisedStateThemselves) {
    TApplication shell;
    QWidget mainForm;
    shell.MainForm = &mainForm;
    Store(Header + Section("Window", QRect(120, 80, 400, 300), 1));
    auto form = NewForm();
    form->show();
    EXPECT_TRUE(form->isMinimized());
    EXPECT_EQ(form->normalGeometry(), QRect(120, 80, 400, 300));
}

// Asked before the form is shown, the place is taken as a whole (bounds, then the state, normal
// when none is stored) and kept for the show, which does not read again.
TEST_F(FormPosition, AHiddenFormTakesTheBoundsThenTheState) {
    const QRect bounds(120, 80, 400, 300);
    const QByteArray noState = CrLf({"[Window]", "Left=120", "Top=80", "Width=400", "Height=300"});
    for (const QByteArray& stored : {Section("Window", bounds, 2), noState}) {
        Store(Header + stored);
        NewSession();
        auto form = NewForm();
        form->Position->Loaded(); // a second time: changes nothing
        form->Position->LoadPosition();
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(form->isMaximized(), stored != noState);
        EXPECT_EQ(form->normalGeometry(), bounds);
        form->setWindowState(Qt::WindowNoState);
        form->show();
        EXPECT_FALSE(form->isMaximized());
        EXPECT_EQ(form->ShownWith.size(), 1);
    }
}

// A first session: the header at loading, the place when the form closes, keys in their order.
TEST_F(FormPosition, ClosingWritesTheNormalBoundsAndTheState) {
    const QRect bounds(50, 60, 320, 240);
    struct Case {
        const char* name;
        Qt::WindowStates state;
        int stored;
    } cases[] = {
        {"normal", Qt::WindowNoState, 0},
        {"maximised", Qt::WindowMaximized, 2},
        {"minimised", Qt::WindowMinimized, 1},
        {"minimised from maximised", Qt::WindowMinimized | Qt::WindowMaximized, 1},
        {"full screen", Qt::WindowFullScreen, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(Registry->FileName);
        NewSession();
        Registry->Load();
        auto form = NewForm();
        form->show();
        form->setGeometry(bounds);
        form->setWindowState(c.state);
        EXPECT_TRUE(form->close());
        EXPECT_EQ(Stored(), Header + Section("Window", bounds, c.stored));
    }
}

TEST_F(FormPosition, RefusedCloseSavesNothingAndTheFirstAcceptedCloseSavesOnce) {
    Registry->Load();
    auto form = NewForm();
    form->show();
    form->AllowClose = false;
    EXPECT_FALSE(form->close());
    form->AllowClose = true;
    form->RaiseOnClose = true; // reported, and refuses
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Stored(), Header);
    form->RaiseOnClose = false;
    form->setGeometry(50, 60, 320, 240);
    EXPECT_TRUE(form->close());
    const QByteArray saved = Header + Section("Window", QRect(50, 60, 320, 240), 0);
    EXPECT_EQ(Stored(), saved);
    // The form's own handler asked first, each time, before anything was written.
    EXPECT_EQ(form->ClosingFileHadPlace, (QList<bool>{false, false, false}));
    form->show();
    form->setGeometry(10, 10, 100, 100);
    EXPECT_TRUE(form->close());
    form.reset();
    EXPECT_EQ(Stored(), saved);
    EXPECT_EQ(Destroyed, 1);
}

// A form that goes without closing saves as it goes; one with no handlers of its own that was
// never shown saves its designed bounds.
TEST_F(FormPosition, AFormThatGoesWithoutClosingSavesAsItGoes) {
    Registry->Load();
    auto form = NewForm();
    form->show();
    form->setGeometry(50, 60, 320, 240);
    form.reset();
    EXPECT_EQ(Stored(), Header + Section("Window", QRect(50, 60, 320, 240), 0));
    EXPECT_EQ(Destroyed, 1);
    {
        QWidget bare;
        auto* position = new TLxFormPosition(bare);
        position->Registry = Registry.get();
        position->Section = "Viewer";
        position->Loaded();
    }
    EXPECT_EQ(Stored(), Header + Section("Window", QRect(50, 60, 320, 240), 0) +
                            Section("Viewer", QRect(0, 0, 640, 480), 0));
}

TEST_F(FormPosition, DisabledOrUnhookedNeitherReadsNorWrites) {
    const QByteArray stored = Header + Section("Window", QRect(120, 80, 400, 300), 2);
    for (const bool unhook : {false, true}) {
        SCOPED_TRACE(unhook ? "component deleted" : "Enabled false");
        Store(stored);
        NewSession();
        Destroyed = 0;
        auto form = NewForm();
        if (unhook)
            delete form->Position;
        else
            form->Position->Enabled = false;
        form->show();
        EXPECT_EQ(form->geometry(), Designed);
        EXPECT_FALSE(form->isMaximized());
        EXPECT_EQ(form->ShownWith.size(), 1);
        form->setGeometry(50, 60, 320, 240);
        if (!unhook) {
            form->Position->LoadPosition();
            form->Position->SavePosition();
            EXPECT_EQ(form->geometry(), QRect(50, 60, 320, 240));
        }
        EXPECT_TRUE(form->close());
        EXPECT_EQ(form->ClosingFileHadPlace.size(), 1);
        form.reset();
        EXPECT_EQ(Stored(), stored);
        EXPECT_EQ(Destroyed, 1);
    }
}

TEST_F(FormPosition, EmptySectionMeansTheSettingsSection) {
    Store(Header + Section("Velloria", QRect(120, 80, 400, 300), 0));
    auto form = NewForm("");
    form->show();
    EXPECT_EQ(form->geometry(), QRect(120, 80, 400, 300));
    form->setGeometry(50, 60, 320, 240);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(Stored(), Header + Section("Velloria", QRect(50, 60, 320, 240), 0));
}

TEST_F(FormPosition, ConfigurationErrorsLeaveTheFormWorking) {
    const QByteArray refused = CrLf({"[LXS:CONFIG:HEADER]", "SchemaVersion=2", "[Window]",
                                     "Left=120", "Top=80", "Width=400", "Height=300", "State=0"});
    Store(refused);
    auto form = NewForm();
    form->show();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->ShownWith, QList<QRect>{Designed});
    EXPECT_TRUE(form->close());
    EXPECT_EQ(form->ClosingFileHadPlace.size(), 1);
    EXPECT_EQ(Stored(), refused);
}
