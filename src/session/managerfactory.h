#pragma once
// The real managers and drivers for the coordinator's choice of a product id, each built for
// the choice's model (they never read the process-wide current model).

#include "session/dcdatahandle.h"

DCDataHandle::ManagerFactory defaultManagerFactory();
