#include "ui/FindConvertersDlg.h"

#include "operations/ScanSetup.h"
#include "platform/SystemClock.h"
#include "platform/SystemDevices.h"
#include "snmp/SnmpSocket.h"

#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPushButton>
#include <QTreeWidget>

#include <chrono>

namespace varnadex::ui {
namespace {

const DialogTemplate kFindTemplate = {
    1200,
    1201,
    "Find Converters",
    "Konverterek keresése",
    {0, 0, 320, 190},
    {},
    {
        {-1,
         ControlKind::Label,
         "&Addresses to search:",
         "&Keresendő címek:",
         {7, 9, 70, 8},
         {7, 9, 70, 8},
         None,
         CFindConvertersDlg::kRangeEdit},
        {CFindConvertersDlg::kRangeEdit, ControlKind::Edit, "", "", {80, 7, 170, 14}},
        {CFindConvertersDlg::kSearch,
         ControlKind::PushButton,
         "&Search",
         "Kere&sés",
         {256, 7, 57, 14}},
        {-1,
         ControlKind::Label,
         "&Converters found:",
         "&Talált konverterek:",
         {7, 28, 120, 8},
         {},
         None,
         CFindConvertersDlg::kResults},
        {CFindConvertersDlg::kResults,
         ControlKind::List,
         "Address\tMAC Address\tIP Address\tFirmware",
         "Cím\tMAC azonosító\tIP cím\tFirmware",
         {7, 39, 306, 118}},
        {CFindConvertersDlg::kStatus, ControlKind::Label, "", "", {7, 162, 190, 20}},
        {1,
         ControlKind::DefaultButton,
         "&Use",
         "&Kiválaszt",
         {202, 169, 54, 14},
         {},
         StartsDisabled},
        {2, ControlKind::PushButton, "Cancel", "Mégsem", {259, 169, 54, 14}},
    },
};

// Probes a second: a /24 is asked in well under a second.
constexpr unsigned kSearchRate = 1000;

enum Text { Searching, Summary, Stopped };

struct TextPair {
    const char* english;
    const char* hungarian;
};

constexpr TextPair kTexts[] = {
    {"Searching... %1 converters so far.", "Keresés... eddig %1 konverter."},
    {"%1 converters in %2 addresses, %3 s.", "%1 konverter %2 címen, %3 mp."},
    {"Search stopped: %1 converters found.", "Keresés leállítva: %1 konverter."},
};

QString orDash(const std::optional<std::string>& value) {
    return value ? QString::fromStdString(*value) : QStringLiteral("-");
}

} // namespace

CFindConvertersDlg::CFindConvertersDlg(CConfApp& app, const std::string& agentHost,
                                       const std::string& accessCommunity, QWidget* parent)
    : QDialog(parent), app_(app), built_(*this, kFindTemplate, app.language == 1),
      port_(splitAgentHost(agentHost).value_or(AgentAddress{}).port), community_(accessCommunity) {
    // Only filled in: nothing is searched until the user asks.
    built_.get<QLineEdit>(kRangeEdit)->setText(localNetworks());
    auto* list = built_.get<QTreeWidget>(kResults);
    connect(built_.get<QPushButton>(kSearch), &QPushButton::clicked, this,
            &CFindConvertersDlg::OnSearch);
    connect(built_.get<QPushButton>(1), &QPushButton::clicked, this, &QDialog::accept);
    connect(built_.get<QPushButton>(2), &QPushButton::clicked, this, &QDialog::reject);
    connect(list, &QTreeWidget::itemSelectionChanged, this,
            [this, list] { built_.control(1)->setEnabled(!list->selectedItems().isEmpty()); });
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { accept(); });
}

CFindConvertersDlg::~CFindConvertersDlg() {
    stopSearch();
}

QString CFindConvertersDlg::text(int which) const {
    const TextPair& t = kTexts[which];
    return QString::fromUtf8(app_.language == 1 ? t.english : t.hungarian);
}

QString CFindConvertersDlg::localNetworks() {
    std::vector<InterfaceAddress> interfaces;
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        for (const QNetworkAddressEntry& entry : nic.addressEntries())
            interfaces.push_back({bool(flags & QNetworkInterface::IsUp),
                                  bool(flags & QNetworkInterface::IsLoopBack), entry.ip(),
                                  entry.prefixLength()});
    }
    return localNetworks(interfaces);
}

QString CFindConvertersDlg::localNetworks(const std::vector<InterfaceAddress>& interfaces) {
    QStringList ranges;
    for (const InterfaceAddress& a : interfaces) {
        if (!a.up || a.loopback || a.ip.protocol() != QAbstractSocket::IPv4Protocol) continue;
        // A wider network is mostly other equipment; a /24 is what a search should cover
        // unasked. The user can type a wider range.
        const int prefix = std::clamp(a.prefixLength, 24, 32);
        const quint32 mask = prefix == 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> prefix);
        const QHostAddress network(a.ip.toIPv4Address() & mask);
        const QString range = network.toString() + u'/' + QString::number(prefix);
        if (!ranges.contains(range)) ranges << range;
    }
    return ranges.join(u' ');
}

void CFindConvertersDlg::OnSearch() {
    if (searching()) return;
    auto* status = built_.get<QLabel>(kStatus);
    const QStringList words =
        built_.get<QLineEdit>(kRangeEdit)->text().split(u' ', Qt::SkipEmptyParts);
    std::vector<std::string> targets;
    for (const QString& w : words)
        targets.push_back(w.toStdString());
    // The scanner's own check of its settings: nothing is sent that it would refuse.
    auto prepared = prepareScan(targets, port_, community_, kSearchRate, systemTargetSources());
    if (const auto* problem = std::get_if<Problem>(&prepared)) {
        status->setText(QString::fromStdString(app_.messageCatalogue.say(*problem)));
        return;
    }

    built_.get<QTreeWidget>(kResults)->clear();
    built_.control(1)->setEnabled(false);
    built_.control(kSearch)->setEnabled(false);
    converters_ = 0;
    status->setText(text(Searching).arg(0));
    stop_.clear();
    worker_ = std::thread([this, scan = std::get<PreparedScan>(std::move(prepared))] {
        const auto started = std::chrono::steady_clock::now();
        SystemClock clock;
        const ScanEnd end = runScanHere(
            scan, clock, [this] { return stop_.requested(); },
            [this](const ScanFinding& f) {
                if (f.status != ScanStatus::Converter) return;
                QMetaObject::invokeMethod(
                    this, [this, f] { found(f); }, Qt::QueuedConnection);
            });
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const int count = int(scan.addresses.size());
        QMetaObject::invokeMethod(
            this, [this, end, count, seconds] { finished(end, count, seconds); },
            Qt::QueuedConnection);
    });
}

void CFindConvertersDlg::found(const ScanFinding& f) {
    auto* item = new QTreeWidgetItem(built_.get<QTreeWidget>(kResults));
    item->setText(0, QString::fromStdString(formatIpv4Address(f.address)));
    item->setText(1, orDash(f.value("macAddress")));
    item->setText(2, orDash(f.value("ipAddress")));
    item->setText(3, QString::fromStdString(f.firmware));
    ++converters_;
    built_.get<QLabel>(kStatus)->setText(text(Searching).arg(converters_));
}

void CFindConvertersDlg::finished(ScanEnd end, int addresses, double seconds) {
    if (worker_.joinable()) worker_.join();
    built_.control(kSearch)->setEnabled(true);
    auto* status = built_.get<QLabel>(kStatus);
    switch (end) {
    case ScanEnd::Finished:
        status->setText(text(Summary).arg(converters_).arg(addresses).arg(seconds, 0, 'f', 1));
        break;
    case ScanEnd::Interrupted:
        status->setText(text(Stopped).arg(converters_));
        break;
    case ScanEnd::SocketFailed:
    case ScanEnd::BadSettings:
        status->setText(
            QString::fromStdString(app_.messageCatalogue.extra(ExtraMsg::ScanSocketFailed)));
        break;
    }
}

void CFindConvertersDlg::stopSearch() {
    stop_.request();
    if (worker_.joinable()) worker_.join();
}

void CFindConvertersDlg::accept() {
    const auto selected = built_.get<QTreeWidget>(kResults)->selectedItems();
    if (selected.isEmpty()) return;
    stopSearch();
    chosenHost_ = selected.front()->text(0).toStdString();
    if (port_ != kSnmpPort) chosenHost_.append(":").append(std::to_string(port_));
    QDialog::accept();
}

// Cancel during a search stops the search; the dialog closes on the next press.
void CFindConvertersDlg::reject() {
    if (searching()) {
        stop_.request();
        return;
    }
    QDialog::reject();
}

} // namespace varnadex::ui
