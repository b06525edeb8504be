// QtPrompts.cpp - dialogs built from the prompt descriptions shared by every front end.
#include "ui/qt/QtPrompts.h"

#include "platform/Encoding.h"

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

    bool textPrompt = view.Kind == archive::PromptKind::InputQuery ||
                      view.Kind == archive::PromptKind::PasswordQuery;
    if (!textPrompt) {
        auto* icon = new QLabel(this);
        icon->setPixmap(style()->standardIcon(IconFor(view)).pixmap(32, 32));
        icon->setAlignment(Qt::AlignTop);
        body->addWidget(icon);
    }
    auto* grid = new QGridLayout();
    body->addLayout(grid, 1);
    const auto& lines = view.Lines;
    auto addLine = [&](int row, int column, const std::string& text, int span = 1) {
        auto* label = new QLabel(Utf(text), this);
        label->setObjectName(QStringLiteral("line%1").arg(grid->count()));
        label->setWordWrap(span > 1 || column == 1);
        grid->addWidget(label, row, column, 1, span);
    };
    switch (view.Kind) {
    case archive::PromptKind::Overwrite:
        // "Replace File :" name / size-date, then "With File :" name / size-date.
        for (int block = 0; block < 2 && lines.size() >= 6; ++block) {
            addLine(block * 2, 0, lines[block * 3]);
            addLine(block * 2, 1, lines[block * 3 + 1]);
            addLine(block * 2 + 1, 1, lines[block * 3 + 2]);
        }
        break;
    case archive::PromptKind::Continue:
        // "Error :" text, "File :" name and size-date, then the question.
        if (lines.size() >= 6) {
            addLine(0, 0, lines[0]);
            addLine(0, 1, lines[1]);
            addLine(1, 0, lines[2]);
            addLine(1, 1, lines[3]);
            addLine(2, 1, lines[4]);
            addLine(3, 0, lines[5], 2);
        }
        break;
    default:
        for (std::size_t i = 0; i < lines.size(); ++i)
            addLine(static_cast<int>(i), 0, lines[i], 2);
        break;
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
