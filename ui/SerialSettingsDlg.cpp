#include "ui/SerialSettingsDlg.h"

#include "config/DialogRules.h"
#include "config/RegisterMap.h"
#include "ui/SettingsTemplates.h"

#include <QComboBox>

namespace varnadex::ui {

namespace id = serial_ids;

CSerialSettingsDlg::CSerialSettingsDlg(int language, IMessageSink& sink, QWidget* parent)
    : CSettingsDialog(serialSettingsTemplate(), language, sink, parent) {
    auto* speeds = built().field<QComboBox>("baudRate");
    for (const char* speed : {"1200", "2400", "4800", "9600", "14400", "19200", "38400", "57600"})
        speeds->addItem(QString::fromLatin1(speed));
    auto* formats = built().field<QComboBox>("dataFormat");
    for (const char* format : dataFormatTexts())
        formats->addItem(QString::fromLatin1(format));
}

void CSerialSettingsDlg::updateEnabledStates() {
    const bool dtr = dtrDsrEnabled(record.protocol);
    enableControl(id::dtrAlwaysHigh, dtr);
    enableControl(id::dtrDependsOnConn, dtr);
}

} // namespace varnadex::ui
