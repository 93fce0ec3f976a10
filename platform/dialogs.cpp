#include "platform/dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "platform/display_text.h"

std::string QtFilterFromPairs(const std::string& pairs) {
    const QStringList parts = DisplayText(pairs).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;")).toStdString();
}

bool QtDialogs::AskYesNo(QWidget* parent, const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, DisplayText(caption), DisplayText(text),
                    QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void QtDialogs::ShowMessage(QWidget* parent, const std::string& caption, const std::string& text,
                            Icon icon) {
    const QMessageBox::Icon qtIcon = icon == Icon::Error         ? QMessageBox::Critical
                                     : icon == Icon::Information ? QMessageBox::Information
                                                                 : QMessageBox::NoIcon;
    QMessageBox box(qtIcon, DisplayText(caption), DisplayText(text), QMessageBox::NoButton, parent);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

namespace {
void Configure(QFileDialog& dialog, const FileDialogOptions& options) {
    if (!options.title.empty()) dialog.setWindowTitle(DisplayText(options.title));
    dialog.setNameFilter(DisplayText(QtFilterFromPairs(options.filter)));
    if (!options.defaultSuffix.empty()) dialog.setDefaultSuffix(DisplayText(options.defaultSuffix));
    if (!options.directory.empty()) dialog.setDirectory(DisplayText(options.directory));
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
}
}  // namespace

std::optional<std::vector<std::string>> QtDialogs::OpenFiles(QWidget* parent,
                                                             const FileDialogOptions& options) {
    QFileDialog dialog(parent);
    Configure(dialog, options);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(options.multiSelect ? QFileDialog::ExistingFiles
                       : options.mustExist ? QFileDialog::ExistingFile
                                           : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    std::vector<std::string> chosen;
    for (const QString& file : dialog.selectedFiles()) chosen.push_back(PathBytes(file));
    return chosen;
}

std::optional<std::string> QtDialogs::SaveFile(QWidget* parent, const FileDialogOptions& options) {
    QFileDialog dialog(parent);
    Configure(dialog, options);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return PathBytes(dialog.selectedFiles().front());
}

std::optional<std::string> QtDialogs::BrowseFolder(QWidget* parent, const std::string& title) {
    const QString folder = QFileDialog::getExistingDirectory(parent, DisplayText(title));
    if (folder.isEmpty()) return std::nullopt;
    std::string path = PathBytes(folder);
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}
