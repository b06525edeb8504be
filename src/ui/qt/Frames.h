// Frames.h - the two frames shown in the window's frame host.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

namespace vexo::ui {

/// A 320 x 245 area with a white background.
class TFFrameBase : public QWidget {
    Q_OBJECT
  public:
    explicit TFFrameBase(QWidget* parent);
};

/// The directory row of both frames: the group box, its title label, the edit and the button.
struct DirectoryRow {
    QGroupBox* box = nullptr;
    QLabel* title = nullptr;
    QLineEdit* edit = nullptr;
    QPushButton* browse = nullptr;
};

/// Frame 1: the directory choice.
class TFFramePrograma : public TFFrameBase {
    Q_OBJECT
  public:
    explicit TFFramePrograma(QWidget* parent);
    QLineEdit* eDirPrograma() const { return row_.edit; }
    QPushButton* bDir() const { return row_.browse; }

  private:
    DirectoryRow row_;
};

/// Frame 2: the installation progress.
class TFFrameInstalar : public TFFrameBase {
    Q_OBJECT
  public:
    explicit TFFrameInstalar(QWidget* parent);
    QLineEdit* eDirInstalar() const { return row_.edit; }
    QLabel* stDe() const { return stDe_; }
    QLabel* stText() const { return stText_; }
    QProgressBar* pbProgreso() const { return progress_; }

  private:
    DirectoryRow row_;
    QLabel* stDe_ = nullptr;
    QLabel* stText_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

/// A group box whose title is drawn by a label laid over it, as the frames have it.
QGroupBox* MakeGroupBox(QWidget* parent, const char* boxName, const char* labelName,
                        const QString& title, QRect geometry, QLabel** titleLabel);

} // namespace vexo::ui
