#include "profile/usbdrivermanger_heron.h"

#include "catalog/modelcatalog.h"
#include "common/mousetype.h"

UsbDriverManger_Heron::UsbDriverManger_Heron(int modelCode, QObject *parent)
    : UsbDriverManger_Osprey(modelCode, parent)
{
}

int UsbDriverManger_Heron::buildDPIValue(BYTE low, BYTE)
{
    return Catalog::decodeDpi(rowOf(MouseType::Heron), low);
}

bool UsbDriverManger_Heron::SetCPIStageMatrix(int, DWORD dpi, BYTE &low, BYTE &high)
{
    return encodeStage(rowOf(MouseType::Heron), dpi, low, high);
}

int UsbDriverManger_Heron::returnDefaultDPIGear()
{
    return 2;
}
