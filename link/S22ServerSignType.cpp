#include "link/S22ServerSignType.h"
