#pragma once

#include "ui/DataExchange.h"

namespace varnadex::ui {

// "Serial Port Settings": the converter's serial line. Its input: the DTR/DSR choice means
// nothing to UDP/IP.
class CSerialSettingsDlg : public CSettingsDialog {
public:
    CSerialSettingsDlg(int language, IMessageSink& sink, QWidget* parent = nullptr);

protected:
    void updateEnabledStates() override;
};

} // namespace varnadex::ui
