// QtFolderBrowser.h - the folder browser as the toolkit's directory dialog.
#pragma once

#include "environment/FolderBrowser.h"

#include <QString>

#include <string>
#include <string_view>

class QWidget;

namespace vexo::ui {

/// Windows path (Windows-1252) to the host directory the dialog starts in; the nearest
/// existing ancestor when the path itself is missing, the prefix's drive C: at worst.
QString HostStartDirectory(std::string_view windowsPath);
/// A host directory chosen in the dialog to the Windows path the installer works with.
std::string WindowsPathOf(const QString& hostPath);

class QtFolderBrowser final : public environment::FolderBrowser {
  public:
    /// `owner` (a QWidget*) parents the dialog; null leaves it unowned.
    bool BrowseForFolder(void* owner, std::string& path, std::string_view title,
                         bool newStyle) override;
    void SetOwner(QWidget* owner) { owner_ = owner; }

  private:
    QWidget* owner_ = nullptr;
};

} // namespace vexo::ui
