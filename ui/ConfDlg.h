#pragma once

#include "app/ConfApp.h"
#include "app/Interruption.h"
#include "operations/Operations.h"
#include "config/ConverterConfig.h"
#include "ui/DialogBuilder.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <map>
#include <string>

class QAction;
class QThread;

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
    // Read Conf, Write Conf and RESET run on a worker thread, so `operations` must report
    // through a sink that may be called from there (UiThreadSink); `sink` serves the window's
    // own boxes on the UI thread.
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
    void OnCancelOperation();
    void OnOpenConfiguration();
    void OnFindConverters();
    void OnSaveConfiguration();

    const BuiltDialog& controls() const { return built_; }
    bool transferRunning() const { return firmwareTimer_.isActive(); }
    // Read Conf, Write Conf or RESET is running on its worker thread.
    bool operationRunning() const { return worker_ != nullptr; }
    // The menu bar's command with this id (mainwin::kOpenConfiguration, ...).
    QAction* menuCommand(int id) const;

    // Seams for tests: where the firmware file comes from, and the question asked before
    // the window closes during a transfer. The defaults ask the user.
    void setFirmwareFileChooser(std::function<QString()> chooser) {
        chooseFile_ = std::move(chooser);
    }
    void setCloseConfirmation(std::function<bool(const QString&)> confirm) {
        confirmClose_ = std::move(confirm);
    }
    // Where Open and Save Configuration read and write; `save` tells which one asks.
    // The converter search; the default runs its window. Empty: nothing chosen.
    void setConverterFinder(std::function<std::string()> finder) { findConverter_ = std::move(finder); }
    void setConfigFileChooser(std::function<QString(bool save)> chooser) {
        chooseConfigFile_ = std::move(chooser);
    }

signals:
    // From the worker thread: register exchanges done of those planned.
    void registerProgress(int done, int total);

public:
    ConverterConfig config;

public slots:
    void accept() override;
    void reject() override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    enum class Operation { Read, Write, Reset };
    void buildMenu();
    void startOperation(Operation which);
    void endOperation();
    void showRegisterProgress(int done, int total);
    void lockControls(bool lock);
    void OnInitDialog();
    void setTransferring(bool running);
    void showProgress();
    bool mayEnd(int result);
    bool confirm(ExtraMsg which);

    CConfApp& app_;
    IOperations& operations_;
    IMessageSink& sink_;
    BuiltDialog built_;
    QTimer firmwareTimer_;
    bool inTick_ = false;
    std::function<QString()> chooseFile_;
    std::function<bool(const QString&)> confirmClose_;
    std::function<QString(bool)> chooseConfigFile_;
    std::function<std::string()> findConverter_;
    std::map<int, QAction*> menuCommands_;

    // The running operation works on its own copy of the record, taken and given back on the
    // UI thread; its worker touches no widget.
    QThread* worker_ = nullptr;
    Operation running_ = Operation::Read;
    ConverterConfig workRecord_;
    Interruption interruption_;
    std::map<QObject*, bool> lockedStates_; // what the lock found, to give back
    int endWith_ = -1;              // the dialog result to end with once the operation has stopped
    QPointer<QWidget> focusBefore_; // where the keyboard was when the operation started
};

} // namespace varnadex::ui
