// AppInterface: the loaded interface definition. It builds the main window,
// the wait and save-error panels and the log window from their Designer
// forms, creates the controller, connects the outlets and actions (with the
// keyboard shortcuts of a desktop application) and sends awakeFromNib.
#pragma once

#include "ui_LogWindow.h"
#include "ui_MainWindow.h"
#include "ui_SaveErrorPanel.h"
#include "ui_WaitPanel.h"

#include <QComboBox>
#include <QDialog>
#include <QWidget>

#include <memory>

class MyObject;
class MyWindow;

class AppInterface {
public:
    // Loads the interface around `controller` (a new MyObject when null); the
    // interface owns the controller from then on.
    explicit AppInterface(std::unique_ptr<MyObject> controller = nullptr);
    ~AppInterface();
    AppInterface(const AppInterface&) = delete;
    AppInterface& operator=(const AppInterface&) = delete;

    MyObject* controller() const { return controller_.get(); }
    MyWindow* window() const { return window_.get(); }

    Ui::MainWindow main;
    Ui::WaitPanel wait;
    Ui::SaveErrorPanel saveError;
    Ui::LogWindow log;

    QDialog* waitPanel = nullptr;
    QDialog* saveErrorPanel = nullptr;
    QWidget* logWindow = nullptr;

    // The keys the Help menu lists.
    static QString keysText();

    // Made here rather than in the form: the Edit menu's snapshot commands
    // and the snapshot format beside the compression slider.
    QAction* actionCopySnapshot = nullptr;
    QAction* actionProvenance = nullptr;
    QComboBox* snapshotFormat = nullptr;

private:
    // Routes keys where the window's shortcuts would take them wrongly.
    struct KeyRouter : QObject {
        QWidget* view = nullptr;
        QWidget* scale = nullptr;
        bool eventFilter(QObject* watched, QEvent* event) override;
    };

    void enableMovieCommands(bool on);
    void connectOutlets();
    void connectActions();
    void addSnapshotCommands();

    KeyRouter keys_;
    std::unique_ptr<MyObject> controller_;
    std::unique_ptr<MyWindow> window_;
};
