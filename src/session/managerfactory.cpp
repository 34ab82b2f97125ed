#include "managerfactory.h"

#include "usbdriver_heron.h"
#include "usbdriver_osprey.h"
#include "usbdrivermanger_heron.h"
#include "usbdrivermanger_osprey.h"

namespace {
using Family = DCDataHandle::ManagerChoice::Family;

template <typename Manager, typename Driver>
std::unique_ptr<USBDriverManger> ospreyFamily(int mouseType)
{
    auto manager = std::make_unique<Manager>();
    auto driver = std::make_unique<Driver>();
    driver->setModelCode(mouseType);
    manager->SetDriver(driver.release()); // the manager owns its driver from here on
    return manager;
}
} // namespace

DCDataHandle::ManagerFactory defaultManagerFactory()
{
    return [](const DCDataHandle::ManagerChoice &choice, USBDriverFalcon **) -> std::unique_ptr<USBDriverManger> {
        switch (choice.family) {
        case Family::Osprey:
            return ospreyFamily<UsbDriverManger_Osprey, USBDriver_Osprey>(choice.mouseType);
        case Family::Heron:
            return ospreyFamily<UsbDriverManger_Heron, USBDriver_Heron>(choice.mouseType);
        case Family::Falcon:
            break;
        }
        return nullptr;
    };
}
