// Start-up as main() runs it: the data module, then the main window, whose creation runs the
// sign-in dialog modally against the demo database of a temporary installation.
#include "app/application.h"
#include "context/programcontext.h"
#include "data/connection.h"
#include "datamodule/tdm_mb.h"
#include "platform/hostresolver.h"
#include "schedule/tform1.h"
#include "signin/bootstrapfile.h"
#include "signin/widgets/signinedit.h"
#include "signin/widgets/tform8.h"
#include "support/tempinstallation.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class FixedResolver : public platform::HostResolver {
public:
    std::string hostName() const override { return "ws-17"; }
    std::vector<platform::IPv4Address> resolveIPv4(const std::string&) const override {
        return {{10, 1, 2, 3}};
    }
};

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_install.addDatabase("startup.db");
        m_install.writeBootstrapFile("zor_boot", "boot", "startup.db");
        m_dataModule = std::make_unique<TDM_MB>();
        DM_MB = m_dataModule.get();
        m_dataModule->ADOCon->setDatabaseFolder(m_install.dataFolder());
        m_context = std::make_unique<ProgramContext>(
            ProgramContext{m_install.installation(), *Application::instance(), *m_dataModule, m_resolver});
    }
    void TearDown() override {
        m_dataModule.reset();
        DM_MB = nullptr;
    }

    // While the dialog runs: what start-up looks like from inside, then the user's action.
    void whenTheDialogRuns(const std::function<void(TForm8&)>& action) {
        QTimer::singleShot(0, [this, action] {
            ASSERT_NE(Form8, nullptr);
            m_form1DuringSignIn = Form1;
            m_visibleDuringSignIn.clear();
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (widget->isVisible())
                    m_visibleDuringSignIn << widget->objectName();
            action(*Form8);
        });
    }

    testsupport::TempInstallation m_install;
    FixedResolver m_resolver;
    std::unique_ptr<TDM_MB> m_dataModule;
    std::unique_ptr<ProgramContext> m_context;
    TForm1* m_form1DuringSignIn = nullptr;
    QStringList m_visibleDuringSignIn;
};

} // namespace

// Runs first: a cancelled sign-in leaves a termination request behind for the rest of the process.
TEST_F(StartUpTest, SignedInTheMainWindowShowsWhenTheLoopStarts) {
    whenTheDialogRuns([](TForm8& dialog) {
        dialog.Login_Edit->setText("demo");
        dialog.Password_Edit->setText("demo");
        QTest::mouseClick(dialog.SpeedButton2, Qt::LeftButton);
    });
    auto mainWindow = std::make_unique<TForm1>(*m_context);
    EXPECT_EQ(m_form1DuringSignIn, mainWindow.get()) << "Form1 refers to the window under construction";
    EXPECT_EQ(m_visibleDuringSignIn, QStringList({"Form8"}));
    EXPECT_EQ(Form8, nullptr);
    EXPECT_FALSE(mainWindow->isVisible());
    EXPECT_TRUE(DM_MB->ADOCon->isOpen());
    EXPECT_TRUE(DM_MB->ADOQ_A_Year->isActive());

    bool shownWhenLoopRan = false;
    QRect shownFrame;
    QTimer::singleShot(0, [&] {
        shownWhenLoopRan = mainWindow->isVisible();
        shownFrame = mainWindow->frameGeometry();
        mainWindow->close();
    });
    EXPECT_EQ(Application::instance()->run(mainWindow.get()), 0);
    EXPECT_TRUE(shownWhenLoopRan);
    // Centred on the whole test desktop (1280 x 1024 and 1920 x 1080 side by side: 3200 x 1080) by its
    // outer size, the client area of 870 x 367 in the offscreen platform's 2-pixel frame.
    EXPECT_EQ(shownFrame, QRect(1163, 354, 874, 371));
}

TEST_F(StartUpTest, CancelledSignInEndsTheProgramWithoutTheMainWindow) {
    whenTheDialogRuns([](TForm8& dialog) { QTest::mouseClick(dialog.SpeedButton1, Qt::LeftButton); });
    auto mainWindow = std::make_unique<TForm1>(*m_context);
    EXPECT_EQ(Form8, nullptr);
    EXPECT_TRUE(Application::instance()->terminationRequested());
    bool loopRan = false;
    QTimer::singleShot(0, [&loopRan] { loopRan = true; });
    EXPECT_EQ(Application::instance()->run(mainWindow.get()), 0);
    EXPECT_FALSE(loopRan);
    EXPECT_FALSE(mainWindow->isVisible());
    EXPECT_FALSE(DM_MB->ADOCon->isOpen());
}
