// AppInterface: the loaded interface definition.
#include "AppInterface.h"

#include "MyObject.h"
#include "MyQuickDrawView.h"
#include "MyWindow.h"

#include <QApplication>
#include <QBoxLayout>
#include <QMenu>

AppInterface::AppInterface(std::unique_ptr<MyObject> controller)
    : controller_(controller ? std::move(controller) : std::make_unique<MyObject>()),
      window_(std::make_unique<MyWindow>()) {
    main.setupUi(window_.get());

    // The panels and the log window belong to the main window; none of them
    // keeps the application running once the main window is closed.
    waitPanel = new QDialog(window_.get());
    wait.setupUi(waitPanel);
    saveErrorPanel = new QDialog(window_.get());
    saveError.setupUi(saveErrorPanel);
    logWindow = new QWidget(window_.get(), Qt::Window);
    log.setupUi(logWindow);
    for (QWidget* w :
         {static_cast<QWidget*>(waitPanel), static_cast<QWidget*>(saveErrorPanel), logWindow})
        w->setAttribute(Qt::WA_QuitOnClose, false);

    addSnapshotCommands();
    connectOutlets();
    connectActions();

    controller_->awakeFromNib();
    main.myView->awakeFromNib();

    // The movie view has the keyboard at start-up, so that the arrows, Home
    // and Space step through the movie rather than edit a size field; ending
    // an edit with Return hands the keyboard back to it.
    main.myView->setFocusPolicy(Qt::ClickFocus);
    main.myView->setFocus();
    for (QLineEdit* field : {main.ResultXSize, main.ResultYSize})
        QObject::connect(field, &QLineEdit::returnPressed, main.myView,
                         [this] { main.myView->setFocus(); });
    window_->addActions({main.actionOpen, main.actionSnapshot, main.actionQuit,
                         main.actionFirstFrame, main.actionPreviousFrame, main.actionNextFrame,
                         main.actionPlayAll, actionCopySnapshot});
}

namespace {

// The box layout that holds `w`, searched from `layout` down.
QBoxLayout* boxHolding(QLayout* layout, QWidget* w) {
    if (!layout) return nullptr;
    if (layout->indexOf(w) >= 0) return qobject_cast<QBoxLayout*>(layout);
    for (int i = 0; i < layout->count(); ++i)
        if (QBoxLayout* box = boxHolding(layout->itemAt(i)->layout(), w)) return box;
    return nullptr;
}

} // namespace

void AppInterface::addSnapshotCommands() {
    auto* edit = new QMenu(QObject::tr("&Edit"), main.menubar);
    main.menubar->insertMenu(main.movieMenu->menuAction(), edit);
    actionCopySnapshot = edit->addAction(QObject::tr("&Copy Snapshot"));
    actionCopySnapshot->setShortcut(QKeySequence::Copy);
    actionCopySnapshot->setToolTip(
        QObject::tr("Put the snapshot (crop, size and interpolation applied) on the clipboard"));
    edit->addSeparator();
    actionProvenance = edit->addAction(QObject::tr("Write &Provenance into Snapshots"));
    actionProvenance->setCheckable(true);
    actionProvenance->setChecked(MyObject::provenancePreference());
    main.myView->provenance = actionProvenance->isChecked();

    snapshotFormat = new QComboBox(main.compressionSlider->parentWidget());
    snapshotFormat->addItems({QStringLiteral("JPEG"), QStringLiteral("PNG")});
    snapshotFormat->setToolTip(QObject::tr(
        "The format the save dialog proposes; PNG is lossless and takes no compression"));
    if (QBoxLayout* box =
            boxHolding(main.compressionSlider->parentWidget()->layout(), main.compressionLabel))
        box->insertWidget(box->indexOf(main.compressionLabel), snapshotFormat);
}

// The window (and with it the view and its frame source) goes before the
// controller it reports to.
AppInterface::~AppInterface() {
    if (main.myView) main.myView->cleanUpForExit();
    window_.reset();
}

void AppInterface::connectOutlets() {
    MyObject& c = *controller_;
    c.ActualSizeButton = main.ActualSizeButton;
    c.compressionSlider = main.compressionSlider;
    c.frameNumber = main.frameNumber;
    c.interlaceSwitch = main.interlaceSwitch;
    c.cropSwitch = main.cropSwitch;
    c.MovieStats = main.MovieStats;
    c.logView = log.logView;
    c.logWindow = logWindow;
    c.myView = main.myView;
    c.myWindow = window_.get();
    c.OptionsButton = main.OptionsButton;
    c.ResultXSize = main.ResultXSize;
    c.ResultYSize = main.ResultYSize;
    c.ResultSize = main.ResultSize;
    c.saveErrorPanel = saveErrorPanel;
    c.ScaleFactor = main.ScaleFactor;
    c.ScalingMethod = main.ScalingMethod;
    c.shuttle = main.shuttle;
    c.slider = main.slider;
    c.waitPanel = waitPanel;
    c.snapshotFormat = snapshotFormat;

    main.myView->myObject = &c;
    main.myView->movieFrameButton = main.movieFrameButton;
    window_->myObject = &c;
}

void AppInterface::connectActions() {
    MyObject* c = controller_.get();
    auto onTrigger = [c](QAction* a, void (MyObject::*action)(QObject*)) {
        QObject::connect(a, &QAction::triggered, c, [c, a, action] { (c->*action)(a); });
    };
    auto onClick = [c](QAbstractButton* b, void (MyObject::*action)(QObject*)) {
        QObject::connect(b, &QAbstractButton::clicked, c, [c, b, action] { (c->*action)(b); });
    };

    onTrigger(main.actionOpen, &MyObject::openDocument);
    onTrigger(main.actionSnapshot, &MyObject::snapFrame);
    onTrigger(main.actionFirstFrame, &MyObject::firstFrame);
    onTrigger(main.actionPreviousFrame, &MyObject::previousFrame);
    onTrigger(main.actionNextFrame, &MyObject::nextFrame);
    onTrigger(main.actionPlayAll, &MyObject::playAll);
    onTrigger(actionCopySnapshot, &MyObject::copySnapshot);
    QObject::connect(actionProvenance, &QAction::toggled, c,
                     [c, this] { c->setProvenance(actionProvenance); });
    QObject::connect(snapshotFormat, &QComboBox::currentIndexChanged, c,
                     [c, this] { c->setSnapshotFormat(snapshotFormat); });
    QObject::connect(main.actionQuit, &QAction::triggered, window_.get(), &QWidget::close);

    onClick(main.snapButton, &MyObject::snapFrame);
    onClick(main.firstButton, &MyObject::firstFrame);
    onClick(main.previousButton, &MyObject::previousFrame);
    onClick(main.nextButton, &MyObject::nextFrame);
    onClick(main.playButton, &MyObject::playAll);

    // The "1:1" button carries no action of its own in the layout of the
    // controls; here it does what its label says and returns to the source size.
    QObject::connect(main.ActualSizeButton, &QAbstractButton::clicked, c,
                     [c] { c->resetScaleSlider(); });

    QObject::connect(main.slider, &QSlider::valueChanged, c,
                     [c, this] { c->setFrame(main.slider); });
    QObject::connect(main.ScaleFactor, &QSlider::valueChanged, c,
                     [c, this] { c->ChangeScaleFactor(main.ScaleFactor); });
    QObject::connect(main.ResultXSize, &QLineEdit::editingFinished, c,
                     [c, this] { c->setXSize(intValueOf(main.ResultXSize->text())); });
    QObject::connect(main.ResultYSize, &QLineEdit::editingFinished, c,
                     [c, this] { c->setYSize(intValueOf(main.ResultYSize->text())); });
    QObject::connect(main.interlaceSwitch, &QAbstractButton::clicked, c,
                     [c, this] { c->setInterlacing(main.interlaceSwitch); });
    QObject::connect(main.cropSwitch, &QAbstractButton::clicked, c,
                     [c, this] { c->setCropping(main.cropSwitch); });
}
