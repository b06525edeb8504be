// QtFolderBrowser.cpp - the directory dialog over the prefix's drives.
#include "ui/qt/QtFolderBrowser.h"

#include "platform/Encoding.h"
#include "platform/Paths.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace vexo::ui {

QString HostStartDirectory(std::string_view windowsPath) {
    std::string path(windowsPath);
    // Walk up until a directory exists on the host: the dialog cannot start in a missing one.
    for (;;) {
        if (auto host = platform::HostPath(path)) {
            QFileInfo info(QString::fromStdString(*host));
            if (info.isDir()) return info.absoluteFilePath();
        }
        std::size_t cut = path.find_last_of('\\', path.size() > 1 ? path.size() - 2 : 0);
        if (cut == std::string::npos || cut < 2) break;
        path.resize(cut + 1);
    }
    auto drive = platform::HostPath("C:\\");
    return drive ? QString::fromStdString(*drive) : QDir::homePath();
}

std::string WindowsPathOf(const QString& hostPath) {
    return platform::WindowsPath(QDir::cleanPath(hostPath).toStdString());
}

bool QtFolderBrowser::BrowseForFolder(void* owner, std::string& path, std::string_view title,
                                      bool newStyle) {
    QWidget* parent = owner ? static_cast<QWidget*>(owner) : owner_;
    QFileDialog::Options options = QFileDialog::ShowDirsOnly;
    if (!newStyle) options |= QFileDialog::DontUseNativeDialog;
    QString chosen = QFileDialog::getExistingDirectory(
        parent, QString::fromStdString(platform::Cp1252ToUtf8(title)), HostStartDirectory(path),
        options);
    if (chosen.isEmpty()) return false;
    path = WindowsPathOf(chosen);
    return true;
}

} // namespace vexo::ui
