// Frames.cpp - controls at their design positions and sizes.
#include "ui/qt/Frames.h"

#include "ui/qt/Artwork.h"

#include <QIcon>

namespace vexo::ui {

namespace {

const QString kDirectoryTitle = QString::fromUtf8(" Introduzca Nombre Directorio ");
const QString kDesignDirectory = QStringLiteral("C:\\VEXO\\DALVO");

DirectoryRow MakeDirectoryRow(QWidget* parent, const char* boxName, const char* labelName,
                              const char* editName, QRect geometry) {
    DirectoryRow row;
    row.box = MakeGroupBox(parent, boxName, labelName, kDirectoryTitle, geometry, &row.title);
    row.edit = new QLineEdit(kDesignDirectory, row.box);
    row.edit->setObjectName(editName);
    row.edit->setGeometry(12, 17, 271, 21);
    row.browse = new QPushButton(row.box);
    row.browse->setObjectName("bDir");
    row.browse->setGeometry(288, 16, 23, 24);
    row.browse->setIcon(QIcon(BrowseGlyph()));
    row.browse->setIconSize(QSize(16, 16));
    row.browse->setAutoDefault(false);
    row.title->raise();
    return row;
}

} // namespace

QGroupBox* MakeGroupBox(QWidget* parent, const char* boxName, const char* labelName,
                        const QString& title, QRect geometry, QLabel** titleLabel) {
    auto* box = new QGroupBox(parent);
    box->setObjectName(boxName);
    box->setGeometry(geometry);
    auto* label = new QLabel(title, box);
    label->setObjectName(labelName);
    // Drawn over the box's border line, which must not show through the text.
    label->setAutoFillBackground(true);
    label->move(8, 0);
    label->adjustSize();
    *titleLabel = label;
    return box;
}

TFFrameBase::TFFrameBase(QWidget* parent) : QWidget(parent) {
    resize(320, 245);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

TFFramePrograma::TFFramePrograma(QWidget* parent) : TFFrameBase(parent) {
    setObjectName("TFFramePrograma");
    resize(340, 245);
    row_ = MakeDirectoryRow(this, "gbEditPrograma", "lbEditPrograma", "eDirPrograma",
                            QRect(10, 90, 320, 49));
}

TFFrameInstalar::TFFrameInstalar(QWidget* parent) : TFFrameBase(parent) {
    setObjectName("TFFrameInstalar");
    resize(340, 245);
    row_ = MakeDirectoryRow(this, "gbInstalar1", "lbDirInstalar", "eDirInstalar",
                            QRect(10, 40, 320, 49));
    row_.edit->setEnabled(false);
    row_.browse->setEnabled(false);

    QLabel* title = nullptr;
    QGroupBox* box =
        MakeGroupBox(this, "gbInstalar2", "lbInstalando", QStringLiteral(" INSTALANDO PROGRAMA "),
                     QRect(10, 105, 320, 107), &title);
    auto label = [box](const char* name, const QString& text, QRect r) {
        auto* l = new QLabel(text, box);
        l->setObjectName(name);
        l->setGeometry(r);
        return l;
    };
    stDe_ = label("stDe", QStringLiteral("Extrayendo de:"), QRect(11, 23, 300, 13));
    label("stCopiar", QStringLiteral("Copiando a:"), QRect(22, 41, 61, 17));
    stText_ = label("stText", QString(), QRect(85, 42, 219, 17));
    progress_ = new QProgressBar(box);
    progress_->setObjectName("pbProgreso");
    progress_->setGeometry(16, 64, 289, 16);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    title->raise();
}

} // namespace vexo::ui
