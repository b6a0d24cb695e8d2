#include "link/S22NetGraphic.h"
