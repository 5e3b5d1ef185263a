#pragma once
#include "app/register_map.h"
#include "foundation/xc_string.h"
#include "foundation/xc_time.h"
#include "foundation/xml_document.h"
#include "platform/ui/dialog.h"

#include <cstdint>

class XCRSDeviceConnection;

// The main window: picks the port, reads the recorder on every pick and shows what it read.
// It owns default.xcfg for its whole life and is the only one that writes it.
class CKestrovaneDlg : public platform::ui::Dialog {
public:
    CKestrovaneDlg();
    ~CKestrovaneDlg() override;

    // The read-out of the selected port.
    void OnCbnSelchangePort();
    void FillPortCombo();
    void ClearDisplay();
    void CheckBattery(double volts);
    XCStringW MakeTitle() const;
    void OnBnClickedParameters();
    void OnBnClickedDownload();

protected:
    bool OnInitDialog() override;
    void OnCommand(int id, int notification) override;
    void OnTimer(unsigned id) override;
    void OnSysCommand(unsigned commandId) override;

private:
    void ShowReadOutFailure(uint16_t textId);
    void ShowReadOut(const RecorderReadOut& readOut);

    platform::ui::Icon icon_;
    int port_ = -1;
    XCStringW productName_;
    XmlDocument configuration_;
    unsigned timerId_ = 0;
};

// Asks whether to restore the factory settings when the recorder's clock reads earlier than
// 2015-06-01, and sends "#DEFAULT" on yes. True when the command was answered.
bool ConfirmFactoryDefaults(XCRSDeviceConnection& connection, const XCTime& clock);
