// The converter search window against a small simulated fleet on loopback.

#include "sim/SnmpFleet.h"
#include "ui/FindConvertersDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace varnadex::ui {
namespace {

struct Fleet {
    Fleet() {
        app.language = 1;
        app.messageCatalogue.fill(1);
        ok = fleet.start(*parseIpv4Address("127.3.0.1"), 0, 3, 2); // .1 .3 .5
    }
    ~Fleet() { fleet.stop(); }
    std::string host() const { return "127.3.0.1:" + std::to_string(fleet.port()); }

    CConfApp app;
    sim::SimLog log;
    sim::SnmpFleet fleet{log};
    bool ok = false;
};

TEST(FindConverters, ListsWhatAnsweredAndGivesTheChosenAddress) {
    Fleet f;
    ASSERT_TRUE(f.ok);
    CFindConvertersDlg dialog(f.app, f.host(), "kelvin");
    EXPECT_TRUE(f.log.lines().empty()) << "nothing is sent before Search";
    dialog.show();
    dialog.controls().get<QLineEdit>(CFindConvertersDlg::kRangeEdit)->setText("127.3.0.0/29");
    QTest::mouseClick(dialog.controls().get<QPushButton>(CFindConvertersDlg::kSearch),
                      Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.searching(); }, 20000));
    auto* list = dialog.controls().get<QTreeWidget>(CFindConvertersDlg::kResults);
    ASSERT_EQ(list->topLevelItemCount(), 3)
        << dialog.controls().get<QLabel>(CFindConvertersDlg::kStatus)->text().toStdString();
    list->sortItems(0, Qt::AscendingOrder);
    QTreeWidgetItem* second = list->topLevelItem(1);
    EXPECT_EQ(second->text(0), "127.3.0.3");
    EXPECT_EQ(second->text(1), "0050C2030003");
    EXPECT_EQ(second->text(2), "127.3.0.3");
    EXPECT_NE(dialog.controls()
                  .get<QLabel>(CFindConvertersDlg::kStatus)
                  ->text()
                  .indexOf("3 converters in 8 addresses"),
              -1);

    EXPECT_FALSE(dialog.controls().control(1)->isEnabled()) << "nothing chosen yet";
    list->setCurrentItem(second);
    ASSERT_TRUE(dialog.controls().control(1)->isEnabled());
    QTest::mouseClick(dialog.controls().get<QPushButton>(1), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosenHost(), "127.3.0.3:" + std::to_string(f.fleet.port()));
}

// The range offered unasked: the interfaces that are up, loopback and IPv6 aside, each at most
// a /24. The interfaces are the test's own, so the rule is checked on any machine.
TEST(FindConverters, TheDefaultRangeIsOnlyOffered) {
    using Nic = CFindConvertersDlg::InterfaceAddress;
    const std::vector<Nic> nics = {
        {true, false, QHostAddress("10.1.7.20"), 16}, // wide: cut to its /24
        {true, false, QHostAddress("192.168.5.9"), 24},
        {true, false, QHostAddress("192.168.5.77"), 24}, // the same /24 again
        {true, false, QHostAddress("172.16.0.130"), 25}, // narrower: kept
        {true, false, QHostAddress("172.17.0.9"), 32},
        {true, true, QHostAddress("127.0.0.1"), 8},   // loopback
        {false, false, QHostAddress("10.9.9.9"), 24}, // down
        {true, false, QHostAddress("fe80::1"), 64},   // IPv6
    };
    EXPECT_EQ(CFindConvertersDlg::localNetworks(nics).toStdString(),
              "10.1.7.0/24 192.168.5.0/24 172.16.0.128/25 172.17.0.9/32");
    EXPECT_EQ(CFindConvertersDlg::localNetworks({}).toStdString(), "");
}

// A community that no request can carry is refused by the scanner's own check: the window
// says why, and sends nothing.
TEST(FindConverters, ACommunityTheScannerRefusesIsNotSearchedWith) {
    Fleet f;
    ASSERT_TRUE(f.ok);
    CFindConvertersDlg dialog(f.app, f.host(), std::string(60, 'c'));
    dialog.controls().get<QLineEdit>(CFindConvertersDlg::kRangeEdit)->setText("127.3.0.0/29");
    dialog.OnSearch();
    EXPECT_FALSE(dialog.searching());
    EXPECT_EQ(dialog.controls().get<QLabel>(CFindConvertersDlg::kStatus)->text().toStdString(),
              f.app.messageCatalogue.extra(ExtraMsg::CommunityTooLong, "54"));
    EXPECT_TRUE(f.log.lines().empty());
}

} // namespace
} // namespace varnadex::ui
