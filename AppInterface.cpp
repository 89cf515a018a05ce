// AppInterface: the loaded interface definition.
#include "AppInterface.h"

#include "MyObject.h"
#include "MyQuickDrawView.h"
#include "MyWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>

QString AppInterface::keysText() {
    return QObject::tr("<table>"
                       "<tr><td>Right / Left</td><td>next / previous frame</td></tr>"
                       "<tr><td>Home</td><td>first frame</td></tr>"
                       "<tr><td>Space</td><td>play / stop</td></tr>"
                       "<tr><td>Esc</td><td>stop; leave a size field</td></tr>"
                       "<tr><td>Ctrl+R</td><td>crop on / off</td></tr>"
                       "<tr><td>Ctrl+I</td><td>interlaced on / off</td></tr>"
                       "<tr><td>Ctrl+O</td><td>open a movie</td></tr>"
                       "<tr><td>Ctrl+S</td><td>save a snapshot</td></tr>"
                       "<tr><td>Ctrl+C</td><td>copy the snapshot</td></tr>"
                       "<tr><td>Tab</td><td>next control</td></tr>"
                       "<tr><td>F1</td><td>this list</td></tr>"
                       "</table>");
}
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
                         main.actionPlayAll, main.actionStop, main.actionCrop,
                         main.actionInterlaced, main.actionKeys, actionCopySnapshot});
    // Escape in a size field ends the edit, as Return does; the Scale slider
    // keeps its arrow keys.
    for (QWidget* w :
         {static_cast<QWidget*>(main.ResultXSize), static_cast<QWidget*>(main.ResultYSize),
          static_cast<QWidget*>(main.ScaleFactor)})
        w->installEventFilter(&keys_);
    keys_.view = main.myView;
    keys_.scale = main.ScaleFactor;
    // Tab visits the controls in reading order.
    const QList<QWidget*> order = {
        main.firstButton,   main.previousButton,    main.playButton,      main.nextButton,
        main.slider,        main.shuttle,           main.interlaceSwitch, main.cropSwitch,
        main.ScaleFactor,   main.ActualSizeButton,  main.ResultXSize,     main.ResultYSize,
        main.ScalingMethod, main.compressionSlider, main.snapButton};
    for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
    enableMovieCommands(false);
}

bool AppInterface::KeyRouter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == scale) {
        // The slider's own arrows move the scale, not the movie.
        if (event->type() == QEvent::ShortcutOverride &&
            (key == Qt::Key_Left || key == Qt::Key_Right))
            event->accept();
        return false;
    }
    if (key == Qt::Key_Escape) {
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return false;
        }
        view->setFocus(); // the edit ends as the field loses the keyboard
        return true;
    }
    return false;
}

void AppInterface::enableMovieCommands(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{main.snapButton, main.playButton,
                                                      main.firstButton, main.previousButton,
                                                      main.nextButton, main.slider, main.shuttle})
        w->setEnabled(on);
    for (QAction* a :
         {main.actionSnapshot, main.actionPlayAll, main.actionStop, main.actionFirstFrame,
          main.actionPreviousFrame, main.actionNextFrame, actionCopySnapshot})
        a->setEnabled(on);
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
    // The box takes the compression label's place ("JPEG ---o--- quality
    // high" reads as well), so that the row still fits an 800-pixel screen.
    if (QBoxLayout* box =
            boxHolding(main.compressionSlider->parentWidget()->layout(), main.compressionLabel)) {
        box->insertWidget(box->indexOf(main.compressionLabel), snapshotFormat);
        main.compressionLabel->hide();
    }
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
    QObject::connect(main.actionStop, &QAction::triggered, c, &MyObject::stopPlaying);
    // Play turns into Stop while playing.
    QObject::connect(c, &MyObject::playingChanged, main.playButton, [this](bool playing) {
        main.playButton->setText(playing ? QObject::tr("Stop") : QObject::tr("Play"));
    });
    QObject::connect(main.myView, &MyQuickDrawView::movieChanged, main.playButton,
                     [this](bool on) { enableMovieCommands(on); });
    // The menu's Crop and Interlaced are the switches' twins.
    QObject::connect(main.actionCrop, &QAction::triggered, main.cropSwitch,
                     &QAbstractButton::click);
    QObject::connect(main.cropSwitch, &QAbstractButton::toggled, main.actionCrop,
                     &QAction::setChecked);
    QObject::connect(main.actionInterlaced, &QAction::triggered, main.interlaceSwitch,
                     &QAbstractButton::click);
    QObject::connect(main.interlaceSwitch, &QAbstractButton::toggled, main.actionInterlaced,
                     &QAction::setChecked);
    QObject::connect(main.actionKeys, &QAction::triggered, window_.get(), [this] {
        QMessageBox::information(window_.get(), QObject::tr("Keys"), keysText());
    });
    QObject::connect(main.actionAbout, &QAction::triggered, window_.get(), [this] {
        QMessageBox::about(
            window_.get(), QObject::tr("About MovieSnap"),
            QObject::tr("<b>MovieSnap %1</b><p>Steps through a movie frame by frame and saves "
                        "exact stills as JPEG or PNG files.</p>")
                .arg(QCoreApplication::applicationVersion()));
    });
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

    // Dragged, the position slider scrubs; released (or moved by key or
    // click) it shows the exact frame.
    QObject::connect(main.slider, &QSlider::valueChanged, c, [c, this] {
        if (main.slider->isSliderDown())
            c->scrubFrame(main.slider);
        else
            c->setFrame(main.slider);
    });
    QObject::connect(main.slider, &QSlider::sliderReleased, c,
                     [c, this] { c->setFrame(main.slider); });
    QObject::connect(main.ScaleFactor, &QSlider::valueChanged, c, [c, this] {
        c->ChangeScaleFactor(main.ScaleFactor);
        main.scaleValue->setText(MyObject::scaleText(main.ScaleFactor->value()));
    });
    QObject::connect(
        main.compressionSlider, &QSlider::valueChanged, main.compressionValue,
        [this](int v) { main.compressionValue->setText(MyObject::compressionText(v)); });
    main.compressionValue->setText(MyObject::compressionText(main.compressionSlider->value()));
    QObject::connect(main.ResultXSize, &QLineEdit::editingFinished, c,
                     [c, this] { c->setXSize(intValueOf(main.ResultXSize->text())); });
    QObject::connect(main.ResultYSize, &QLineEdit::editingFinished, c,
                     [c, this] { c->setYSize(intValueOf(main.ResultYSize->text())); });
    QObject::connect(main.interlaceSwitch, &QAbstractButton::clicked, c,
                     [c, this] { c->setInterlacing(main.interlaceSwitch); });
    QObject::connect(main.cropSwitch, &QAbstractButton::clicked, c,
                     [c, this] { c->setCropping(main.cropSwitch); });
}
