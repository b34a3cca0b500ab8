#include "ui/RemoteConfigDlg.h"

#include "ui/SettingsTemplates.h"

#include <QCheckBox>
#include <QLineEdit>

namespace varnadex::ui {

namespace id = remote_ids;

CRemoteConfigDlg::CRemoteConfigDlg(int language, IMessageSink& sink, QWidget* parent)
    : CSettingsDialog(remoteConfigTemplate(), language, sink, parent) {
    connect(built().get<QCheckBox>(id::readEnabled), &QCheckBox::clicked, this,
            &CRemoteConfigDlg::OnEnableRead);
    connect(built().get<QCheckBox>(id::writeEnabled), &QCheckBox::clicked, this,
            &CRemoteConfigDlg::OnEnableWrite);
}

void CRemoteConfigDlg::exchangeFields(DataExchange& dx) {
    dx.checkBox(built().get<QCheckBox>(id::readEnabled), snmpReadEnabled);
    dx.checkBox(built().get<QCheckBox>(id::writeEnabled), snmpWriteEnabled);
    dx.text(built().get<QLineEdit>(id::community), snmpCommunity, kSnmpCommunityLimit);
    dx.text(built().get<QLineEdit>(id::filterMask), snmpFilterMask);
    dx.text(built().get<QLineEdit>(id::filterAddress), snmpFilterAddress);
}

void CRemoteConfigDlg::takeControls() {
    DataExchange dx(DataExchange::Mode::SaveSilently, sink());
    exchangeFields(dx);
}

void CRemoteConfigDlg::applyEnables() {
    enableControl(id::community, enables_.community);
    enableControl(id::writeEnabled, enables_.writeBox);
    enableControl(id::filterAddress, enables_.filter);
    enableControl(id::filterMask, enables_.filter);
}

void CRemoteConfigDlg::updateEnabledStates() {
    OnEnableRead();
}

void CRemoteConfigDlg::OnEnableRead() {
    takeControls();
    onEnableRead(enables_, snmpReadEnabled, snmpWriteEnabled);
    applyEnables();
}

void CRemoteConfigDlg::OnEnableWrite() {
    takeControls();
    onEnableWrite(enables_, snmpWriteEnabled);
    applyEnables();
}

} // namespace varnadex::ui
