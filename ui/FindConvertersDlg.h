#pragma once

#include "app/ConfApp.h"
#include "app/Interruption.h"
#include "snmp/Scanner.h"
#include "ui/DialogBuilder.h"

#include <QDialog>
#include <QHostAddress>

#include <cstdint>
#include <string>
#include <thread>
#include <variant>
#include <vector>

namespace varnadex::ui {

// "Find Converters...": asks a range of addresses for converters and lists those that
// answered, with their MAC address, IP address and firmware. Choosing one gives its address
// for the main window's host field. Nothing is sent until the user presses "Search".
class CFindConvertersDlg : public QDialog {
    Q_OBJECT
public:
    enum : int {
        kRangeEdit = 1202,
        kSearch = 1203,
        kResults = 1205,
        kStatus = 1206,
    };

    // The port and the community come from the main window's host and community fields, so
    // that converters answering on another port, or to another community, can be found too.
    CFindConvertersDlg(CConfApp& app, const std::string& agentHost,
                       const std::string& accessCommunity, QWidget* parent = nullptr);
    ~CFindConvertersDlg() override;

    int DoModal() { return exec(); }
    void OnSearch();
    bool searching() const { return worker_.joinable(); }

    // The chosen converter's address as the host field takes it: "10.1.0.7", or with ":PORT"
    // when the search used a port other than the standard one.
    const std::string& chosenHost() const { return chosenHost_; }
    const BuiltDialog& controls() const { return built_; }

    // The IPv4 networks of this machine's interfaces that are up, loopback aside, each as
    // CIDR text and at most a /24 around the machine's own address.
    static QString localNetworks();
    // One interface address as localNetworks() weighs it.
    struct InterfaceAddress {
        bool up = false;
        bool loopback = false;
        QHostAddress ip;
        int prefixLength = 0;
    };
    static QString localNetworks(const std::vector<InterfaceAddress>& interfaces);

public slots:
    void accept() override;
    void reject() override;

private:
    void found(const ScanFinding& finding);
    void finished(ScanEnd end, int addresses, double seconds);
    void stopSearch();
    QString text(int which) const;

    CConfApp& app_;
    BuiltDialog built_;
    // The search's port and community (as typed), checked as the scanner checks them when
    // the user searches.
    std::uint16_t port_;
    std::string community_;
    Interruption stop_;
    std::thread worker_;
    int converters_ = 0;
    std::string chosenHost_;
};

} // namespace varnadex::ui
