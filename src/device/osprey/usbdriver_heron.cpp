#include "device/osprey/usbdriver_heron.h"

USBDriver_Heron::USBDriver_Heron(QObject *parent) : USBDriver_Osprey(parent) {}

bool USBDriver_Heron::ProfileChecksum(BYTE *profile)
{
    return profile != nullptr;
}
