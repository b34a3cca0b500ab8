#pragma once

#include "app/ConfApp.h"
#include "app/Operations.h"
#include "config/ConverterConfig.h"
#include "ui/DialogBuilder.h"

#include <QDialog>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <string>

namespace varnadex::ui {

// Loads the artwork compiled into the widget library (needed once, before the first window).
void initUiResources();

// The ports the COM port drop-down offers: "COM1" to "COM16", then the serial devices that
// exist under `deviceDirectory` (ttyS*, ttyUSB*, ttyACM*), in natural order.
QStringList serialPortChoices(const QString& deviceDirectory = QStringLiteral("/dev"));

// The main window: shows the access settings and the firmware version, and starts every
// operation from its buttons. It owns the configuration record.
class CConfDlg : public QDialog {
    Q_OBJECT
public:
    CConfDlg(CConfApp& app, int enableMac, IOperations& operations, IMessageSink& sink,
             QWidget* parent = nullptr);
    ~CConfDlg() override;

    // Runs the window modally; the result is not used.
    int DoModal() { return exec(); }

    // save = true takes the controls into the record, false shows the record in them.
    void DoDataExchange(bool save);

    void OnNetworkRadio();
    void OnComPortRadio();
    void OnReadConf();
    void OnWriteConf();
    void OnReset();
    void OnFirmwareUpg();
    void OnTimer();
    void OnSerialPortSettings();
    void OnAdvancedSettings();
    void OnNetworkSettings();
    void OnRemoteConfigSettings();
    void OnAbout();

    const BuiltDialog& controls() const { return built_; }
    bool transferRunning() const { return firmwareTimer_.isActive(); }

    // Seams for tests: where the firmware file comes from, and the question asked before
    // the window closes during a transfer. The defaults ask the user.
    void setFirmwareFileChooser(std::function<QString()> chooser) {
        chooseFile_ = std::move(chooser);
    }
    void setCloseConfirmation(std::function<bool(const QString&)> confirm) {
        confirmClose_ = std::move(confirm);
    }

    ConverterConfig config;

public slots:
    void accept() override;
    void reject() override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnInitDialog();
    void setTransferring(bool running);
    void showProgress();
    bool mayEnd();

    CConfApp& app_;
    IOperations& operations_;
    IMessageSink& sink_;
    BuiltDialog built_;
    QTimer firmwareTimer_;
    bool inTick_ = false;
    std::function<QString()> chooseFile_;
    std::function<bool(const QString&)> confirmClose_;
};

} // namespace varnadex::ui
