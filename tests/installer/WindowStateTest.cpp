// WindowStateTest.cpp - fades, keys and the close confirmation while idle.
#include "InstallerFixture.h"
#include "installer/InstallerTexts.h"

namespace vexo::installer::test {
namespace {

class WindowStateTest : public InstallerTest {
  protected:
    InstallerWindow& Idle(int platformId = kPlatformNtFamily) {
        services_.platformId = platformId;
        PackageSpec pkg;
        InstallerWindow& w = Window("C:\\descargas\\ZPX16.EXE", pkg);
        EXPECT_TRUE(w.OnCreate());
        return w;
    }
};

TEST_F(WindowStateTest, FadeInTicksFromZeroToOpaque) {
    InstallerWindow& w = Idle();
    w.OnActivate();
    ASSERT_TRUE(view_.timerEnabled);
    int ticks = 0;
    while (view_.timerEnabled && ticks < 20) {
        w.OnFadeTimer();
        ++ticks;
    }
    EXPECT_EQ(view_.opacities, (std::vector<int>{40, 80, 120, 160, 200, 240, 255}));
    EXPECT_EQ(ticks, 7);
    // A later activation finds the window opaque and does nothing.
    view_.opacities.clear();
    w.OnActivate();
    EXPECT_FALSE(view_.timerEnabled);
    EXPECT_TRUE(view_.opacities.empty());
}

TEST_F(WindowStateTest, OldPlatformFamilyIsOpaqueAtOnceAndClosesWithoutFading) {
    InstallerWindow& w = Idle(kPlatform9xFamily);
    w.OnActivate();
    EXPECT_FALSE(view_.timerEnabled);
    EXPECT_EQ(view_.opacity, 255);
    view_.answers.push_back(true);
    w.OnCancelClicked();
    EXPECT_TRUE(view_.closed);
    EXPECT_EQ(view_.opacity, 255);
    EXPECT_EQ(services_.sleeps, 0);
}

TEST_F(WindowStateTest, EscapeWhileIdleAsksAndCancelKeepsTheWindow) {
    InstallerWindow& w = Idle();
    view_.opacity = 255;
    view_.answers.push_back(false);
    EXPECT_TRUE(w.OnKeyDown(kVkEscape));
    EXPECT_FALSE(view_.closed);
    EXPECT_EQ(view_.opacity, 255);
    ASSERT_EQ(view_.boxes.size(), 1u);
    EXPECT_EQ(view_.boxes[0].text, "Confirma Salida del Instalador");
    EXPECT_EQ(view_.boxes[0].icon, BoxIcon::Confirmation);
    EXPECT_EQ(view_.boxes[0].buttons, BoxButtons::OkCancel);
    EXPECT_FALSE(w.OnKeyDown(kVkReturn)); // the window handles Esc only
}

TEST_F(WindowStateTest, ConfirmedExitFadesOutInSevenSteps) {
    InstallerWindow& w = Idle();
    view_.opacity = 255;
    view_.opacities.clear();
    view_.answers.push_back(true);
    std::uint32_t start = services_.now;
    w.OnCancelClicked(); // idle: the exit button closes through the confirmation
    EXPECT_TRUE(view_.closed);
    EXPECT_EQ(view_.opacities, (std::vector<int>{215, 175, 135, 95, 55, 15, 0}));
    EXPECT_GE(services_.now - start, 7u * 80u);
    EXPECT_LT(services_.now - start, 8u * 80u);
}

TEST_F(WindowStateTest, FramesAndButtonsAcrossStates) {
    InstallerWindow& w = Idle();
    w.EnterInstallingState();
    EXPECT_EQ(view_.frontFrame, WindowFrame::Progress);
    EXPECT_TRUE(view_.frameEnabled[WindowFrame::Progress]);
    EXPECT_FALSE(view_.frameEnabled[WindowFrame::Directory]);
    EXPECT_EQ(w.CurrentFrame(), WindowFrame::Directory); // unchanged by the installing state
    EXPECT_FALSE(view_.installEnabled);
    EXPECT_FALSE(view_.installDefault);
    EXPECT_TRUE(view_.cancelDefault);
    EXPECT_EQ(view_.cancelCaption, "Cancelar");
    w.LeaveInstallingState();
    EXPECT_EQ(view_.frontFrame, WindowFrame::Directory);
    EXPECT_TRUE(view_.frameEnabled[WindowFrame::Directory]);
    EXPECT_FALSE(view_.frameEnabled[WindowFrame::Progress]);
    EXPECT_TRUE(view_.installEnabled);
    EXPECT_TRUE(view_.installDefault);
    EXPECT_FALSE(view_.cancelDefault);
    EXPECT_EQ(view_.cancelCaption, "Salir");
}

} // namespace
} // namespace vexo::installer::test
