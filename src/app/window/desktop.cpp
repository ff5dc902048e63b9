#include "app/window/desktop.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

bool SystemDesktop::askYesNo(QWidget* parent, const QString& title, const QString& text)
{
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
        == QMessageBox::Yes;
}

SaveChoice SystemDesktop::askSave(QWidget* parent, const QString& title, const QString& text)
{
    switch (QMessageBox::question(parent, title, text,
                                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                  QMessageBox::Save)) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

std::optional<QString> SystemDesktop::chooseFile(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> SystemDesktop::chooseFolder(QWidget* parent, const QString& caption)
{
    const QString folder = QFileDialog::getExistingDirectory(parent, caption);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

void SystemDesktop::tellFailure(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::warning(parent, title, text);
}

void SystemDesktop::openUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

bool openWebAddress(Desktop& desktop, const QString& address)
{
    const QUrl url(address.trimmed());
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        || url.host().isEmpty())
        return false;
    desktop.openUrl(url);
    return true;
}
