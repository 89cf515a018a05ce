#include "NavigationQt.h"

#include "FilePreview.h"
#include "Navigation.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QStringList>

#include <memory>

namespace {

QStringList qtFilters(const NavFileRequest& r) {
    QStringList list;
    for (const NavFileFilter& f : r.filters) {
        QStringList patterns;
        // Unix file dialogs match case-sensitively: offer both spellings.
        for (const std::string& e : f.extensions) {
            patterns << QStringLiteral("*.") + QString::fromStdString(e);
            patterns << QStringLiteral("*.") + QString::fromStdString(e).toUpper();
        }
        list << QStringLiteral("%1 (%2)").arg(QString::fromStdString(f.label), patterns.join(' '));
    }
    if (r.filters.empty() || r.allowAllFiles) list << QStringLiteral("All files (*)");
    return list;
}

class QtDialogProvider : public NavDialogProvider {
public:
    std::optional<std::string> getOpenPath(const NavFileRequest& r) override {
        return run(r, false);
    }
    std::optional<std::string> getSavePath(const NavFileRequest& r) override {
        return run(r, true);
    }

private:
    // The picture and facts of the selected file, right of the file list. Only
    // Qt's own dialog can take a widget, so a preview asks for that one.
    static void addPreview(QFileDialog& dialog) {
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
        if (!grid) return;
        auto* preview = new FilePreview(&dialog);
        grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
        QObject::connect(&dialog, &QFileDialog::currentChanged, preview, &FilePreview::showFile);
    }

    static std::optional<std::string> run(const NavFileRequest& r, bool save) {
        // Without a GUI application there is nobody to ask: that is a cancel.
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return std::nullopt;
        QFileDialog dialog(nullptr, QString::fromStdString(r.title),
                           QString::fromStdString(r.directory));
        dialog.setNameFilters(qtFilters(r));
        if (save) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            if (!r.filters.empty() && !r.filters.front().extensions.empty())
                dialog.setDefaultSuffix(QString::fromStdString(r.filters.front().extensions[0]));
            // A name typed without an extension takes that of the file type
            // picked (the dialog itself swaps an extension already typed).
            QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                             [&dialog, &r](const QString& filter) {
                                 const qsizetype i = qtFilters(r).indexOf(filter);
                                 if (i >= 0 && size_t(i) < r.filters.size() &&
                                     !r.filters[size_t(i)].extensions.empty())
                                     dialog.setDefaultSuffix(QString::fromStdString(
                                         r.filters[size_t(i)].extensions[0]));
                             });
            if (!r.defaultName.empty()) dialog.selectFile(QString::fromStdString(r.defaultName));
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
            if (r.preview) addPreview(dialog);
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().front().toStdString();
    }
};

} // namespace

void InstallQtDialogProvider() {
    SetNavDialogProvider(std::make_shared<QtDialogProvider>());
}
