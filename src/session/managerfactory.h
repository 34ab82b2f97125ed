#pragma once
// The real managers and drivers for the coordinator's choice of a product id.

#include "session/dcdatahandle.h"

DCDataHandle::ManagerFactory defaultManagerFactory();
