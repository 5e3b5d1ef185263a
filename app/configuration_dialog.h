#pragma once
#include "app/register_map.h"
#include "foundation/xc_time.h"
#include "platform/ui/dialog.h"

#include <cstdint>

// The recorder's parameters and clock, and the clearing of its memory. The dialog reads the
// recorder when it opens (and ends at once if it cannot), checks the entries, and writes only
// what differs from what it read. It ends with OK once everything changed reached the recorder.
class KestrovaneConfigurationDlg : public platform::ui::Dialog {
public:
    // `port` is the COM port number, -1 when none is selected.
    explicit KestrovaneConfigurationDlg(int port);

    void ReadConfiguration();
    void OnBnClickedSendPcTime();
    void OnBnClickedOk();

protected:
    bool OnInitDialog() override;
    void OnCommand(int id, int notification) override;

private:
    // The eight checks in order; the first that fails is shown and false returned.
    bool CheckEntries(RecorderParameters& entered);
    bool Refuse(uint16_t textId, int control);
    platform::ui::LocalDateTime PickedDateTime();
    XCTime ChosenClock();

    platform::ui::Icon icon_;
    int port_;
    RecorderParameters read_;
    XCTime readClock_;  // UTC
    platform::ui::LocalDateTime shownClock_;  // what the pickers showed once the clock was read
};
