// The parts of the serial port component that do not depend on the operating system.
#include "platform/serial.h"

namespace zt {

void TMSerialPort::SetRTS(bool on) {
    rts_ = on;
    applyModemLines();
}

void TMSerialPort::SetDTR(bool on) {
    dtr_ = on;
    applyModemLines();
}

}  // namespace zt
