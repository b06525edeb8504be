// InstallerForm.h - the installer's borderless splash window (Qt Widgets).
#pragma once

#include "installer/InstallerWindow.h"
#include "installer/MainView.h"
#include "installer/Services.h"
#include "ui/qt/Frames.h"
#include "ui/qt/QtFolderBrowser.h"

#include <QLabel>
#include <QPoint>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace vexo::ui {

/// Asks the user through a modal box; tests replace it to answer without a user.
class BoxPresenter {
  public:
    virtual ~BoxPresenter() = default;
    virtual bool Ask(QWidget* owner, const std::string& text, installer::BoxIcon icon,
                     installer::BoxButtons buttons) = 0;
    virtual void ShowError(QWidget* owner, const std::string& title, const std::string& text) = 0;
};

/// The real boxes: "Instalador Dalvo", three icons, "Vale" and "Cancelar".
class QtBoxPresenter final : public BoxPresenter {
  public:
    bool Ask(QWidget* owner, const std::string& text, installer::BoxIcon icon,
             installer::BoxButtons buttons) override;
    void ShowError(QWidget* owner, const std::string& title, const std::string& text) override;
};

class InstallerForm final : public QWidget, public installer::MainView {
    Q_OBJECT
  public:
    explicit InstallerForm(installer::InstallerServices& services, QWidget* parent = nullptr);
    ~InstallerForm() override;

    /// Runs the start-up steps; \returns whether the window should be shown and run.
    bool Create();
    installer::InstallerWindow& Logic() { return *logic_; }
    void SetBoxPresenter(BoxPresenter* presenter) { boxes_ = presenter; }
    void SetFolderBrowser(environment::FolderBrowser* browser) { browser_ = browser; }
    QTimer* FadeTimer() const { return fadeTimer_; }
    /// Whether dragging falls back to moving the window on mouse moves.
    bool DragFallbackActive() const { return dragging_; }

    // MainView.
    void SetPackageDate(const std::string& text) override;
    void SetPackageVersion(const std::string& text) override;
    void SetPackageTitle(const std::string& text) override;
    std::string DirectoryText() const override;
    void SetDirectoryText(const std::string& text) override;
    void SetInstallDirectoryText(const std::string& text) override;
    void SetExtractingFrom(const std::string& text) override;
    void SetCurrentFileText(const std::string& text) override;
    void SetProgress(int percent) override;
    void SetPanelFrameEnabled(bool enabled) override;
    void SetFrameEnabled(installer::WindowFrame frame, bool enabled) override;
    void BringFrameToFront(installer::WindowFrame frame) override;
    void SetInstallEnabled(bool enabled) override;
    void SetInstallVisible(bool visible) override;
    void SetInstallDefault(bool isDefault) override;
    void SetCancelCaption(const std::string& caption) override;
    void SetCancelDefault(bool isDefault) override;
    void ShowWindow() override;
    void CloseWindow() override;
    int Opacity() const override { return opacity_; }
    void SetOpacity(int opacity) override;
    void SetFadeTimerEnabled(bool enabled) override;
    void ProcessMessages() override;
    bool MessageBox(const std::string& text, installer::BoxIcon icon,
                    installer::BoxButtons buttons) override;
    void ShowApplicationError(const std::string& title, const std::string& text) override;
    environment::FolderBrowser& FolderBrowser() override;
    void CloseBoxes() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void BuildControls();
    QLabel* MakeLabel(const char* name, QRect geometry, const QString& text, const QString& style,
                      Qt::Alignment alignment);
    void MakeDraggable(QWidget* w);
    /// A mouse-down on the picture, a label or the panel: the platform moves the window, or we
    /// follow the mouse ourselves.
    void BeginWindowDrag(QMouseEvent* event);
    QWidget* Frame(installer::WindowFrame frame) const;
    QPushButton* DefaultButton() const;

    std::unique_ptr<installer::InstallerWindow> logic_;
    QtBoxPresenter ownBoxes_;
    BoxPresenter* boxes_ = &ownBoxes_;
    QtFolderBrowser ownBrowser_;
    environment::FolderBrowser* browser_ = &ownBrowser_;

    QWidget* inner_ = nullptr;
    QLabel* labelFecha_ = nullptr;
    QLabel* labelVersion_ = nullptr;
    QLabel* labelPrograma_ = nullptr;
    QWidget* panelFrame_ = nullptr;
    TFFramePrograma* directoryFrame_ = nullptr;
    TFFrameInstalar* progressFrame_ = nullptr;
    QPushButton* bInstalar_ = nullptr;
    QPushButton* bCancelar_ = nullptr;
    QTimer* fadeTimer_ = nullptr;
    int opacity_ = installer::kTransparent;
    bool dragging_ = false;
    QPoint dragOffset_;
};

} // namespace vexo::ui
