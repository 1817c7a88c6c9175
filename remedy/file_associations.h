// Puts the open commands of the executable and script classes, and the ".exe" class, back in place.
#pragma once

void RepairExecutableAssociations();
