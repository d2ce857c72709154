#include "support/driveletter.h"

DriveLetter::DriveLetter(const QString &) { }

DriveLetter::~DriveLetter() { }
