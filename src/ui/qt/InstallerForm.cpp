// InstallerForm.cpp - the window's controls, events and the bridge to its logic.
#include "ui/qt/InstallerForm.h"

#include "installer/InstallerTexts.h"
#include "platform/Encoding.h"
#include "ui/qt/Artwork.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace vexo::ui {

using installer::BoxButtons;
using installer::BoxIcon;

namespace {

QString Text(const std::string& cp1252) {
    return QString::fromStdString(platform::Cp1252ToUtf8(cp1252));
}

std::string Cp1252(const QString& text) {
    return platform::Utf8ToCp1252(text.toStdString());
}

/// The background picture, drawn unscaled from the top-left corner, clipped to the control.
class BackgroundPicture final : public QWidget {
  public:
    explicit BackgroundPicture(QWidget* parent) : QWidget(parent) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, ui::BackgroundImage());
    }
};

} // namespace

// ---- Boxes ----------------------------------------------------------------------------------

bool QtBoxPresenter::Ask(QWidget* owner, const std::string& text, BoxIcon icon,
                         BoxButtons buttons) {
    QMessageBox box(owner);
    box.setWindowTitle(Text(installer::BoxCaption()));
    box.setText(Text(text));
    box.setIcon(icon == BoxIcon::Error     ? QMessageBox::Critical
                : icon == BoxIcon::Warning ? QMessageBox::Warning
                                           : QMessageBox::Question);
    QPushButton* ok = box.addButton(Text(installer::texts::Ok()), QMessageBox::AcceptRole);
    if (buttons == BoxButtons::OkCancel)
        box.addButton(Text(installer::texts::Cancel()), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.exec();
    return box.clickedButton() == ok;
}

void QtBoxPresenter::ShowError(QWidget* owner, const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Critical, Text(title), Text(text), QMessageBox::Ok, owner);
    box.exec();
}

// ---- Construction ---------------------------------------------------------------------------

InstallerForm::InstallerForm(installer::InstallerServices& services, QWidget* parent)
    : QWidget(parent) {
    setObjectName("InstallerForm");
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(Text(installer::texts::WindowCaption()));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    setFixedSize(553, 401);
    setWindowOpacity(0.0);
    BuildControls();
    ownBrowser_.SetOwner(directoryFrame_);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    // Key preview: every key of the window passes the window's handler first.
    qApp->installEventFilter(this);
    logic_ = std::make_unique<installer::InstallerWindow>(*this, services);
    // A stop request only sets a flag (a signal handler can do no more); the event loop, and
    // every box's loop inside it, looks at it here.
    auto* stopTimer = new QTimer(this);
    stopTimer->setObjectName("TimerParada");
    stopTimer->setInterval(100);
    connect(stopTimer, &QTimer::timeout, this, [this] { logic_->OnStopCheck(); });
    stopTimer->start();
}

InstallerForm::~InstallerForm() {
    qApp->removeEventFilter(this);
}

QLabel* InstallerForm::MakeLabel(const char* name, QRect geometry, const QString& text,
                                 const QString& style, Qt::Alignment alignment) {
    auto* label = new QLabel(text, inner_);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setStyleSheet(style);
    MakeDraggable(label);
    return label;
}

void InstallerForm::BuildControls() {
    auto* outer = new QWidget(this);
    outer->setObjectName("PanelExterior");
    outer->setGeometry(0, 0, 553, 401);
    inner_ = new QWidget(outer);
    inner_->setObjectName("PanelInterior");
    inner_->setGeometry(1, 1, 551, 399);
    MakeDraggable(this);

    auto* image = new BackgroundPicture(inner_);
    image->setObjectName("ImageFondo");
    image->setGeometry(1, 1, 549, 397);
    MakeDraggable(image);

    const QString big = QStringLiteral("color: white; font-weight: bold; font-size: 12px;");
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignVCenter;
    labelFecha_ = MakeLabel("LabelFecha", QRect(200, 65, 340, 20),
                            QStringLiteral("31 de Diciembre de 2000"), big, centred);
    labelVersion_ = MakeLabel("LabelVersion", QRect(200, 85, 340, 20),
                              QString::fromUtf8(" Versión 10.00"), big, centred);
    labelPrograma_ = MakeLabel(
        "LabelPrograma", QRect(10, 368, 225, 25), QStringLiteral("Contabilidad"),
        QStringLiteral("color: silver; font-size: 12px;"), Qt::AlignLeft | Qt::AlignVCenter);
    // The maker's contact lines (fictional).
    const char* names[] = {"LabelTelefono", "LabelFax", "LabelCorreo", "LabelWeb"};
    const char* lines[] = {"Tel. 945 000 123", "Fax 945 000 124", "soporte@vexo-dalvo.example",
                           "www.vexo-dalvo.example"};
    for (int i = 0; i < 4; ++i)
        MakeLabel(names[i], QRect(5, 309 + 13 * i, 185, 13), QString::fromUtf8(lines[i]),
                  QStringLiteral("color: white; font-size: 11px;"), centred);

    panelFrame_ = new QWidget(inner_);
    panelFrame_->setObjectName("PanelFrame");
    panelFrame_->setGeometry(200, 114, 340, 245);
    panelFrame_->setAutoFillBackground(true);
    panelFrame_->setBackgroundRole(QPalette::Window);
    MakeDraggable(panelFrame_);

    directoryFrame_ = new TFFramePrograma(panelFrame_);
    progressFrame_ = new TFFrameInstalar(panelFrame_);
    for (QWidget* frame :
         {Frame(installer::WindowFrame::Directory), Frame(installer::WindowFrame::Progress)}) {
        frame->setEnabled(false);
        frame->lower();
    }
    connect(directoryFrame_->bDir(), &QPushButton::clicked, this,
            [this] { logic_->OnBrowseClicked(); });

    bInstalar_ = new QPushButton(Text(installer::texts::Install()), inner_);
    bInstalar_->setObjectName("bInstalar");
    bInstalar_->setGeometry(375, 369, 75, 25);
    bInstalar_->setDefault(true);
    bCancelar_ = new QPushButton(Text(installer::texts::Exit()), inner_);
    bCancelar_->setObjectName("bCancelar");
    bCancelar_->setGeometry(464, 369, 75, 25);
    bCancelar_->setAutoDefault(false);
    setTabOrder(bInstalar_, bCancelar_);
    connect(bInstalar_, &QPushButton::clicked, this, [this] { logic_->OnInstallClicked(); });
    connect(bCancelar_, &QPushButton::clicked, this, [this] { logic_->OnCancelClicked(); });

    fadeTimer_ = new QTimer(this);
    fadeTimer_->setObjectName("TimerFundido");
    fadeTimer_->setInterval(80);
    connect(fadeTimer_, &QTimer::timeout, this, [this] { logic_->OnFadeTimer(); });
}

bool InstallerForm::Create() {
    return logic_->OnCreate();
}

// ---- MainView -------------------------------------------------------------------------------

void InstallerForm::SetPackageDate(const std::string& text) {
    labelFecha_->setText(Text(text));
}
void InstallerForm::SetPackageVersion(const std::string& text) {
    labelVersion_->setText(Text(text));
}
void InstallerForm::SetPackageTitle(const std::string& text) {
    labelPrograma_->setText(Text(text));
}

std::string InstallerForm::DirectoryText() const {
    return Cp1252(directoryFrame_->eDirPrograma()->text());
}

void InstallerForm::SetDirectoryText(const std::string& text) {
    directoryFrame_->eDirPrograma()->setText(Text(text));
}

void InstallerForm::SetInstallDirectoryText(const std::string& text) {
    progressFrame_->eDirInstalar()->setText(Text(text));
}

void InstallerForm::SetExtractingFrom(const std::string& text) {
    progressFrame_->stDe()->setText(Text(text));
}
void InstallerForm::SetCurrentFileText(const std::string& text) {
    progressFrame_->stText()->setText(Text(text));
}
void InstallerForm::SetProgress(int percent) {
    progressFrame_->pbProgreso()->setValue(percent);
}
void InstallerForm::SetPanelFrameEnabled(bool enabled) {
    panelFrame_->setEnabled(enabled);
}

QWidget* InstallerForm::Frame(installer::WindowFrame frame) const {
    if (frame == installer::WindowFrame::Directory) return directoryFrame_;
    return progressFrame_;
}

void InstallerForm::SetFrameEnabled(installer::WindowFrame frame, bool enabled) {
    Frame(frame)->setEnabled(enabled);
}

void InstallerForm::BringFrameToFront(installer::WindowFrame frame) {
    Frame(frame)->raise();
}

void InstallerForm::SetInstallEnabled(bool enabled) {
    bInstalar_->setEnabled(enabled);
}
void InstallerForm::SetInstallVisible(bool visible) {
    bInstalar_->setVisible(visible);
}
void InstallerForm::SetInstallDefault(bool isDefault) {
    bInstalar_->setDefault(isDefault);
}
void InstallerForm::SetCancelCaption(const std::string& caption) {
    bCancelar_->setText(Text(caption));
}
void InstallerForm::SetCancelDefault(bool isDefault) {
    bCancelar_->setDefault(isDefault);
}

void InstallerForm::ShowWindow() {
    show();
}

void InstallerForm::CloseWindow() {
    close();
}

void InstallerForm::SetOpacity(int opacity) {
    opacity_ = opacity;
    setWindowOpacity(opacity / static_cast<double>(installer::kOpaque));
}

void InstallerForm::SetFadeTimerEnabled(bool enabled) {
    if (enabled)
        fadeTimer_->start();
    else
        fadeTimer_->stop();
}

void InstallerForm::ProcessMessages() {
    QCoreApplication::processEvents();
}

bool InstallerForm::MessageBox(const std::string& text, BoxIcon icon, BoxButtons buttons) {
    return boxes_->Ask(isVisible() ? this : nullptr, text, icon, buttons);
}

void InstallerForm::ShowApplicationError(const std::string& title, const std::string& text) {
    boxes_->ShowError(isVisible() ? this : nullptr, title, text);
}

environment::FolderBrowser& InstallerForm::FolderBrowser() {
    return *browser_;
}

void InstallerForm::CloseBoxes() {
    // Boxes, prompts and the folder dialog alike; each one's loop ends as control returns to it.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible())
            dialog->done(QDialog::Rejected);
}

// ---- Events ---------------------------------------------------------------------------------

void InstallerForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    logic_->OnActivate();
}

void InstallerForm::closeEvent(QCloseEvent* event) {
    if (logic_->OnCloseRequested())
        event->accept();
    else
        event->ignore();
}

QPushButton* InstallerForm::DefaultButton() const {
    for (QPushButton* b : {bInstalar_, bCancelar_})
        if (b->isDefault() && b->isEnabled() && b->isVisible()) return b;
    return nullptr;
}

void InstallerForm::MakeDraggable(QWidget* w) {
    w->installEventFilter(this);
    w->setProperty("vexoDrag", true);
}

void InstallerForm::BeginWindowDrag(QMouseEvent* event) {
    QWindow* handle = windowHandle();
    if (handle && handle->startSystemMove()) return;
    // The platform refuses (offscreen, some window managers): follow the mouse ourselves.
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

bool InstallerForm::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    bool ours = widget && widget->window() == this;
    if (!ours) return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) return logic_->OnKeyDown(installer::kVkEscape);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (watched == directoryFrame_->eDirPrograma())
                return logic_->OnDirectoryKeyDown(installer::kVkReturn);
            // A focused button takes Enter itself, as on the platform the window comes from.
            if (auto* focused = qobject_cast<QPushButton*>(watched)) {
                if (focused->isEnabled()) focused->click();
                return true;
            }
            if (QPushButton* b = DefaultButton()) {
                b->click();
                return true;
            }
        }
        return false;
    }
    case QEvent::MouseButtonPress:
        if (widget->property("vexoDrag").toBool()) {
            BeginWindowDrag(static_cast<QMouseEvent*>(event));
            return true;
        }
        return false;
    case QEvent::MouseMove:
        if (dragging_) {
            move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - dragOffset_);
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (dragging_) {
            dragging_ = false;
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace vexo::ui
