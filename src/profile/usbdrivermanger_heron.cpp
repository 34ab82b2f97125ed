#include "profile/usbdrivermanger_heron.h"

#include "catalog/ospreydpicodes.h"

UsbDriverManger_Heron::UsbDriverManger_Heron(QObject *parent) : UsbDriverManger_Osprey(parent) {}

int UsbDriverManger_Heron::buildDPIValue(BYTE low, BYTE)
{
    return OspreyDpiCodes::decodeTableB(low);
}

bool UsbDriverManger_Heron::SetCPIStageMatrix(int, DWORD dpi, BYTE &low, BYTE &high)
{
    high = 0;
    return dpi <= 0xFFFF && OspreyDpiCodes::encodeTableB(int(dpi), low);
}

int UsbDriverManger_Heron::returnDefaultDPIGear()
{
    return 2;
}
