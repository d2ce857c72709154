#include "support/testdrive.h"

TestDrive::TestDrive() { }

TestDrive::~TestDrive() { }
