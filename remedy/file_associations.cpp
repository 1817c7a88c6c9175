#include "remedy/file_associations.h"

void RepairExecutableAssociations() {}
