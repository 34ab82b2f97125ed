#include "hid/hiddeviceinfo.h"

bool HidDeviceInfo::operator==(const HidDeviceInfo &o) const
{
    return path == o.path && vendorId == o.vendorId && productId == o.productId
        && releaseNumber == o.releaseNumber && productString == o.productString
        && usagePage == o.usagePage && usage == o.usage && interfaceNumber == o.interfaceNumber
        && inputReportLength == o.inputReportLength && outputReportLength == o.outputReportLength
        && featureReportLength == o.featureReportLength && inputReportId == o.inputReportId
        && outputReportId == o.outputReportId && featureReportId == o.featureReportId;
}
