#include "database/dm.h"
