#include "managerfactory.h"

#include "usbdriverfalcon.h"
#include "usbdrivermangerfalcon.h"

DCDataHandle::ManagerFactory defaultManagerFactory()
{
    return [](const DCDataHandle::ManagerChoice &choice,
              USBDriverFalcon **receiverDriver) -> std::unique_ptr<USBDriverManger> {
        if (receiverDriver)
            *receiverDriver = nullptr;
        switch (choice.family) {
        case DCDataHandle::ManagerChoice::Family::Falcon: {
            auto driver = std::make_unique<USBDriverFalcon>();
            driver->SetWiredWirelessString(choice.wiredSelector, choice.wirelessSelector);
            driver->setLinkMode(choice.wireless ? 1 : 0);
            USBDriverFalcon *raw = driver.get();
            auto manager = std::make_unique<UsbDriverMangerFalcon>();
            manager->SetDriver(driver.release()); // the manager owns the driver from here on
            if (choice.wireless && receiverDriver)
                *receiverDriver = raw;
            return manager;
        }
        case DCDataHandle::ManagerChoice::Family::Osprey:
        case DCDataHandle::ManagerChoice::Family::Heron:
            break;
        }
        return nullptr;
    };
}
