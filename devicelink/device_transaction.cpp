#include "devicelink/device_transaction.h"

int XCDeviceTransaction::ReceiveTcp(uint16_t, const uint8_t*, uint32_t) { return -1; }
