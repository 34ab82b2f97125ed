#include "managerfactory.h"

#include "usbdrivermanger.h"

DCDataHandle::ManagerFactory defaultManagerFactory()
{
    return [](const DCDataHandle::ManagerChoice &, USBDriverFalcon **) {
        return std::unique_ptr<USBDriverManger>();
    };
}
