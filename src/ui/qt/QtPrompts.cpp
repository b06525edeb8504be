// QtPrompts.cpp - dialogs built from the prompt descriptions shared by every front end.
#include "ui/qt/QtPrompts.h"

#include "platform/Encoding.h"
#include "ui/PromptGrid.h"

#include <QApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace vexo::ui {

namespace {

QString Utf(const std::string& cp1252) {
    return QString::fromStdString(platform::Cp1252ToUtf8(cp1252));
}

QStyle::StandardPixmap IconFor(const archive::PromptView& view) {
    if (view.Kind != archive::PromptKind::MessageDlg) return QStyle::SP_MessageBoxQuestion;
    switch (view.Type) {
    case archive::MessageType::mtWarning:
        return QStyle::SP_MessageBoxWarning;
    case archive::MessageType::mtError:
        return QStyle::SP_MessageBoxCritical;
    case archive::MessageType::mtConfirmation:
        return QStyle::SP_MessageBoxQuestion;
    default:
        return QStyle::SP_MessageBoxInformation;
    }
}

} // namespace

PromptDialog::PromptDialog(const archive::PromptView& view, QWidget* parent) : QDialog(parent) {
    setObjectName("PromptDialog");
    setWindowTitle(Utf(view.Caption));
    setModal(true);
    auto* outer = new QVBoxLayout(this);
    auto* body = new QHBoxLayout();
    outer->addLayout(body);

    bool textPrompt = IsTextPrompt(view);
    if (!textPrompt) {
        auto* icon = new QLabel(this);
        icon->setPixmap(style()->standardIcon(IconFor(view)).pixmap(32, 32));
        icon->setAlignment(Qt::AlignTop);
        body->addWidget(icon);
    }
    auto* grid = new QGridLayout();
    body->addLayout(grid, 1);
    for (const PromptCell& cell : PromptCells(view)) {
        auto* label = new QLabel(Utf(cell.text), this);
        label->setObjectName(QStringLiteral("line%1").arg(grid->count()));
        label->setWordWrap(cell.span > 1 || cell.column == 1);
        grid->addWidget(label, cell.row, cell.column, 1, cell.span);
    }
    if (textPrompt) {
        edit_ = new QLineEdit(Utf(view.Value), this);
        edit_->setObjectName("PromptEdit");
        edit_->setMaxLength(511);
        if (view.Kind == archive::PromptKind::PasswordQuery)
            edit_->setEchoMode(QLineEdit::Password);
        grid->addWidget(edit_, grid->rowCount(), 0, 1, 2);
        edit_->setFocus();
    }

    auto* row = new QHBoxLayout();
    row->addStretch(1);
    outer->addLayout(row);
    bool first = true;
    for (const archive::PromptButton& b : view.Buttons) {
        auto* button = new QPushButton(Utf(b.Label), this);
        button->setObjectName(QStringLiteral("button%1").arg(b.Result.Id()));
        if (first) button->setDefault(true);
        first = false;
        archive::PromptResult result = b.Result;
        connect(button, &QPushButton::clicked, this, [this, result] {
            result_ = result;
            done(result.Id());
        });
        row->addWidget(button);
    }
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect desk = screen->geometry();
        move((desk.width() - width()) / 2, (desk.height() - height()) / 2);
    }
}

std::string PromptDialog::Value() const {
    return edit_ ? platform::Utf8ToCp1252(edit_->text().toStdString()) : std::string();
}

archive::PromptResult QtPrompts::Ask(const archive::PromptView& view) {
    PromptDialog dialog(view, QApplication::activeWindow());
    dialog.exec();
    // A closed box counts as its refusing button; the other prompts answer the closing as such.
    if (view.Kind == archive::PromptKind::MessageDlg && dialog.Result() == archive::kPromptClosed)
        return archive::RefusingAnswer(view);
    return dialog.Result();
}

bool QtPrompts::AskText(const archive::PromptView& view, std::string& value) {
    PromptDialog dialog(view, QApplication::activeWindow());
    dialog.exec();
    if (dialog.Result() != archive::MessageResult::idOK) return false;
    value = dialog.Value();
    return true;
}

} // namespace vexo::ui
