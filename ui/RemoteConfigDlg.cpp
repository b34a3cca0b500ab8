#include "ui/RemoteConfigDlg.h"

#include "ui/SettingsTemplates.h"

#include <QCheckBox>

namespace varnadex::ui {

namespace id = remote_ids;

CRemoteConfigDlg::CRemoteConfigDlg(int language, IMessageSink& sink, QWidget* parent)
    : CSettingsDialog(remoteConfigTemplate(), language, sink, parent) {
    connect(built().get<QCheckBox>(id::readEnabled), &QCheckBox::clicked, this,
            &CRemoteConfigDlg::OnEnableRead);
    connect(built().get<QCheckBox>(id::writeEnabled), &QCheckBox::clicked, this,
            &CRemoteConfigDlg::OnEnableWrite);
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
    onEnableRead(enables_, record.snmpReadEnabled, record.snmpWriteEnabled);
    applyEnables();
}

void CRemoteConfigDlg::OnEnableWrite() {
    takeControls();
    onEnableWrite(enables_, record.snmpWriteEnabled);
    applyEnables();
}

} // namespace varnadex::ui
