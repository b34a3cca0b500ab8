#include "ui/ConfDlg.h"

#include "ui/AboutDlg.h"
#include "ui/DataExchange.h"
#include "ui/MainWindowTemplate.h"
#include "ui/SettingsDialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

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

    firmwareTimer_.setInterval(1000);
    connect(&firmwareTimer_, &QTimer::timeout, this, &CConfDlg::OnTimer);

    // Desktops on this platform give a program no system menu of its own, so the About box
    // is reached from the window's context menu and with F1.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &CConfDlg::OnAbout);

    OnInitDialog();
}

CConfDlg::~CConfDlg() {
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
    DoDataExchange(true);
    {
        WaitCursor wait;
        operations_.ReadConf(config);
    }
    // Also after a failure: the operation leaves the record as it should be shown.
    DoDataExchange(false);
}

void CConfDlg::OnWriteConf() {
    DoDataExchange(true);
    {
        WaitCursor wait;
        operations_.WriteConf(config);
    }
    DoDataExchange(false);
}

void CConfDlg::OnReset() {
    DoDataExchange(true);
    WaitCursor wait;
    operations_.Reset(config);
}

void CConfDlg::OnFirmwareUpg() {
    if (operations_.firmwareRunning()) return; // one transfer at a time
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

bool CConfDlg::mayEnd() {
    if (!operations_.firmwareRunning()) return true;
    const QString question = toQ(app_.messageCatalogue.extra(ExtraMsg::FirmwareAbortConfirm));
    const bool yes = confirmClose_ ? confirmClose_(question)
                                   : QMessageBox::question(this, windowTitle(), question,
                                                           QMessageBox::Yes | QMessageBox::No,
                                                           QMessageBox::No) == QMessageBox::Yes;
    if (!yes) return false;
    // The transfer may have ended while the question was open.
    if (operations_.firmwareRunning()) operations_.FirmwareAbort();
    firmwareTimer_.stop();
    setTransferring(false);
    return true;
}

void CConfDlg::accept() {
    if (!mayEnd()) return;
    DoDataExchange(true);
    QDialog::accept();
}

void CConfDlg::reject() {
    if (!mayEnd()) return;
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
