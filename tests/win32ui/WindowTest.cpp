// WindowTest.cpp - the window on a display: controls where the window's layout puts them, the
// view's texts in UTF-16, the keys it previews and the prompt dialogs. Skipped without a display.
#include "installer/InstallerTexts.h"
#include "platform/Encoding.h"
#include "platform/win32/WidePaths.h"
#include "ui/win32/Controls.h"
#include "ui/win32/InstallerForm.h"
#include "ui/win32/Win32Prompts.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace vexo::ui::win32 {
namespace {

using installer::BoxButtons;
using installer::BoxIcon;

/// Answers every box with `answer` and remembers what was asked.
class RecordingBoxes final : public BoxPresenter {
  public:
    bool Ask(HWND, const std::string& text, BoxIcon icon, BoxButtons buttons) override {
        asked.push_back(text);
        lastIcon = icon;
        lastButtons = buttons;
        return answer;
    }
    void ShowError(HWND, const std::string& title, const std::string& text) override {
        errors.push_back(title + ": " + text);
    }
    bool answer = false;
    std::vector<std::string> asked, errors;
    BoxIcon lastIcon = BoxIcon::Error;
    BoxButtons lastButtons = BoxButtons::Ok;
};

/// The machine, with a stop request the test makes.
class StoppableServices final : public installer::InstallerServices {
  public:
    bool StopRequested() override { return stop; }
    bool stop = false;
};

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        form_ = std::make_unique<InstallerForm>(services_);
        if (!form_->Valid()) GTEST_SKIP() << "no display to make windows on";
        form_->SetBoxPresenter(&boxes_);
    }
    void TearDown() override {
        // A closed window asked its message loop to end; no loop here will.
        MSG quit;
        while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    /// Where a control lies in the window's client area.
    RECT Place(ControlId id) {
        RECT r{};
        ::GetWindowRect(form_->Control(id), &r);
        ::MapWindowPoints(HWND_DESKTOP, form_->Window(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    /// A key pressed while `focus` has the focus, through the window's own dispatch.
    void Press(HWND focus, int key) {
        MSG msg{};
        msg.hwnd = focus;
        msg.message = WM_KEYDOWN;
        msg.wParam = static_cast<WPARAM>(key);
        form_->Dispatch(msg);
    }

    StoppableServices services_;
    RecordingBoxes boxes_;
    std::unique_ptr<InstallerForm> form_;
};

TEST_F(WindowTest, BorderlessLayeredWindowAtItsDesignSize) {
    HWND w = form_->Window();
    RECT client{};
    ::GetClientRect(w, &client);
    EXPECT_EQ(client.right, 553);
    EXPECT_EQ(client.bottom, 401);
    const auto style = static_cast<DWORD>(::GetWindowLongW(w, GWL_STYLE));
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_TRUE(::GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_EQ(WindowText(w), L" Instalaci\u00f3n Contabilidad Vexo Windows");
}

TEST_F(WindowTest, ControlsAtTheirDesignPlaces) {
    struct Case {
        ControlId id;
        RECT expected; // in the window: the inner panel's coordinates plus its 1-pixel inset
    } cases[] = {
        {ControlId::Install, {376, 370, 451, 395}},
        {ControlId::Exit, {465, 370, 540, 395}},
        {ControlId::Panel, {201, 115, 541, 360}},
        {ControlId::DirectoryFrame, {201, 115, 541, 360}},
        {ControlId::DirectoryEdit, {201 + 22, 115 + 107, 201 + 22 + 271, 115 + 107 + 21}},
        {ControlId::DirectoryBrowse, {201 + 298, 115 + 106, 201 + 298 + 23, 115 + 106 + 24}},
        {ControlId::InstallDirectoryEdit, {201 + 22, 115 + 57, 201 + 22 + 271, 115 + 57 + 21}},
        {ControlId::ExtractingFrom, {201 + 21, 115 + 128, 201 + 21 + 300, 115 + 128 + 13}},
        {ControlId::CurrentFile, {201 + 95, 115 + 147, 201 + 95 + 219, 115 + 147 + 17}},
        {ControlId::Progress, {201 + 26, 115 + 169, 201 + 26 + 289, 115 + 169 + 16}},
    };
    for (const Case& c : cases) {
        RECT r = Place(c.id);
        EXPECT_EQ(r.left, c.expected.left) << static_cast<int>(c.id);
        EXPECT_EQ(r.top, c.expected.top) << static_cast<int>(c.id);
        EXPECT_EQ(r.right, c.expected.right) << static_cast<int>(c.id);
        EXPECT_EQ(r.bottom, c.expected.bottom) << static_cast<int>(c.id);
    }
    EXPECT_EQ(WindowText(form_->Control(ControlId::Install)), L"Instalar");
    EXPECT_EQ(WindowText(form_->Control(ControlId::Exit)), L"Salir");
    EXPECT_EQ(WindowText(form_->Control(ControlId::ExtractingFrom)), L"Extrayendo de:");
    // The installing frame's directory row is a disabled copy.
    EXPECT_FALSE(::IsWindowEnabled(form_->Control(ControlId::InstallDirectoryEdit)));
}

TEST_F(WindowTest, TextsCrossTheViewAsWindows1252) {
    const std::string dir = W1252("C:\\Año 2009\\Contabilidad Nóminas");
    form_->SetDirectoryText(dir);
    EXPECT_EQ(WindowText(form_->Control(ControlId::DirectoryEdit)),
              L"C:\\A\u00f1o 2009\\Contabilidad N\u00f3minas");
    EXPECT_EQ(form_->DirectoryText(), dir);
    ::SetWindowTextW(form_->Control(ControlId::DirectoryEdit), L"D:\\\u00c1rbol \u20ac");
    EXPECT_EQ(form_->DirectoryText(), W1252("D:\\Árbol €"));
    // What Windows-1252 cannot hold comes back as '?'.
    ::SetWindowTextW(form_->Control(ControlId::DirectoryEdit), L"C:\\\u0141\u00f3d\u017a");
    EXPECT_EQ(form_->DirectoryText(), W1252("C:\\?ód?"));

    form_->SetInstallDirectoryText(dir);
    EXPECT_EQ(WindowText(form_->Control(ControlId::InstallDirectoryEdit)),
              L"C:\\A\u00f1o 2009\\Contabilidad N\u00f3minas");
    form_->SetCurrentFileText(W1252("Datos\\EMPRESAS.DAT"));
    EXPECT_EQ(WindowText(form_->Control(ControlId::CurrentFile)), L"Datos\\EMPRESAS.DAT");
    form_->SetPackageDate(W1252("12 de Febrero del 2009"));
    form_->SetPackageVersion(W1252("Versión 10,05"));
    form_->SetPackageTitle(W1252("Presupuestos"));
    ASSERT_GE(form_->Labels().size(), 3u);
    EXPECT_EQ(form_->Labels()[0].text, L"12 de Febrero del 2009");
    EXPECT_EQ(form_->Labels()[1].text, L"Versi\u00f3n 10,05");
    EXPECT_EQ(form_->Labels()[2].text, L"Presupuestos");
    form_->SetProgress(42);
    EXPECT_EQ(::SendMessageW(form_->Control(ControlId::Progress), PBM_GETPOS, 0, 0), 42);
}

TEST_F(WindowTest, OpacityIsTheLayeredWindowsAlpha) {
    for (int alpha : {0, 40, 215, 255}) {
        form_->SetOpacity(alpha);
        BYTE got = 0;
        DWORD flags = 0;
        ASSERT_TRUE(::GetLayeredWindowAttributes(form_->Window(), nullptr, &got, &flags));
        EXPECT_EQ(got, alpha);
        EXPECT_TRUE(flags & LWA_ALPHA);
        EXPECT_EQ(form_->Opacity(), alpha);
    }
}

TEST_F(WindowTest, FramesComeToTheFrontAndTakeTheirEnabledState) {
    HWND panel = form_->Control(ControlId::Panel);
    form_->BringFrameToFront(installer::WindowFrame::Progress);
    EXPECT_EQ(::GetWindow(panel, GW_CHILD), form_->Control(ControlId::ProgressFrame));
    form_->BringFrameToFront(installer::WindowFrame::Directory);
    EXPECT_EQ(::GetWindow(panel, GW_CHILD), form_->Control(ControlId::DirectoryFrame));
    EXPECT_FALSE(::IsWindowEnabled(form_->Control(ControlId::DirectoryFrame)));
    form_->SetFrameEnabled(installer::WindowFrame::Directory, true);
    EXPECT_TRUE(::IsWindowEnabled(form_->Control(ControlId::DirectoryFrame)));
    form_->SetPanelFrameEnabled(false);
    EXPECT_FALSE(::IsWindowEnabled(panel));
}

TEST_F(WindowTest, DefaultButtonFollowsTheView) {
    HWND install = form_->Control(ControlId::Install);
    HWND exit = form_->Control(ControlId::Exit);
    auto looksDefault = [](HWND b) {
        return (::GetWindowLongW(b, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    };
    EXPECT_EQ(form_->DefaultButton(), install);
    // The installing state: "Instalar" disabled, "Cancelar" the default.
    form_->SetInstallEnabled(false);
    form_->SetInstallDefault(false);
    form_->SetCancelCaption(installer::texts::Cancel());
    form_->SetCancelDefault(true);
    EXPECT_EQ(form_->DefaultButton(), exit);
    EXPECT_TRUE(looksDefault(exit));
    EXPECT_FALSE(looksDefault(install));
    EXPECT_EQ(WindowText(exit), L"Cancelar");
    // A default button that cannot be pressed is none.
    form_->SetCancelDefault(false);
    form_->SetInstallDefault(true);
    EXPECT_EQ(form_->DefaultButton(), nullptr);
    form_->SetInstallEnabled(true);
    form_->SetInstallVisible(false);
    EXPECT_EQ(form_->DefaultButton(), nullptr);
}

TEST_F(WindowTest, EscapeAnywhereAsksBeforeClosing) {
    Press(form_->Control(ControlId::DirectoryEdit), VK_ESCAPE);
    ASSERT_EQ(boxes_.asked.size(), 1u);
    EXPECT_EQ(boxes_.asked[0], installer::texts::ConfirmExit());
    EXPECT_EQ(boxes_.lastIcon, BoxIcon::Confirmation);
    EXPECT_EQ(boxes_.lastButtons, BoxButtons::OkCancel);
    EXPECT_FALSE(form_->Closed()); // "Cancelar"

    boxes_.answer = true;
    Press(form_->Control(ControlId::Exit), VK_ESCAPE);
    EXPECT_EQ(boxes_.asked.size(), 2u);
    EXPECT_TRUE(form_->Closed());
    EXPECT_FALSE(::IsWindowVisible(form_->Window()));
}

// A stop request while the system's box waits for its answer: the window's own check closes
// the box, then the window, without another question.
TEST_F(WindowTest, AStopRequestEndsAnOpenBoxAndClosesTheWindow) {
    SystemBoxPresenter systemBoxes;
    form_->SetBoxPresenter(&systemBoxes);
    form_->ShowWindow();
    static StoppableServices* services;
    static bool boxSeen, guardFired;
    services = &services_;
    boxSeen = guardFired = false;
    // Once the box is up the request comes. Should the check fail, the box still ends 15 s
    // later, so that the test fails rather than hangs. (Hiding a window takes Wine up to 2 s
    // on a display without a window manager: the time is no measure here.)
    const UINT_PTR request = ::SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND box = ::FindWindowW(L"#32770", nullptr);
        if (boxSeen || !box || !::IsWindowVisible(box)) return;
        boxSeen = services->stop = true;
        ::SetTimer(box, 1, 15000, [](HWND guarded, UINT, UINT_PTR, DWORD) {
            guardFired = true;
            ::EndDialog(guarded, IDCANCEL);
        });
    });
    Press(form_->Control(ControlId::DirectoryEdit), VK_ESCAPE);
    const DWORD start = ::GetTickCount();
    MSG msg{};
    while (!form_->Closed() && ::GetTickCount() - start < 20000) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT)
            form_->Dispatch(msg);
        ::Sleep(10);
    }
    ::KillTimer(nullptr, request);
    EXPECT_TRUE(boxSeen);
    EXPECT_FALSE(guardFired); // the check ended the box
    EXPECT_TRUE(form_->Closed());
    EXPECT_FALSE(::IsWindowVisible(form_->Window()));
}

TEST_F(WindowTest, EnterPressesTheFocusedOrTheDefaultButton) {
    // On the focused "Salir": the exit button asks to leave.
    Press(form_->Control(ControlId::Exit), VK_RETURN);
    ASSERT_EQ(boxes_.asked.size(), 1u);
    EXPECT_EQ(boxes_.asked[0], installer::texts::ConfirmExit());
    // On no button, with "Salir" the default.
    form_->SetInstallDefault(false);
    form_->SetCancelDefault(true);
    Press(form_->Control(ControlId::Progress), VK_RETURN);
    EXPECT_EQ(boxes_.asked.size(), 2u);
    // With no default button Enter does nothing of the window's.
    form_->SetCancelDefault(false);
    Press(form_->Control(ControlId::Progress), VK_RETURN);
    EXPECT_EQ(boxes_.asked.size(), 2u);
    // Other keys are the controls'.
    Press(form_->Control(ControlId::Exit), 'A');
    EXPECT_EQ(boxes_.asked.size(), 2u);
    EXPECT_TRUE(boxes_.errors.empty());
}

// ---- Prompt dialogs ---------------------------------------------------------------------------

/// Presses the button at `index` of the prompt dialog once it is up (a thread timer fires
/// inside the dialog's own loop); -1 closes the dialog's window instead.
class PromptAnswerer {
  public:
    explicit PromptAnswerer(int index, std::wstring text = {}) {
        index_ = index;
        text_ = std::move(text);
        timer_ = ::SetTimer(nullptr, 0, 50, Fire);
    }
    ~PromptAnswerer() { ::KillTimer(nullptr, timer_); }
    static inline std::wstring caption;
    static inline std::vector<std::wstring> buttons;

  private:
    static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD) {
        HWND dialog = ::FindWindowW(L"VexoInstaladorPregunta", nullptr);
        if (!dialog || !::IsWindowVisible(dialog)) return;
        caption = WindowText(dialog);
        buttons.clear();
        HWND edit = nullptr;
        for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
            wchar_t type[16] = {};
            ::GetClassNameW(c, type, 16);
            if (::lstrcmpiW(type, L"Button") == 0) buttons.push_back(WindowText(c));
            if (::lstrcmpiW(type, L"Edit") == 0) edit = c;
        }
        if (edit && !text_.empty()) ::SetWindowTextW(edit, text_.c_str());
        if (index_ < 0)
            ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        else
            ::PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(1000 + index_), 0);
    }
    static inline int index_ = 0;
    static inline std::wstring text_;
    UINT_PTR timer_ = 0;
};

class PromptDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                       nullptr, nullptr);
        if (!probe) GTEST_SKIP() << "no display to make windows on";
        ::DestroyWindow(probe);
    }
    Win32Prompts prompts_;
};

TEST_F(PromptDialogTest, OverwritePromptAnswersTheButtonPressed) {
    archive::OverwritePromptData data;
    data.ExistingName = W1252("C:\\VEXO\\Año\\A.TXT");
    data.ArchivedName = "A.TXT";
    const archive::PromptView view = archive::DescribeOverwritePrompt(data);
    for (int i = 0; i < static_cast<int>(view.Buttons.size()); ++i) {
        PromptAnswerer answer(i);
        EXPECT_EQ(archive::PromptResult(prompts_.OverwritePrompt(data)), view.Buttons[i].Result);
    }
    EXPECT_EQ(PromptAnswerer::caption, platform::win32::Widen(view.Caption));
    ASSERT_EQ(PromptAnswerer::buttons.size(), view.Buttons.size());
    EXPECT_EQ(PromptAnswerer::buttons[0], platform::win32::Widen(view.Buttons[0].Label));
    PromptAnswerer close(-1);
    EXPECT_EQ(prompts_.OverwritePrompt(data), archive::OverwriteAnswer::Closed);
}

TEST_F(PromptDialogTest, ClosedMessageBoxCountsAsItsRefusingButton) {
    PromptAnswerer close(-1);
    EXPECT_EQ(prompts_.MessageDlg(W1252("¿Seguir?"), archive::MessageType::mtConfirmation,
                                  archive::MessageButtons::mbYes | archive::MessageButtons::mbNo,
                                  0),
              archive::MessageResult::idNo);
}

TEST_F(PromptDialogTest, TextPromptGivesTheTypedValueOnlyOnOk) {
    std::string value = "antes";
    {
        PromptAnswerer ok(0, L"clave \u00f1and\u00fa");
        EXPECT_TRUE(prompts_.PasswordQuery("Clave", "Introduzca la clave", value));
    }
    EXPECT_EQ(value, W1252("clave ñandú"));
    {
        PromptAnswerer cancel(1, L"otra");
        EXPECT_FALSE(prompts_.InputQuery("Clave", "Introduzca la clave", value));
    }
    EXPECT_EQ(value, W1252("clave ñandú"));
}

} // namespace
} // namespace vexo::ui::win32
