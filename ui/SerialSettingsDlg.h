#pragma once

#include "ui/DataExchange.h"

#include <string>

namespace varnadex::ui {

// "Serial Port Settings": the converter's serial line.
class CSerialSettingsDlg : public CSettingsDialog {
public:
    CSerialSettingsDlg(int language, IMessageSink& sink, QWidget* parent = nullptr);

    // Input: the DTR/DSR choice means nothing to UDP/IP.
    int protocol = 0;

    std::string baudRate;
    std::string dataFormat;
    int rtsCtsFlowControl = 0;
    int dtrMode = 0;
    int crlfMode = 0;

protected:
    void exchangeFields(DataExchange& dx) override;
    void updateEnabledStates() override;
};

} // namespace varnadex::ui
