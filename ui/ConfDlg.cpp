#include "ui/ConfDlg.h"
#include "ui/FindConvertersDlg.h"

#include "config/ConfigFile.h"
#include "config/Fields.h"
#include "operations/ConfigFileLoad.h"
#include "platform/FileIo.h"
#include "ui/AboutDlg.h"
#include "ui/DataExchange.h"
#include "ui/MainWindowTemplate.h"
#include "ui/SettingsDialogs.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>

#include <algorithm>
#include <utility>

static void initVarnadexResources() {
    Q_INIT_RESOURCE(varnadex);
}

namespace varnadex::ui {

using namespace mainwin;

void initUiResources() {
    initVarnadexResources();
}

QStringList serialPortChoices(const QString& deviceDirectory) {
    QStringList ports;
    for (int n = 1; n <= 16; ++n)
        ports << QStringLiteral("COM%1").arg(n);

    const QDir dir(deviceDirectory);
    QStringList devices = dir.entryList(
        {QStringLiteral("ttyS*"), QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")},
        QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    // ttyS2 before ttyS10.
    auto split = [](const QString& name) {
        qsizetype digits = name.size();
        while (digits > 0 && name[digits - 1].isDigit())
            --digits;
        return std::pair{name.left(digits), name.mid(digits).toULongLong()};
    };
    std::sort(devices.begin(), devices.end(),
              [&](const QString& a, const QString& b) { return split(a) < split(b); });
    for (const QString& d : devices)
        ports << dir.filePath(d);
    return ports;
}

namespace {

QString toQ(const std::string& text) {
    return QString::fromStdString(text);
}
std::string toStd(const QString& text) {
    return text.toStdString();
}

// The wait cursor for the length of one blocking operation.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString configFileFilter() {
    return QStringLiteral("Configuration (*.json);;All Files (*)");
}

} // namespace

CConfDlg::CConfDlg(CConfApp& app, int enableMac, IOperations& operations, IMessageSink& sink,
                   QWidget* parent)
    : QDialog(parent), app_(app), operations_(operations), sink_(sink),
      built_((initUiResources(), *this), mainWindowTemplate(), app.language == 1) {
    config.enableMac = enableMac;
    config.firmwareVersion = app.messageCatalogue.text(Msg::Unknown);
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    auto button = [this](int id) { return built_.get<QPushButton>(id); };
    connect(button(kQuit), &QPushButton::clicked, this, &CConfDlg::accept);
    connect(button(kReadConf), &QPushButton::clicked, this, &CConfDlg::OnReadConf);
    connect(button(kWriteConf), &QPushButton::clicked, this, &CConfDlg::OnWriteConf);
    connect(button(kReset), &QPushButton::clicked, this, &CConfDlg::OnReset);
    connect(button(kFirmwareUpg), &QPushButton::clicked, this, &CConfDlg::OnFirmwareUpg);
    connect(button(kSerialSettings), &QPushButton::clicked, this, &CConfDlg::OnSerialPortSettings);
    connect(button(kAdvancedSettings), &QPushButton::clicked, this, &CConfDlg::OnAdvancedSettings);
    connect(button(kNetworkSettings), &QPushButton::clicked, this, &CConfDlg::OnNetworkSettings);
    connect(button(kRemoteSettings), &QPushButton::clicked, this,
            &CConfDlg::OnRemoteConfigSettings);
    // Clicks only, as the user makes them: showing the record never changes what is enabled.
    connect(built_.get<QRadioButton>(kNetworkRadio), &QRadioButton::clicked, this,
            &CConfDlg::OnNetworkRadio);
    connect(built_.get<QRadioButton>(kComPortRadio), &QRadioButton::clicked, this,
            &CConfDlg::OnComPortRadio);

    connect(button(kCancelOperation), &QPushButton::clicked, this, &CConfDlg::OnCancelOperation);

    firmwareTimer_.setInterval(1000);
    connect(&firmwareTimer_, &QTimer::timeout, this, &CConfDlg::OnTimer);
    // Emitted on the worker thread, shown on this one.
    connect(this, &CConfDlg::registerProgress, this, &CConfDlg::showRegisterProgress,
            Qt::QueuedConnection);

    buildMenu();
    OnInitDialog();
}

// Desktops on this platform give a program no system menu of its own, so About joins the
// configuration files in a menu bar above the template's controls.
void CConfDlg::buildMenu() {
    const bool english = app_.language == 1;
    auto* bar = new QMenuBar(this);
    bar->setNativeMenuBar(false);
    const std::map<int, void (CConfDlg::*)()> handlers{
        {kOpenConfiguration, &CConfDlg::OnOpenConfiguration},
        {kSaveConfiguration, &CConfDlg::OnSaveConfiguration},
        {kFindConverters, &CConfDlg::OnFindConverters},
        {kQuit, &CConfDlg::accept},
        {kAboutCommand, &CConfDlg::OnAbout},
    };
    for (const MenuTemplate& m : mainMenuTemplate()) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(english ? m.english : m.hungarian));
        for (const MenuItemTemplate& item : m.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action =
                menu->addAction(QString::fromUtf8(english ? item.english : item.hungarian));
            if (item.shortcut) action->setShortcut(QKeySequence(QString::fromUtf8(item.shortcut)));
            connect(action, &QAction::triggered, this, handlers.at(item.id));
            // Shortcuts count while the window has the focus, the menu closed.
            addAction(action);
            menuCommands_[item.id] = action;
        }
    }
    const int barHeight = bar->sizeHint().height();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != bar && !child->isWindow()) child->move(child->x(), child->y() + barHeight);
    bar->setGeometry(0, 0, width(), barHeight);
    setFixedSize(width(), height() + barHeight);
}

QAction* CConfDlg::menuCommand(int id) const {
    const auto it = menuCommands_.find(id);
    return it == menuCommands_.end() ? nullptr : it->second;
}

CConfDlg::~CConfDlg() {
    if (worker_) {
        // The worker may be waiting for a box on this thread: keep showing them until it
        // has stopped between two exchanges.
        interruption_.request();
        disconnect(worker_, nullptr, this, nullptr);
        while (!worker_->wait(QDeadlineTimer(20)))
            QCoreApplication::processEvents();
        delete worker_;
        worker_ = nullptr;
        QApplication::restoreOverrideCursor();
    }
    // The window owns the transfer's file and port; they close with it.
    if (operations_.firmwareRunning()) operations_.FirmwareAbort();
}

void CConfDlg::OnInitDialog() {
    auto* combo = built_.get<QComboBox>(kComPort);
    combo->addItems(serialPortChoices());
    combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + 24);
    DoDataExchange(false);
    config.applyLateDefaults();
}

void CConfDlg::DoDataExchange(bool save) {
    auto* combo = built_.get<QComboBox>(kComPort);
    QButtonGroup* mode = built_.radioGroup(kComPortRadio);
    auto* host = built_.get<QLineEdit>(kHost);
    auto* version = built_.get<QLineEdit>(kFirmwareVersion);
    auto* community = built_.get<QLineEdit>(kCommunity);

    // As the speed box: a port that no entry names whole is shown as typed. Selecting the first
    // entry that merely begins with the text would show "COM" as COM1, and the next operation
    // would open COM1 unasked.
    DataExchange(save ? DataExchange::Mode::SaveSilently : DataExchange::Mode::Show, sink_)
        .comboEditable(combo, config.comPort);
    if (save) {
        config.accessMode = mode->checkedId();
        config.agentHost = toStd(host->text());
        config.firmwareVersion = toStd(version->text());
        config.accessCommunity = toStd(community->text());
        return;
    }

    // A value with no button of its own leaves every button unchecked.
    mode->setExclusive(false);
    for (QAbstractButton* b : mode->buttons())
        b->setChecked(mode->id(b) == config.accessMode);
    mode->setExclusive(true);

    host->setText(toQ(config.agentHost));
    version->setText(toQ(config.firmwareVersion));
    community->setText(toQ(config.accessCommunity));
}

void CConfDlg::OnNetworkRadio() {
    built_.control(kHost)->setEnabled(true);
    built_.control(kCommunity)->setEnabled(true);
    built_.control(kComPort)->setEnabled(false);
    built_.control(kFirmwareUpg)->setEnabled(false);
}

void CConfDlg::OnComPortRadio() {
    built_.control(kHost)->setEnabled(false);
    built_.control(kCommunity)->setEnabled(false);
    built_.control(kComPort)->setEnabled(true);
    built_.control(kFirmwareUpg)->setEnabled(true);
}

void CConfDlg::OnReadConf() {
    startOperation(Operation::Read);
}

void CConfDlg::OnWriteConf() {
    startOperation(Operation::Write);
}

void CConfDlg::OnReset() {
    startOperation(Operation::Reset);
}

void CConfDlg::startOperation(Operation which) {
    if (worker_ || operations_.firmwareRunning()) return;
    DoDataExchange(true);
    workRecord_ = config;
    running_ = which;
    interruption_.clear();
    operations_.setControl(
        {&interruption_, [this](int done, int total) { emit registerProgress(done, total); }, {}});
    showRegisterProgress(0, 1);
    focusBefore_ = focusWidget();
    lockControls(true);
    // Only a transfer of the whole configuration stops between exchanges; a restart is one.
    built_.control(kCancelOperation)->setEnabled(which != Operation::Reset);
    QApplication::setOverrideCursor(Qt::BusyCursor);

    worker_ = QThread::create([this, which] {
        switch (which) {
        case Operation::Read:
            operations_.ReadConf(workRecord_);
            break;
        case Operation::Write:
            operations_.WriteConf(workRecord_);
            break;
        case Operation::Reset:
            operations_.Reset(workRecord_);
            break;
        }
    });
    connect(worker_, &QThread::finished, this, &CConfDlg::endOperation);
    worker_->start();
}

void CConfDlg::endOperation() {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    operations_.setControl({});
    QApplication::restoreOverrideCursor();
    // Also after a failure or a stop: the operation leaves the record as it should be
    // shown. A restart changes nothing in it.
    if (running_ != Operation::Reset) {
        config = workRecord_;
        DoDataExchange(false);
    }
    showRegisterProgress(0, 1);
    built_.control(kCancelOperation)->setEnabled(false);
    lockControls(false);
    // Locking moved the keyboard on; a keyboard user goes on from the button they pressed.
    if (focusBefore_ && focusBefore_->isEnabled()) focusBefore_->setFocus();
    if (endWith_ >= 0) {
        const int result = std::exchange(endWith_, -1);
        if (result == QDialog::Accepted) DoDataExchange(true);
        QDialog::done(result);
    }
}

void CConfDlg::OnCancelOperation() {
    if (!worker_) return;
    interruption_.request();
    // Said once: the procedure shows what the stop left behind.
    built_.control(kCancelOperation)->setEnabled(false);
}

void CConfDlg::showRegisterProgress(int done, int total) {
    auto* bar = built_.get<QProgressBar>(kProgress);
    bar->setRange(0, std::max(total, 1));
    bar->setValue(std::clamp(done, 0, std::max(total, 1)));
}

void CConfDlg::lockControls(bool lock) {
    // Everything the operation reads (the access settings, and the record that the settings
    // dialogs and the configuration files change) and everything that would start another.
    std::vector<QObject*> locked;
    for (int id :
         {kReadConf, kWriteConf, kReset, kFirmwareUpg, kComPort, kComPortRadio, kNetworkRadio,
          kHost, kCommunity, kSerialSettings, kAdvancedSettings, kNetworkSettings, kRemoteSettings})
        locked.push_back(built_.control(id));
    for (int id : {kOpenConfiguration, kSaveConfiguration})
        locked.push_back(menuCommand(id));
    for (QObject* o : locked) {
        auto* w = qobject_cast<QWidget*>(o);
        auto* a = qobject_cast<QAction*>(o);
        if (lock) {
            lockedStates_[o] = w ? w->isEnabled() : a->isEnabled();
            w ? w->setEnabled(false) : a->setEnabled(false);
        } else if (auto it = lockedStates_.find(o); it != lockedStates_.end()) {
            w ? w->setEnabled(it->second) : a->setEnabled(it->second);
        }
    }
    if (!lock) lockedStates_.clear();
}

void CConfDlg::OnOpenConfiguration() {
    if (worker_) return;
    const QString path =
        chooseConfigFile_
            ? chooseConfigFile_(false)
            : QFileDialog::getOpenFileName(this, QString(), QString(), configFileFilter());
    if (path.isEmpty()) return;
    const std::string name = QFile::encodeName(path).toStdString();
    // A box names the file as the file dialog showed it; a whole path would be cut short.
    const std::string shown = QFileInfo(path).fileName().toStdString();
    const MessageCatalogue& texts = app_.messageCatalogue;
    const LoadedConfig opened = loadConfigFile(name);
    if (opened.unreadable) {
        sink_.show(MessageKind::Error,
                   texts.extra(ExtraMsg::ConfigFileUnreadable, shown, *opened.unreadable));
        return;
    }
    if (!opened.config) {
        sink_.show(MessageKind::Error,
                   texts.extra(ExtraMsg::ConfigFileRefused, shown, texts.say(*opened.refused)));
        return;
    }
    // The file describes a converter; how this window reaches one stays as it is.
    DoDataExchange(true);
    ConverterConfig loaded = *opened.config;
    layAccessSettings(config, loaded);
    config = loaded;
    DoDataExchange(false);
    if (!opened.warnings.empty()) {
        std::string notes;
        for (const Problem& w : opened.warnings)
            notes += (notes.empty() ? "" : "\n") + texts.say(w);
        sink_.show(MessageKind::Warning, texts.extra(ExtraMsg::ConfigFileNotes, shown, notes));
    }
}

// A converter found on the network is reached over the network: its address goes into the
// host field and "Network" is chosen, as the user would do by hand.
void CConfDlg::OnFindConverters() {
    if (worker_) return;
    DoDataExchange(true);
    std::string host;
    if (findConverter_) {
        host = findConverter_();
    } else {
        CFindConvertersDlg finder(app_, config.agentHost, config.accessCommunity, this);
        if (finder.DoModal() == QDialog::Accepted) host = finder.chosenHost();
    }
    if (host.empty()) return;
    config.agentHost = host;
    config.accessMode = 1;
    DoDataExchange(false);
    OnNetworkRadio();
}

void CConfDlg::OnSaveConfiguration() {
    if (worker_) return;
    const QString path =
        chooseConfigFile_
            ? chooseConfigFile_(true)
            : QFileDialog::getSaveFileName(this, QString(), QStringLiteral("varnadex.json"),
                                           configFileFilter());
    if (path.isEmpty()) return;
    DoDataExchange(true);
    const std::string name = QFile::encodeName(path).toStdString();
    if (auto error = writeOutputFile(name, configToJson(config)))
        sink_.show(MessageKind::Error,
                   app_.messageCatalogue.extra(ExtraMsg::ConfigFileUnwritable,
                                               QFileInfo(path).fileName().toStdString(), *error));
}

void CConfDlg::OnFirmwareUpg() {
    if (operations_.firmwareRunning() || worker_) return; // one transfer at a time
    const QString path =
        chooseFile_
            ? chooseFile_()
            : QFileDialog::getOpenFileName(this, QString(), QString(),
                                           QStringLiteral("Firmware (*.qfw);;All Files (*)"));
    if (path.isEmpty()) return;
    DoDataExchange(true);
    bool started = false;
    {
        WaitCursor wait;
        started = operations_.FirmwareStart(config, QFile::encodeName(path).toStdString());
    }
    if (!started) return;
    setTransferring(true);
    showProgress();
    firmwareTimer_.start();
}

void CConfDlg::OnTimer() {
    // A tick that ends the transfer shows its outcome in a box, whose event loop would
    // otherwise run the next tick inside this one.
    if (inTick_ || !operations_.firmwareRunning()) {
        if (!inTick_ && firmwareTimer_.isActive()) {
            firmwareTimer_.stop();
            setTransferring(false);
        }
        return;
    }
    inTick_ = true;
    const bool more = operations_.FirmwareTick();
    inTick_ = false;
    showProgress();
    if (!more) {
        firmwareTimer_.stop();
        setTransferring(false);
    }
}

void CConfDlg::showProgress() {
    const FirmwareProgress p = operations_.firmwareProgress();
    auto* bar = built_.get<QProgressBar>(kProgress);
    // A file under 1000 bytes has a range of 0..0, which Qt would draw as a busy bar.
    const int maximum = std::max(p.maximum, 1);
    bar->setRange(0, maximum);
    bar->setValue(std::clamp(p.value, 0, maximum));
}

void CConfDlg::setTransferring(bool running) {
    // Besides the three buttons the transfer needs, nothing may start a second transfer or
    // change the port under it.
    for (int id :
         {kReadConf, kWriteConf, kReset, kFirmwareUpg, kComPort, kComPortRadio, kNetworkRadio})
        built_.control(id)->setEnabled(!running);
}

bool CConfDlg::mayEnd(int result) {
    if (worker_) {
        if (endWith_ >= 0) return false; // already asked; ending as soon as it has stopped
        if (!confirm(ExtraMsg::OperationAbortConfirm)) return false;
        if (!worker_) return true; // it ended while the question was open
        // The window ends when the operation has stopped between two exchanges and said
        // what it left behind.
        endWith_ = result;
        interruption_.request();
        built_.control(kCancelOperation)->setEnabled(false);
        return false;
    }
    if (!operations_.firmwareRunning()) return true;
    if (!confirm(ExtraMsg::FirmwareAbortConfirm)) return false;
    // The transfer may have ended while the question was open.
    if (operations_.firmwareRunning()) operations_.FirmwareAbort();
    firmwareTimer_.stop();
    setTransferring(false);
    return true;
}

bool CConfDlg::confirm(ExtraMsg which) {
    const QString question = toQ(app_.messageCatalogue.extra(which));
    return confirmClose_ ? confirmClose_(question)
                         : QMessageBox::question(this, windowTitle(), question,
                                                 QMessageBox::Yes | QMessageBox::No,
                                                 QMessageBox::No) == QMessageBox::Yes;
}

void CConfDlg::accept() {
    if (!mayEnd(QDialog::Accepted)) return;
    DoDataExchange(true);
    QDialog::accept();
}

void CConfDlg::reject() {
    if (!mayEnd(QDialog::Rejected)) return;
    QDialog::reject();
}

void CConfDlg::OnSerialPortSettings() {
    runSerialSettings(this, app_.language, sink_, config);
}
void CConfDlg::OnAdvancedSettings() {
    runAdvancedSettings(this, app_.language, sink_, config);
}
void CConfDlg::OnNetworkSettings() {
    runNetworkSettings(this, app_.language, sink_, config);
}
void CConfDlg::OnRemoteConfigSettings() {
    runRemoteConfigSettings(this, app_.language, sink_, config);
}

void CConfDlg::OnAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CConfDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    // English only, as the About box itself.
    menu.addAction(QStringLiteral("&About Varnadex..."), this, &CConfDlg::OnAbout);
    menu.exec(event->globalPos());
}

} // namespace varnadex::ui
