#pragma once
// The real managers and drivers for the coordinator's choice of a product id.

#include "dcdatahandle.h"

DCDataHandle::ManagerFactory defaultManagerFactory();
