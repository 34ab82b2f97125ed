#include "session/managerfactory.h"

#include "device/osprey/usbdriver_heron.h"
#include "device/osprey/usbdriver_osprey.h"
#include "device/falcon/usbdriverfalcon.h"
#include "profile/usbdrivermanger_heron.h"
#include "profile/usbdrivermanger_osprey.h"
#include "profile/usbdrivermangerfalcon.h"

namespace {
using Family = DCDataHandle::ManagerChoice::Family;

std::unique_ptr<USBDriverManger> falconFamily(const DCDataHandle::ManagerChoice &choice)
{
    auto driver = std::make_unique<USBDriverFalcon>();
    driver->SetWiredWirelessString(choice.wiredSelector, choice.wirelessSelector);
    driver->setLinkMode(choice.wireless ? 1 : 0);
    auto manager = std::make_unique<UsbDriverMangerFalcon>(choice.mouseType);
    manager->SetDriver(driver.release()); // the manager owns its driver from here on
    return manager;
}

template <typename Manager, typename Driver>
std::unique_ptr<USBDriverManger> ospreyFamily(int mouseType)
{
    auto manager = std::make_unique<Manager>(mouseType);
    auto driver = std::make_unique<Driver>();
    driver->setModelCode(mouseType);
    manager->SetDriver(driver.release()); // the manager owns its driver from here on
    return manager;
}
} // namespace

DCDataHandle::ManagerFactory defaultManagerFactory()
{
    return [](const DCDataHandle::ManagerChoice &choice) -> std::unique_ptr<USBDriverManger> {
        switch (choice.family) {
        case Family::Falcon:
            return falconFamily(choice);
        case Family::Osprey:
            return ospreyFamily<UsbDriverManger_Osprey, USBDriver_Osprey>(choice.mouseType);
        case Family::Heron:
            return ospreyFamily<UsbDriverManger_Heron, USBDriver_Heron>(choice.mouseType);
        }
        return nullptr;
    };
}
