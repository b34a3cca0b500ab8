// The four settings dialogs driven through their controls, offscreen.

#include "tests/support/RecordingSink.h"
#include "tests/ui_dialogs_support.h"
#include "ui/AdvancedSettingsDlg.h"
#include "ui/NetworkSettingsDlg.h"
#include "ui/RemoteConfigDlg.h"
#include "ui/SerialSettingsDlg.h"
#include "ui/SettingsDialogs.h"
#include "ui/SettingsTemplates.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace varnadex;
using namespace varnadex::ui;
using varnadex::test::driveModal;
using varnadex::test::RecordingSink;

namespace {

::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new varnadex::test::QtEnvironment);

constexpr int kEnglish = 1;
constexpr int kHungarian = 0;

QLineEdit* edit(const CSettingsDialog& d, int id) {
    return d.built().get<QLineEdit>(id);
}
QComboBox* combo(const CSettingsDialog& d, int id) {
    return d.built().get<QComboBox>(id);
}
QAbstractButton* button(const CSettingsDialog& d, int id) {
    return d.built().get<QAbstractButton>(id);
}
bool enabled(const CSettingsDialog& d, int id) {
    return d.built().control(id)->isEnabled();
}
void pressOk(const CSettingsDialog& d) {
    button(d, kIdOk)->click();
}

void showActive(QDialog& d) {
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
}

// The one message a refused OK shows, and where it leaves the user.
void expectRefused(RecordingSink& sink, const CSettingsDialog& d, QLineEdit* field,
                   const std::string& text) {
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0], (RecordingSink::Entry{MessageKind::Warning, text}));
    sink.entries.clear();
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(field->selectedText(), field->text());
}

// ---- Advanced Settings --------------------------------------------------------------------

class AdvancedInBothLanguages : public ::testing::TestWithParam<int> {};

TEST_P(AdvancedInBothLanguages, KeepAliveIsCheckedBeforeTimeoutInEnglish) {
    RecordingSink sink;
    CAdvancedSettingsDlg d(GetParam(), sink);
    showActive(d);
    QLineEdit* keepAlive = edit(d, advanced_ids::keepAliveTimer);
    QLineEdit* timeout = edit(d, advanced_ids::networkTimeout);
    keepAlive->setText("11");
    timeout->setText("14");
    pressOk(d);
    expectRefused(sink, d, keepAlive, "Please enter an integer between 0 and 10.");
    keepAlive->setText("abc");
    pressOk(d);
    expectRefused(sink, d, keepAlive, "Please enter an integer between 0 and 255.");
    keepAlive->setText(" 5\t");
    pressOk(d);
    expectRefused(sink, d, timeout, "Please enter an integer between 15 and 255.");
    timeout->setText("20");
    pressOk(d);
    EXPECT_TRUE(sink.entries.empty());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.record.keepAliveTimer, 5);
    EXPECT_EQ(d.record.networkTimeout, 20);
}

INSTANTIATE_TEST_SUITE_P(Dialogs, AdvancedInBothLanguages, ::testing::Values(kEnglish, kHungarian));

TEST(AdvancedSettings, UdpWithStoredTimeoutBelowRangeFailsUntilCancelled) {
    RecordingSink sink;
    ConverterConfig config;
    config.protocol = 1;
    config.networkTimeout = 14; // as a converter may hold it
    const ConverterConfig before = config;
    const bool ok = driveModal<CAdvancedSettingsDlg>(
        [&] { return runAdvancedSettings(nullptr, kEnglish, sink, config); },
        [&](CAdvancedSettingsDlg& d) {
            for (int id : {advanced_ids::networkTimeout, advanced_ids::keepAliveTimer,
                           advanced_ids::delaySmall, advanced_ids::bufferClear})
                EXPECT_FALSE(enabled(d, id)) << id;
            button(d, advanced_ids::icmpEcho)->click();
            pressOk(d);
            pressOk(d);
            EXPECT_TRUE(d.isVisible());
            button(d, kIdCancel)->click();
        });
    EXPECT_FALSE(ok);
    EXPECT_EQ(sink.texts(),
              std::vector<std::string>(2, "Please enter an integer between 15 and 255."));
    EXPECT_EQ(config, before);
}

TEST(AdvancedSettings, PatternEditFollowsItsBoxAndOkStoresBothEvenWhenDisabled) {
    RecordingSink sink;
    ConverterConfig config;
    config.protocol = 1;
    const bool ok = driveModal<CAdvancedSettingsDlg>(
        [&] { return runAdvancedSettings(nullptr, kHungarian, sink, config); },
        [&](CAdvancedSettingsDlg& d) {
            QLineEdit* pattern = edit(d, advanced_ids::patternChar);
            QAbstractButton* box = button(d, advanced_ids::patternCharEnabled);
            EXPECT_TRUE(box->isEnabled());
            EXPECT_FALSE(pattern->isEnabled());
            box->click();
            EXPECT_TRUE(pattern->isEnabled());
            pattern->clear();
            QTest::keyClicks(pattern, "A5C");
            EXPECT_EQ(pattern->text(), "A5");
            box->click();
            EXPECT_FALSE(pattern->isEnabled());
            pressOk(d);
        });
    EXPECT_TRUE(ok);
    EXPECT_EQ(config.patternCharEnabled, 0);
    EXPECT_EQ(config.patternChar, "A5");
}

// ---- Serial Port Settings -----------------------------------------------------------------

TEST(SerialSettings, SevenM1SetsTheCodeOf7N2) {
    RecordingSink sink;
    ConverterConfig config;
    const bool ok = driveModal<CSerialSettingsDlg>(
        [&] { return runSerialSettings(nullptr, kEnglish, sink, config); },
        [&](CSerialSettingsDlg& d) {
            combo(d, serial_ids::dataFormat)->setCurrentText("7M1");
            pressOk(d);
        });
    EXPECT_TRUE(ok);
    EXPECT_EQ(config.dataFormat, "7M1");
    EXPECT_EQ(config.dataFormatCode, 0x10);
}

TEST(SerialSettings, EveryWayOutButOkLeavesTheRecordDataFormatCodeIncluded) {
    enum class Way { CancelButton, Escape, CloseBox };
    for (const Way way : {Way::CancelButton, Way::Escape, Way::CloseBox}) {
        RecordingSink sink;
        ConverterConfig config;
        config.dataFormatCode = 0x20; // read from a converter, not in the table
        const ConverterConfig before = config;
        const bool ok = driveModal<CSerialSettingsDlg>(
            [&] { return runSerialSettings(nullptr, kHungarian, sink, config); },
            [&](CSerialSettingsDlg& d) {
                combo(d, serial_ids::dataFormat)->setCurrentText("8E1");
                combo(d, serial_ids::baudRate)->setEditText("1200");
                button(d, serial_ids::rtsCtsFlowControl)->click();
                button(d, serial_ids::crlfTrim)->click();
                if (way == Way::CancelButton) button(d, kIdCancel)->click();
                if (way == Way::Escape) QTest::keyClick(&d, Qt::Key_Escape);
                if (way == Way::CloseBox) d.close();
            });
        EXPECT_FALSE(ok);
        EXPECT_EQ(config, before) << int(way);
    }
}

TEST(SerialSettings, OkReturnsEveryFieldAndATypedSpeedStaysAsTyped) {
    RecordingSink sink;
    ConverterConfig config;
    for (int round = 0; round < 2; ++round) {
        const bool ok = driveModal<CSerialSettingsDlg>(
            [&] { return runSerialSettings(nullptr, kEnglish, sink, config); },
            [&](CSerialSettingsDlg& d) {
                QComboBox* speed = combo(d, serial_ids::baudRate);
                if (round == 0) {
                    speed->lineEdit()->clear();
                    QTest::keyClicks(speed->lineEdit(), "96");
                    button(d, serial_ids::rtsCtsFlowControl)->click();
                    button(d, serial_ids::dtrDependsOnConn)->click();
                    button(d, serial_ids::crlfTrim)->click();
                } else {
                    // Shown as stored, not as the entry it begins.
                    EXPECT_EQ(speed->currentText(), "96");
                }
                pressOk(d);
            });
        EXPECT_TRUE(ok);
        EXPECT_EQ(config.baudRate, "96");
    }
    EXPECT_EQ(config.rtsCtsFlowControl, 1);
    EXPECT_EQ(config.dtrMode, 1);
    EXPECT_EQ(config.crlfMode, 1);
}

TEST(SerialSettings, FormatListSelectsByPrefixIgnoringCaseAndKeepsWhatItLacks) {
    struct Row {
        const char* stored;
        const char* shown;
        const char* afterOk;
        int codeAfterOk;
    };
    const Row rows[] = {
        {"8n2", "8N2", "8N2", 0x40},
        {"7s", "7S1", "7S1", 0x11},
        {"9X9", "", "9X9", 0x20}, // no entry: nothing selected, text and code kept
    };
    for (const Row& r : rows) {
        RecordingSink sink;
        ConverterConfig config;
        config.dataFormat = r.stored;
        config.dataFormatCode = 0x20;
        driveModal<CSerialSettingsDlg>(
            [&] { return runSerialSettings(nullptr, kEnglish, sink, config); },
            [&](CSerialSettingsDlg& d) {
                EXPECT_EQ(combo(d, serial_ids::dataFormat)->currentText(), r.shown);
                pressOk(d);
            });
        EXPECT_EQ(config.dataFormat, r.afterOk);
        EXPECT_EQ(config.dataFormatCode, r.codeAfterOk) << r.stored;
    }
}

TEST(SerialSettings, DisabledOrUncheckedRadioGroupsKeepTheirValues) {
    for (const int protocol : {0, 1}) {
        RecordingSink sink;
        CSerialSettingsDlg d(kEnglish, sink);
        d.record.protocol = protocol;
        d.record.dtrMode = 1;
        d.record.crlfMode = 5; // no such button: none checked, value kept
        d.show();
        EXPECT_EQ(enabled(d, serial_ids::dtrAlwaysHigh), protocol == 0);
        EXPECT_EQ(enabled(d, serial_ids::dtrDependsOnConn), protocol == 0);
        EXPECT_TRUE(button(d, serial_ids::dtrDependsOnConn)->isChecked());
        EXPECT_EQ(d.built().radioGroup(serial_ids::crlfKeep)->checkedId(), -1);
        pressOk(d);
        EXPECT_EQ(d.record.dtrMode, 1);
        EXPECT_EQ(d.record.crlfMode, 5);
    }
}

// ---- Network Settings ---------------------------------------------------------------------

// Protocol buttons, TCP-mode buttons, remote address, remote port, local port, remote mask.
using NetworkRow = std::array<bool, 6>;
const NetworkRow kCommand{false, false, false, false, false, false};
const NetworkRow kClient{true, true, true, true, false, false};
const NetworkRow kServer{true, true, true, false, true, true};
const NetworkRow kUdp{true, false, true, true, true, true};

NetworkRow networkStates(const CNetworkSettingsDlg& d) {
    using namespace network_ids;
    for (int always : {ipAddress, subnetMask, gatewayAddress, normalMode, commandMode})
        EXPECT_TRUE(enabled(d, always)) << always;
    EXPECT_EQ(enabled(d, tcpProtocol), enabled(d, udpProtocol));
    EXPECT_EQ(enabled(d, clientMode), enabled(d, serverMode));
    return {enabled(d, tcpProtocol), enabled(d, clientMode), enabled(d, remoteAddress),
            enabled(d, remotePort),  enabled(d, localPort),  enabled(d, remoteSubnetMask)};
}

TEST(NetworkSettings, CommandDisablesEverythingAndNormalRestoresTheLayout) {
    struct Row {
        int protocol, tcpMode;
        NetworkRow normal;
    };
    for (const Row& r : {Row{0, 0, kClient}, Row{0, 1, kServer}, Row{1, 1, kUdp}}) {
        RecordingSink sink;
        CNetworkSettingsDlg d(kHungarian, sink);
        d.record.protocol = r.protocol;
        d.record.tcpMode = r.tcpMode;
        d.record.workingMode = 1;
        d.show();
        EXPECT_EQ(networkStates(d), kCommand);
        button(d, network_ids::normalMode)->click();
        EXPECT_EQ(networkStates(d), r.normal) << r.protocol << r.tcpMode;
    }
}

TEST(NetworkSettings, UdpThenTcpWithServerChecked) {
    RecordingSink sink;
    CNetworkSettingsDlg d(kEnglish, sink);
    d.record.tcpMode = 1;
    d.show();
    EXPECT_EQ(networkStates(d), kServer);
    button(d, network_ids::udpProtocol)->click();
    EXPECT_EQ(networkStates(d), kUdp);
    button(d, network_ids::tcpProtocol)->click();
    EXPECT_EQ(networkStates(d), kServer);
    button(d, network_ids::clientMode)->click();
    EXPECT_EQ(networkStates(d), kClient);
    button(d, network_ids::serverMode)->click();
    EXPECT_EQ(networkStates(d), kServer);
}

TEST(NetworkSettings, DisabledFieldsAndTheMacComeBackUnchanged) {
    for (const int enableMac : {0, 1}) {
        RecordingSink sink;
        ConverterConfig config;
        config.enableMac = enableMac;
        config.localPort = "4001"; // disabled for a TCP client
        config.remoteSubnetMask = "255.255.0.0";
        ConverterConfig expected = config;
        expected.workingMode = 1;
        expected.protocol = 1;
        expected.ipAddress = "any text";
        const bool ok = driveModal<CNetworkSettingsDlg>(
            [&] { return runNetworkSettings(nullptr, kEnglish, sink, config); },
            [&](CNetworkSettingsDlg& d) {
                EXPECT_EQ(enabled(d, network_ids::macAddress), enableMac != 0);
                edit(d, network_ids::ipAddress)->setText("any text");
                button(d, network_ids::udpProtocol)->click();
                button(d, network_ids::commandMode)->click();
                pressOk(d);
            });
        EXPECT_TRUE(ok);
        EXPECT_TRUE(sink.entries.empty());
        EXPECT_EQ(config, expected) << "enableMac " << enableMac;
    }
}

// ---- Remote Config Settings ---------------------------------------------------------------

TEST(RemoteConfig, ReadUncheckedDisablesWriteButKeepsItsMark) {
    RecordingSink sink;
    ConverterConfig config;
    config.snmpReadEnabled = 0;
    const bool ok = driveModal<CRemoteConfigDlg>(
        [&] { return runRemoteConfigSettings(nullptr, kEnglish, sink, config); },
        [&](CRemoteConfigDlg& d) {
            using namespace remote_ids;
            auto states = [&] {
                return std::array<bool, 4>{enabled(d, community), enabled(d, writeEnabled),
                                           enabled(d, filterAddress), enabled(d, filterMask)};
            };
            EXPECT_EQ(states(), (std::array<bool, 4>{false, false, false, false}));
            EXPECT_TRUE(button(d, writeEnabled)->isChecked());
            button(d, readEnabled)->click();
            EXPECT_EQ(states(), (std::array<bool, 4>{true, true, true, true}));
            button(d, writeEnabled)->click();
            EXPECT_EQ(states(), (std::array<bool, 4>{true, true, false, false}));
            button(d, writeEnabled)->click();
            button(d, readEnabled)->click();
            EXPECT_TRUE(button(d, writeEnabled)->isChecked());
            pressOk(d);
        });
    EXPECT_TRUE(ok);
    EXPECT_EQ(config.snmpReadEnabled, 0);
    EXPECT_EQ(config.snmpWriteEnabled, 1);
}

TEST(RemoteConfig, CommunityTypingStopsAtTenAndEnterIsOk) {
    RecordingSink sink;
    ConverterConfig config;
    config.snmpCommunity = "";
    const bool ok = driveModal<CRemoteConfigDlg>(
        [&] { return runRemoteConfigSettings(nullptr, kHungarian, sink, config); },
        [&](CRemoteConfigDlg& d) {
            QTest::keyClicks(edit(d, remote_ids::community), "abcdefghijKL");
            QTest::keyClick(edit(d, remote_ids::community), Qt::Key_Return);
        });
    EXPECT_TRUE(ok);
    EXPECT_EQ(config.snmpCommunity, "abcdefghij");
}

TEST(RemoteConfig, StoredLongCommunityIsShownWholeAndRefusedOnlyOnOk) {
    RecordingSink sink;
    CRemoteConfigDlg d(kEnglish, sink);
    d.record.snmpReadEnabled = 1;
    d.record.snmpCommunity = "community12";
    showActive(d);
    QLineEdit* community = edit(d, remote_ids::community);
    EXPECT_EQ(community->text(), "community12");
    // The check boxes take the controls in without the length check.
    button(d, remote_ids::readEnabled)->click();
    button(d, remote_ids::readEnabled)->click();
    EXPECT_TRUE(sink.entries.empty());

    pressOk(d);
    expectRefused(sink, d, community, "Please enter no more than 10 characters.");
    // It can shrink, but never grow past ten again.
    community->end(false);
    QTest::keyClick(community, Qt::Key_Backspace);
    QTest::keyClicks(community, "x");
    EXPECT_EQ(community->text(), "community1");
    pressOk(d);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.record.snmpCommunity, "community1");
}

TEST(RemoteConfig, UntouchedBytesFromAConverterComeBackAsTheyWere) {
    const std::string stored = "jelsz\xf3"; // another program's code page, not UTF-8
    RecordingSink sink;
    ConverterConfig config;
    config.snmpCommunity = stored;
    driveModal<CRemoteConfigDlg>(
        [&] { return runRemoteConfigSettings(nullptr, kEnglish, sink, config); },
        [&](CRemoteConfigDlg& d) {
            EXPECT_EQ(edit(d, remote_ids::community)->text(), QString::fromUtf8("jelszó"));
            pressOk(d);
        });
    EXPECT_EQ(config.snmpCommunity, stored);
}

} // namespace
